// The registry settings store and the show's file list on a real system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/win/helpers.h"
#include "toolkit/failure.h"
#include "toolkit/win32/file_list.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/toolkit.h"

namespace qm::win32 {
namespace {

const std::string kApp = "file test";

void forgetTestSettings() {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor Screen Saver\\file test");
}

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { forgetTestSettings(); }
  void TearDown() override { forgetTestSettings(); }
  RegistrySettingsStore store_;
};

TEST_F(Registry, MissingApplicationSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(store_.read(kApp, "settings", "path", "C:\\x\\"), "C:\\x\\");
  store_.write(kApp, "settings", "time", "8");
  EXPECT_EQ(store_.read(kApp, "settings", "background", "0"), "0");
  EXPECT_EQ(store_.read(kApp, "other", "time", "1000"), "1000");
}

TEST_F(Registry, NamesMatchWithoutRegardToCaseAndWritesReplace) {
  store_.write(kApp, "Settings", "Path", "D:\\Pictures\\");
  EXPECT_EQ(store_.read(kApp, "settings", "path", ""), "D:\\Pictures\\");
  store_.write(kApp, "settings", "background", "0");
  store_.write(kApp, "Settings", "BACKGROUND", "16777215");
  EXPECT_EQ(store_.read(kApp, "SETTINGS", "background", ""), "16777215");
  store_.write(kApp, "settings", "time", "abc");
  EXPECT_EQ(store_.read(kApp, "settings", "time", "1000"), "abc") << "values are not validated";
}

TEST_F(Registry, LongValuesAndAnyScriptRoundTrip) {
  std::string big;
  while (big.size() < 40000) big += "0123456789\\folder ";
  store_.write(kApp, "settings", "path", big);
  EXPECT_EQ(store_.read(kApp, "settings", "path", ""), big);
  const std::string script = "C:\\\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD0\xB8\xD0\xBD\xD0\xBA\xD0\xB8"
                             "\\\xE5\x86\x99\xE7\x9C\x9F\\";
  store_.write(kApp, "settings", "path", script);
  EXPECT_EQ(store_.read(kApp, "settings", "path", ""), script);
  store_.write(kApp, "settings", "time", "");
  EXPECT_EQ(store_.read(kApp, "settings", "time", "1000"), "") << "empty is a value";
}

TEST_F(Registry, ValueOfAnotherTypeReadsAsAbsent) {
  store_.write(kApp, "settings", "time", "8");
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER,
                            L"Software\\Quillmoor Screen Saver\\file test\\settings", 0,
                            KEY_SET_VALUE, &key),
            ERROR_SUCCESS);
  UniqueHKey opened(key);
  DWORD number = 42;
  ::RegSetValueExW(key, L"time", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof(number));
  EXPECT_EQ(store_.read(kApp, "settings", "time", "1000"), "1000");
  ::RegSetValueExW(key, L"path", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01\x02\x03"), 3);
  EXPECT_EQ(store_.read(kApp, "settings", "path", "dflt"), "dflt");
}

TEST_F(Registry, AValueSurvivesIntoANewProcess) {
  store_.write(kApp, "Settings", "Path", "E:\\Kept\\");
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) +
                             L"\" --gtest_filter=RegistryChild.* --child=read-kept";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
  UniqueHandleObject processHandle(process.hProcess), threadHandle(process.hThread);
  ASSERT_EQ(::WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
}

TEST(RegistryChild, ReadsWhatTheParentWrote) {
  if (std::string(::GetCommandLineA()).find("--child=read-kept") == std::string::npos)
    GTEST_SKIP() << "runs as a child of Registry.AValueSurvivesIntoANewProcess";
  RegistrySettingsStore store;
  EXPECT_EQ(store.read(kApp, "settings", "path", ""), "E:\\Kept\\");
}

class Folder : public ::testing::Test {
 protected:
  void touch(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file = ::CreateFileW((root_ + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
  }
  std::string root() const { return narrow(root_); }
  ScratchFolder scratch_{L"qm-list-"};
  std::wstring root_ = scratch_.path();
};

TEST_F(Folder, ShowListFiltersByLongNameAndSortsNaturally) {
  for (const wchar_t* name : {L"img10.jpg", L"img2.JPG", L"IMG1.bmp", L"a.jpgx", L"b.jpeg",
                              L"c.wmf", L"d.gif.txt", L"\x041A\x0430\x0440.gif"})
    touch(name);
  touch(L"hidden.jpg", FILE_ATTRIBUTE_HIDDEN);
  touch(L"system.bmp", FILE_ATTRIBUTE_SYSTEM);
  ::CreateDirectoryW((root_ + L"\\folder.jpg").c_str(), nullptr);

  Win32FileList list("*.bmp;*.jpg;*.gif");
  list.setPath(root() + "\\");
  ASSERT_EQ(list.listCount(), 4);
  EXPECT_EQ(list.list(0), "IMG1.bmp");
  EXPECT_EQ(list.list(1), "img2.JPG");
  EXPECT_EQ(list.list(2), "img10.jpg");
  EXPECT_EQ(list.list(3), "\xD0\x9A\xD0\xB0\xD1\x80.gif");
  EXPECT_EQ(list.list(4), "");
  EXPECT_EQ(list.path(), root());
}

TEST_F(Folder, MissingFolderIsPathNotFound) {
  Win32FileList list("*.bmp;*.jpg;*.gif");
  try {
    list.setPath(root() + "\\no such folder\\");
    FAIL() << "listed a missing folder";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.number(), 76);
  }
  list.setPath(root());
  EXPECT_EQ(list.listCount(), 0);
}

}  // namespace
}  // namespace qm::win32
