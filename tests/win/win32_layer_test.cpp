// The Win32 layer on a real (Wine or Windows) system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/slide.h"
#include "tests/win/helpers.h"
#include "banner/banner.h"
#include "toolkit/failure.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/label.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/timer.h"
#include "toolkit/win32/toolkit.h"
#include "toolkit/win32/window.h"

namespace qm::win32 {
namespace {

std::wstring thisExecutable() {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// Runs this test executable again with a filter and returns its exit code.
DWORD runChild(const std::wstring& arguments, DWORD waitMs = 30000) {
  std::wstring commandLine = L"\"" + thisExecutable() + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return 9999;
  UniqueHandleObject processHandle(process.hProcess), threadHandle(process.hThread);
  if (::WaitForSingleObject(process.hProcess, waitMs) != WAIT_OBJECT_0) return 9998;
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  return code;
}

TEST(PreviousInstance, SecondProcessSeesTheFirst) {
  Win32Application first;
  ASSERT_FALSE(first.previousInstance());
  // The child reports through its exit code whether it saw another copy.
  EXPECT_EQ(runChild(L"--gtest_filter=PreviousInstanceChild.*  --child=expect-other"), 0u);
}

TEST(PreviousInstanceChild, ReportsWhatItSees) {
  bool expectOther = std::string(::GetCommandLineA()).find("--child=expect-other") !=
                     std::string::npos;
  if (!expectOther) GTEST_SKIP() << "runs as a child of PreviousInstance";
  Win32Application second;
  EXPECT_TRUE(second.previousInstance());
}

TEST(CommandLine, ArgumentsFollowTheProgramName) {
  EXPECT_EQ(argumentsOf(L"\"C:\\My Saver\\q.scr\" /s"), L"/s");
  EXPECT_EQ(argumentsOf(L"C:\\q.scr   /c:1234"), L"/c:1234");
  EXPECT_EQ(argumentsOf(L"\"C:\\q.scr\""), L"");
  EXPECT_EQ(argumentsOf(L"q.scr"), L"");
  EXPECT_EQ(argumentsOf(L"\"C:\\q.scr\"/p 77"), L"/p 77");
}

TEST(Units, TwipsPerPixelFollowTheScreenDpi) {
  Win32Application app;
  Win32ShowWindow window(app);
  const float expected = 1440.0f / static_cast<float>(screenDpi());
  EXPECT_FLOAT_EQ(window.twipsPerPixel(), expected);
  Win32Screen screen;
  EXPECT_FLOAT_EQ(screen.width(), static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)) * expected);
  EXPECT_FLOAT_EQ(window.scaleWidth(), screen.width());
  EXPECT_FLOAT_EQ(window.scaleHeight(), screen.height());
  EXPECT_EQ(window.toPixels(expected * 10.4f), 10);
  EXPECT_EQ(window.toPixels(expected * 10.6f), 11);
}

// Pumps messages for a while, as the message loop would.
void pumpFor(DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < milliseconds) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ::Sleep(5);
  }
}

TEST(Timers, IntervalZeroGivesNoTicksAndAnIntervalTicks) {
  Win32Application app;
  Win32ShowWindow window(app);
  Win32Timer timer(window);
  int ticks = 0;
  timer.setTick([&ticks] { ++ticks; });
  timer.setEnabled(true);
  timer.setInterval(0);
  pumpFor(300);
  EXPECT_EQ(ticks, 0);
  timer.setInterval(20);
  pumpFor(400);
  EXPECT_GT(ticks, 3);
  timer.setEnabled(false);
  const int stopped = ticks;
  pumpFor(200);
  EXPECT_EQ(ticks, stopped);
}

