// The rules every toolkit shares: the dispatcher's report and the timer's ticks.
#include <gtest/gtest.h>

#include "tests/unit/program.h"
#include "toolkit/int16.h"
#include "toolkit/timer_rule.h"

namespace qm {
namespace {

struct Thrown {
  std::function<void()> handler;
  const char* report;
};

TEST(Dispatcher, ReportsWhatAHandlerThrowsThenEndsAndRunsNoFurtherEvent) {
  const Thrown cases[] = {
      {[] { throw Failure(ErrorCode::kPathNotFound); }, "Error 76: Path not found"},
      {[] { addInt16(INT16_MAX, 1); }, "Error 6: Overflow"},
      {[] { throw std::bad_alloc(); }, "Error 7: Out of memory"},
      {[] { throw std::runtime_error("disk gone"); }, "Error 5: disk gone"},
      {[] { throw 3; }, "Error 5: Invalid procedure call"},
  };
  for (const Thrown& c : cases) {
    fake::FakeApplication app;
    EXPECT_TRUE(ends([&] { dispatchEvent(app, c.handler); })) << c.report;
    EXPECT_EQ(app.messageBoxes,
              std::vector<std::string>{"Quillmoor Screen Saver|" +
                                       std::to_string(kMessageExclamationOk) + "|" + c.report});
    bool handled = false;  // say a timer ticking under the report
    dispatchEvent(app, [&handled] { handled = true; });
    EXPECT_FALSE(handled) << c.report;
  }
}

TEST(Timer, TicksOnlyWhileEnabledAtANonZeroIntervalAndNeverInsideItsOwnTick) {
  fake::FakeApplication app;
  TimerRule timer(app);
  int ticks = 0;
  bool nested = true;
  timer.setTick([&] {
    if (++ticks == 1) nested = timer.tick();  // as a nested message pump would deliver it
  });
  EXPECT_FALSE(timer.tick()) << "created disabled at Interval 0";
  timer.setEnabled(true);
  EXPECT_FALSE(timer.tick()) << "Interval 0";
  timer.setInterval(0x7FFFFFFF);
  EXPECT_TRUE(timer.tick());
  EXPECT_FALSE(nested);
  EXPECT_EQ(ticks, 1);
  timer.setEnabled(false);
  EXPECT_FALSE(timer.tick());
  EXPECT_EQ(errorOf([&] { timer.setInterval(-1); }), 380);
  EXPECT_EQ(timer.interval(), 0x7FFFFFFF);
}

}  // namespace
}  // namespace qm
