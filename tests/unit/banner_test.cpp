// The greeting banner: what each hour shows, how the lines move, and when the tick yields.
#include <gtest/gtest.h>

#include "app/slide.h"
#include "banner/banner.h"
#include "tests/fake/fake_toolkit.h"

namespace qm {
namespace {

using fake::FakeLabel;
using fake::FakeToolkit;
using fake::ProgramEnded;

class Banner : public ::testing::Test {
 protected:
  void start(int hour) {
    tk_.application.hour = hour;
    tk_.application.arguments = "/s";
    slide_ = std::make_unique<Slide>(tk_, [] {});
    startProgram(tk_, *slide_);
    ASSERT_TRUE(tk_.timers.at(1)->enabled());
  }
  void tick() { ASSERT_TRUE(tk_.timers.at(1)->fire()); }
  FakeLabel& label(int i) { return *tk_.labels.at(static_cast<size_t>(i)); }
  float width() const { return tk_.lastWindow->scaleWidth(); }

  FakeToolkit tk_;
  std::unique_ptr<Slide> slide_;
};

struct HourCase {
  int hour;
  const char* line1;
  const char* line2;  // null: label 2 keeps its created caption and stays hidden
};

class GreetingHours : public Banner, public ::testing::WithParamInterface<HourCase> {};

TEST_P(GreetingHours, ShowTheHoursLinesAndMoveAllThree) {
  const HourCase& c = GetParam();
  start(c.hour);
  const int yieldsBefore = tk_.application.doEventsCalls;
  tick();
  EXPECT_TRUE(label(0).visible());
  EXPECT_TRUE(label(1).visible());
  EXPECT_EQ(label(0).caption(), kCreditText);
  EXPECT_EQ(label(1).caption(), c.line1);
  EXPECT_EQ(label(2).visible(), c.line2 != nullptr);
  EXPECT_EQ(label(2).caption(), c.line2 ? c.line2 : "Label1");
  // Label 2 moves whether it is shown or not.
  EXPECT_FLOAT_EQ(label(0).left(), -70);
  EXPECT_FLOAT_EQ(label(1).left(), 1670);
  EXPECT_FLOAT_EQ(label(2).left(), 7700);
  EXPECT_FLOAT_EQ(label(0).top(), 10710);
  EXPECT_FLOAT_EQ(label(2).top(), 5100);
  EXPECT_EQ(tk_.application.doEventsCalls, yieldsBefore + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Hours, GreetingHours,
    ::testing::Values(
        HourCase{8, "Good Morning!!", nullptr},
        HourCase{10, "How's everything , now the time is between 10 to 11 am !!", nullptr},
        HourCase{12, "It's lunch time , enjoy your Meal!!", nullptr},
        HourCase{17, "It's about to go back , work hard everday !!!!",
                 "Hurray , times to go back !!"}),
    [](const ::testing::TestParamInfo<HourCase>& param) {
      return "At" + std::to_string(param.param.hour);
    });

TEST_F(Banner, EveryOtherHourHidesAllThreeMovesNothingAndDoesNotYield) {
  start(17);
  tick();
  for (int hour : {0, 7, 9, 11, 13, 16, 18, 23}) {
    SCOPED_TRACE(hour);
    tick();  // shown at 17 first, so the hide is seen
    tk_.application.hour = hour;
    const float lefts[] = {label(0).left(), label(1).left(), label(2).left()};
    const int yieldsBefore = tk_.application.doEventsCalls;
    tick();
    for (int i = 0; i < 3; ++i) {
      EXPECT_FALSE(label(i).visible()) << i;
      EXPECT_FLOAT_EQ(label(i).left(), lefts[i]) << i;
    }
    EXPECT_EQ(label(1).caption(), "It's about to go back , work hard everday !!!!");
    EXPECT_EQ(tk_.application.doEventsCalls, yieldsBefore);
    tk_.application.hour = 17;
  }
}

TEST_F(Banner, RightEdgeSendsALabelBackOnlyWhenStrictlyBeyondIt) {
  start(8);
  label(0).setLeft(width());        // on the edge: moves on
  label(1).setLeft(width() + 0.5f);  // beyond: back to 200, then on to 220
  label(2).setLeft(width() - 10);
  tick();
  EXPECT_FLOAT_EQ(label(0).left(), width() + 20);
  EXPECT_FLOAT_EQ(label(1).left(), 220);
  EXPECT_FLOAT_EQ(label(2).left(), width() + 10);
  tick();
  EXPECT_FLOAT_EQ(label(0).left(), 220);
  EXPECT_FLOAT_EQ(label(1).left(), 240);
  EXPECT_FLOAT_EQ(label(2).left(), 220);
}

TEST_F(Banner, LabelOneFollowsTheWindowHeightFromTheBottom) {
  tk_.display.heightPixels = 768;  // 11520 twips at 96 DPI: 420 more than 11100
  start(12);
  tick();
  EXPECT_FLOAT_EQ(label(1).top(), 420);
  tk_.display.heightPixels = 600;  // 9000 twips: above the top edge
  tick();
  EXPECT_FLOAT_EQ(label(1).top(), -2100);
  EXPECT_FLOAT_EQ(label(0).top(), 10710);
}

TEST_F(Banner, PositionsCarryOverFromOneGreetingHourToTheNext) {
  start(8);
  for (int i = 0; i < 5; ++i) tick();
  EXPECT_FLOAT_EQ(label(1).left(), 1750);
  tk_.application.hour = 9;
  tick();
  tick();
  tk_.application.hour = 10;
  tick();
  EXPECT_FLOAT_EQ(label(1).left(), 1770);
  EXPECT_FLOAT_EQ(label(2).left(), 7800);
  EXPECT_FALSE(label(2).visible());
  EXPECT_EQ(label(2).caption(), "Label1");
}

TEST_F(Banner, PendingEventsRunAtTheEndOfTheTickAndSeeItsFinalState) {
  start(17);
  float seenLeft = 0;
  bool seenVisible = false;
  tk_.application.post([&] {
    seenLeft = label(2).left();
    seenVisible = label(2).visible();
  });
  tick();
  EXPECT_FLOAT_EQ(seenLeft, 7700);
  EXPECT_TRUE(seenVisible);

  // A key press waiting there ends the show inside the tick.
  tk_.application.post([&] { slide_->keyPress('a'); });
  EXPECT_THROW(tk_.timers.at(1)->fire(), ProgramEnded);
}

TEST_F(Banner, AKeyPressWaitingInAHiddenHourWaitsForTheMessageLoop) {
  start(9);
  tk_.application.post([&] { slide_->keyPress('a'); });
  tick();
  EXPECT_FALSE(tk_.application.ended);
  EXPECT_EQ(tk_.application.pending.size(), 1u);
}

}  // namespace
}  // namespace qm