TEST(Timers, ATickNeverReentersItselfButTheOtherTimerRunsInside) {
  Win32Application app;
  Win32ShowWindow window(app);
  Win32Timer slow(window), fast(window);
  int slowDepth = 0, slowMaxDepth = 0, slowTicks = 0, fastTicks = 0;
  slow.setTick([&] {
    ++slowTicks;
    slowMaxDepth = std::max(slowMaxDepth, ++slowDepth);
    if (slowTicks == 1) pumpFor(300);  // a nested loop, as the sound's yield runs one
    --slowDepth;
  });
  fast.setTick([&] { ++fastTicks; });
  slow.setInterval(20);
  fast.setInterval(20);
  slow.setEnabled(true);
  fast.setEnabled(true);
  pumpFor(500);
  EXPECT_EQ(slowMaxDepth, 1);
  EXPECT_GT(fastTicks, 3);
}

TEST(Timers, NegativeIntervalIsInvalidAndTheLargestIsAccepted) {
  Win32Application app;
  Win32ShowWindow window(app);
  Win32Timer timer(window);
  try {
    timer.setInterval(-1);
    FAIL() << "accepted -1";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.number(), 380);
  }
  timer.setInterval(0x7FFFFFFF);
  EXPECT_EQ(timer.interval(), 0x7FFFFFFF);
}


// The banner's labels as the show window creates them.
class BannerLabels : public ::testing::Test {
 protected:
  Win32Label& label(int index) { return dynamic_cast<Win32Label&>(slide_.label1(index)); }
  Win32ShowWindow& window() { return dynamic_cast<Win32ShowWindow&>(slide_.window()); }

  ComScope com_;  // before the toolkit's picture loader
  Win32Application app_;
  Win32Toolkit toolkit_{app_};
  Slide slide_{toolkit_, [] {}};
};

TEST_F(BannerLabels, CreditLineFitsLabelZeroAtItsFont) {
  const RECT box = label(0).pixelRect();
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  SelectGuard selected(dc.get(), label(0).font());
  const std::wstring credit = widen(kCreditText);
  RECT needed{0, 0, 0, 0};
  ::DrawTextW(dc.get(), credit.c_str(), static_cast<int>(credit.size()), &needed,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_GT(needed.right, 100) << "the font is not a 12 pt one";
  EXPECT_LE(needed.right, box.right - box.left);
  EXPECT_LE(needed.bottom, box.bottom - box.top);
}

TEST_F(BannerLabels, AMovingLabelRepaintsOnlyItsOldAndNewPlaceOverTheKeptPicture) {
  Win32ShowWindow& show = window();
  show.show();
  pumpFor(100);  // activation sets the stored background: green over it stands for a picture
  show.setBackColor(RGB(0, 200, 0));
  Win32Label& line = label(2);
  line.setCaption("Hurray");
  line.setVisible(true);
  pumpFor(100);
  const RECT before = line.pixelRect();
  ::ValidateRect(show.handle(), nullptr);
  line.setLeft(line.left() + 20 * 15);
  const RECT after = line.pixelRect();
  RECT update{};
  ASSERT_TRUE(::GetUpdateRect(show.handle(), &update, FALSE));
  EXPECT_EQ(update.left, before.left);
  EXPECT_EQ(update.top, before.top);
  EXPECT_LE(update.right, after.right + 1);
  EXPECT_LE(update.bottom, after.bottom + 1);

  // Painted: red text at the new place, and only the kept background where the text was.
  const int width = after.right + 10, height = after.bottom + 10;
  HDC screen = ::GetDC(show.handle());
  UniqueHdc memory(::CreateCompatibleDC(screen));
  UniqueHBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
  ::ReleaseDC(show.handle(), screen);
  SelectGuard selected(memory.get(), bitmap.get());
  show.paint(memory.get(), RECT{0, 0, width, height});
  int red = 0, other = 0;
  for (int y = before.top; y < before.bottom; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF pixel = ::GetPixel(memory.get(), x, y);
      if (pixel == RGB(255, 0, 0)) {
        ++red;
        EXPECT_GE(x, after.left) << "text left behind at " << x << "," << y;
      } else if (x < after.left && pixel != RGB(0, 200, 0)) {
        ++other;
      }
    }
  }
  EXPECT_GT(red, 20);
  EXPECT_EQ(other, 0) << "the background under the old place was not restored";
}

}  // namespace
}  // namespace qm::win32
