// The Win32 layer on a real (Wine or Windows) system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "toolkit/failure.h"
#include "toolkit/win32/show_window.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/win32_application.h"

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

}  // namespace
}  // namespace qm::win32
