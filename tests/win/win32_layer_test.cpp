// The Win32 layer on a real system: instance, command line, registry settings, sound resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "sound/sound.h"
#include "tests/win/helpers.h"
#include "toolkit/failure.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/preparing_loader.h"
#include "toolkit/win32/settings_store.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/toolkit.h"

namespace qm::win32 {
namespace {

TEST(Application, TheSecondToStartSeesTheFirstAndArgumentsFollowTheProgramName) {
  Win32Application first, second;
  EXPECT_FALSE(first.previousInstance());
  EXPECT_TRUE(second.previousInstance());
  EXPECT_EQ(argumentsOf(L"C:\\q.scr   /c:1234"), L"/c:1234");
  EXPECT_EQ(argumentsOf(L"\"C:\\q.scr\""), L"");
  EXPECT_EQ(argumentsOf(L"\"C:\\q.scr\"/p 77"), L"/p 77");
}

// An empty card reader or removed media gives the program's own message, not the system's box.
TEST(Application, ThePreparedProcessShowsNoSystemBoxForAnEmptyDrive) {
  ::SetErrorMode(0);  // as Windows starts a process; Wine starts it quiet already
  prepareProcess();
  const UINT quiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  EXPECT_EQ(::GetErrorMode() & quiet, quiet);
}

// This thread's COM is single-threaded, so the worker's multithreaded COM is refused: without
// it the worker's loader refuses to be made, and the show's own thread loads every picture.
TEST(WorkerLoader, RefusesToBeMadeWithoutCom) {
  ComScope com;
  EXPECT_THROW(wicPreparingPlatform().workerLoader(), Failure);
}

const std::string kApp = "file test";
const std::wstring kAppKey = L"Software\\Quillmoor Screen Saver\\file test";

// Absent values read as the default in every end-to-end run.
TEST(Registry, NamesMatchInAnyCaseAnyTextRoundTripsAndAValueOfAnotherTypeIsAbsent) {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey.c_str());
  RegistrySettingsStore store;
  std::string big;
  while (big.size() < 40000) big += "0123456789\\folder ";
  const std::string script = "C:\\\xD0\x9A\xD0\xB0\xD1\x80\\\xE5\x86\x99\xE7\x9C\x9F\\";
  for (const std::string& value : {big, script, std::string()}) {
    store.write(kApp, "SETTINGS", "PATH", value);
    EXPECT_EQ(store.read(kApp, "settings", "path", "default"), value) << "replaced, unvalidated";
  }
  UniqueHKey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, (kAppKey + L"\\settings").c_str(), 0, KEY_SET_VALUE,
                            key.put()),
            ERROR_SUCCESS);
  const DWORD number = 42;
  ::RegSetValueExW(key.get(), L"path", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof(number));
  EXPECT_EQ(store.read(kApp, "settings", "path", "default"), "default");
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey.c_str());
}

TEST(SoundResources, TheWholeResourceWithItsPaddingAndAMissingIdIsNotPathNotFound) {
  Win32Application app;
  Win32Toolkit toolkit(app);
  // 3128 bytes, the last 2 of them padding after the RIFF image, as the file holds them.
  EXPECT_EQ(toolkit.resources().read("ATM_SOUND", 7), readFile(sourcePath("resources/sound7.wav")));
  const int code = errorOf([&] { toolkit.resources().read("ATM_SOUND", 8); });
  EXPECT_TRUE(code != 0 && code != 76) << code;
}

}  // namespace
}  // namespace qm::win32
