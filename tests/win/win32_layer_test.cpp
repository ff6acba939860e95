// The Win32 layer on a real (Wine or Windows) system: instance, command line, timers and the
// banner's font.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/slide.h"
#include "banner/banner.h"
#include "tests/win/helpers.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/label.h"
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
  EXPECT_EQ(argumentsOf(L"\"C:\\My Saver\\q.scr\" /s"), L"/s");
  EXPECT_EQ(argumentsOf(L"C:\\q.scr   /c:1234"), L"/c:1234");
  EXPECT_EQ(argumentsOf(L"\"C:\\q.scr\""), L"");
  EXPECT_EQ(argumentsOf(L"q.scr"), L"");
  EXPECT_EQ(argumentsOf(L"\"C:\\q.scr\"/p 77"), L"/p 77");
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

// The banner's labels as the show window creates them.
class BannerLabels : public ::testing::Test {
 protected:
  Win32Label& label(int index) { return dynamic_cast<Win32Label&>(slide_.label1(index)); }

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

}  // namespace
}  // namespace qm::win32
