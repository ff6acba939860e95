// The Win32 layer on a real (Wine or Windows) system: instance, command line, timers, the
// registry settings, the resource sounds and the banner's font.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/slide.h"
#include "banner/banner.h"
#include "sound/sound.h"
#include "tests/win/helpers.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/label.h"
#include "toolkit/win32/settings_store.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/timer.h"
#include "toolkit/win32/toolkit.h"
#include "toolkit/win32/window.h"

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

void pumpFor(DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < milliseconds) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ::Sleep(5);
  }
}

TEST(Timers, TickThroughTheLoopAndTheOtherRunsInsideANestedPumpButNotItself) {
  Win32Application app;
  Win32ShowWindow window(app);
  Win32Timer slow(window), fast(window);
  int depth = 0, maxDepth = 0, slowTicks = 0, fastTicks = 0;
  slow.setTick([&] {
    maxDepth = std::max(maxDepth, ++depth);
    if (++slowTicks == 1) pumpFor(300);  // a nested loop, as the sound's yield runs one
    --depth;
  });
  fast.setTick([&] { ++fastTicks; });
  for (Win32Timer* timer : {&slow, &fast}) {
    timer->setInterval(20);
    timer->setEnabled(true);
  }
  pumpFor(500);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_GT(slowTicks, 1) << "no tick after the nested one";
  EXPECT_GT(fastTicks, 5) << "the other timer did not run inside the nested pump";
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

TEST(SoundResources, TheWholeResourceWithItsPaddingPlaysAndAMissingIdIsNotPathNotFound) {
  Win32Application app;
  Win32Toolkit toolkit(app);
  // 3128 bytes, the last 2 of them padding after the RIFF image, as the file holds them.
  EXPECT_EQ(toolkit.resources().read("ATM_SOUND", 7), readFile(sourcePath("resources/sound7.wav")));
  const int code = errorOf([&] { toolkit.resources().read("ATM_SOUND", 8); });
  EXPECT_TRUE(code != 0 && code != 76) << code;
  Module1 sounds(toolkit);
  EXPECT_NO_THROW(sounds.PlayResourceSound(7)) << "the call is bound by name on first use";
}

// Label 0 as the show window creates it: the credit line fits it at its font.
TEST(BannerLabels, CreditLineFitsLabelZeroAtItsFont) {
  ComScope com;  // before the toolkit's picture loader
  Win32Application app;
  Win32Toolkit toolkit(app);
  Slide slide(toolkit, [] {});
  const Win32Label& label = dynamic_cast<Win32Label&>(slide.label1(0));
  const RECT box = label.pixelRect();
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  SelectGuard selected(dc.get(), label.font());
  const std::wstring credit = widen(kCreditText);
  RECT needed{0, 0, 0, 0};
  ::DrawTextW(dc.get(), credit.c_str(), static_cast<int>(credit.size()), &needed,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_GT(needed.right, 100) << "the font is not a 12 pt one";
  EXPECT_LE(needed.right, box.right - box.left);
  EXPECT_LE(needed.bottom, box.bottom - box.top);
}

}  // namespace
}  // namespace qm::win32
