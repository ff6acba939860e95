// The registry settings store and the show's file list on a real system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/win/helpers.h"
#include "toolkit/win32/file_list.h"
#include "toolkit/win32/settings_store.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {
namespace {

const std::string kApp = "file test";

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { forget(); }
  void TearDown() override { forget(); }
  static void forget() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor Screen Saver\\file test");
  }
  std::string read(const std::string& section, const std::string& key) {
    return store_.read(kApp, section, key, "default");
  }
  RegistrySettingsStore store_;
};

TEST_F(Registry, NamesMatchInAnyCaseWritesReplaceAndAnyTextRoundTrips) {
  EXPECT_EQ(read("settings", "path"), "default");
  store_.write(kApp, "Settings", "Path", "D:\\Pictures\\");
  EXPECT_EQ(read("settings", "path"), "D:\\Pictures\\");
  EXPECT_EQ(read("settings", "time"), "default");
  EXPECT_EQ(read("other", "path"), "default");
  std::string big;
  while (big.size() < 40000) big += "0123456789\\folder ";
  const std::string script =
      "C:\\\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD0\xB8\xD0\xBD\xD0\xBA\xD0\xB8"
      "\\\xE5\x86\x99\xE7\x9C\x9F\\";
  for (const std::string& value : {big, script, std::string(), std::string("abc")}) {
    store_.write(kApp, "SETTINGS", "PATH", value);
    EXPECT_EQ(read("settings", "path"), value) << "replaced, and not validated";
  }
}

TEST_F(Registry, ValueOfAnotherTypeReadsAsAbsent) {
  store_.write(kApp, "settings", "time", "8");
  UniqueHKey key;
  ASSERT_EQ(
      ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillmoor Screen Saver\\file test\\settings",
                      0, KEY_SET_VALUE, key.put()),
      ERROR_SUCCESS);
  const DWORD number = 42;
  ::RegSetValueExW(key.get(), L"time", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof(number));
  ::RegSetValueExW(key.get(), L"path", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\1\2\3"), 3);
  EXPECT_EQ(read("settings", "time"), "default");
  EXPECT_EQ(read("settings", "path"), "default");
}

TEST(FileList, VisibleFilesByLongNameInNaturalOrderAndAMissingFolderIsPathNotFound) {
  ScratchFolder scratch(L"qm-list-");
  const std::wstring root = scratch.path() + L"\\";
  auto touch = [&](const std::wstring& name, DWORD attributes) {
    UniqueHandleObject(::CreateFileW((root + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, attributes, nullptr));
  };
  for (const wchar_t* name : {L"img10.jpg", L"img2.JPG", L"IMG1.bmp", L"a.jpgx", L"b.jpeg",
                              L"c.wmf", L"d.gif.txt", L"\x041A\x0430\x0440.gif"})
    touch(name, FILE_ATTRIBUTE_NORMAL);
  touch(L"hidden.jpg", FILE_ATTRIBUTE_HIDDEN);
  touch(L"system.bmp", FILE_ATTRIBUTE_SYSTEM);
  ::CreateDirectoryW((root + L"folder.jpg").c_str(), nullptr);

  Win32FileList list("*.bmp;*.jpg;*.gif");
  list.setPath(narrow(root));
  ASSERT_EQ(list.listCount(), 4);
  EXPECT_EQ(list.list(0), "IMG1.bmp");
  EXPECT_EQ(list.list(1), "img2.JPG");
  EXPECT_EQ(list.list(2), "img10.jpg");
  EXPECT_EQ(list.list(3), "\xD0\x9A\xD0\xB0\xD1\x80.gif");
  EXPECT_EQ(errorOf([&] { list.setPath(narrow(root) + "no such folder\\"); }), 76);
}

}  // namespace
}  // namespace qm::win32
