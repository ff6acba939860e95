// The greeting banner: what each hour shows, how the lines move, and when the tick yields.
#include "banner/banner.h"

#include <gtest/gtest.h>

#include "tests/fake/fake_toolkit.h"

namespace qm {
namespace {

class Banner : public ::testing::Test, public Program {
 protected:
  void startAt(int hour) {
    tk.application.hour = hour;
    EXPECT_FALSE(start("/s"));
  }
  Label& label(int i) { return slide->label1(i); }
  std::vector<float> lefts() { return {label(0).left(), label(1).left(), label(2).left()}; }
  float width() const { return tk.lastWindow->scaleWidth(); }
};

struct HourCase {
  int hour;
  const char* line1;
  const char* line2;  // null: label 2 keeps its created caption and stays hidden
};

class GreetingHours : public Banner, public ::testing::WithParamInterface<HourCase> {};

TEST_P(GreetingHours, ShowTheirLinesMoveAllThreeAndThenYieldOnce) {
  const HourCase& h = GetParam();
  startAt(h.hour);
  std::vector<float> seen;  // by an event pending during the tick
  tk.application.post([&] { seen = lefts(); });
  ASSERT_FALSE(tick(1));
  EXPECT_TRUE(label(0).visible() && label(1).visible());
  EXPECT_EQ(label(0).caption(), kCreditText);
  EXPECT_EQ(label(1).caption(), h.line1);
  EXPECT_EQ(label(2).visible(), h.line2 != nullptr);
  EXPECT_EQ(label(2).caption(), h.line2 ? h.line2 : "Label1");
  EXPECT_EQ(lefts(), (std::vector<float>{-70, 1670, 7700})) << "label 2 moves, shown or not";
  EXPECT_EQ((std::vector<float>{label(0).top(), label(1).top(), label(2).top()}),
            (std::vector<float>{10710, 420, 5100}));
  EXPECT_EQ(tk.application.doEventsCalls, 1);
  EXPECT_EQ(seen, lefts());
}

INSTANTIATE_TEST_SUITE_P(
    Hours, GreetingHours,
    ::testing::Values(HourCase{8, "Good Morning!!", nullptr},
                      HourCase{10, "How's everything , now the time is between 10 to 11 am !!",
                               nullptr},
                      HourCase{12, "It's lunch time , enjoy your Meal!!", nullptr},
                      HourCase{17, "It's about to go back , work hard everday !!!!",
                               "Hurray , times to go back !!"}),
    [](const auto& param) { return "At" + std::to_string(param.param.hour); });

TEST_F(Banner, OtherHoursHideAllThreeAndFreezeThemWithoutAYield) {
  startAt(17);
  ASSERT_FALSE(tick(1));
  const std::vector<float> before = lefts();
  for (int hour : {0, 7, 9, 11, 13, 16, 18, 23}) {
    tk.application.hour = hour;
    ASSERT_FALSE(tick(1));
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(label(i).visible()) << hour << " " << i;
  }
  EXPECT_EQ(lefts(), before);
  EXPECT_EQ(tk.application.doEventsCalls, 1);
  // The next greeting hour carries on from there, with the captions it does not set kept.
  tk.application.hour = 10;
  ASSERT_FALSE(tick(1));
  EXPECT_FLOAT_EQ(label(1).left(), 1690);
  EXPECT_FALSE(label(2).visible());
  EXPECT_EQ(label(2).caption(), "Hurray , times to go back !!");
}

TEST_F(Banner, RightEdgeAndBottomAreReadAtEachTickAndOnlyBeyondTheEdgeSendsALineBack) {
  startAt(8);
  label(0).setLeft(width());         // on the edge: moves on
  label(1).setLeft(width() + 0.5f);  // beyond: back to 200, then on to 220
  label(2).setLeft(width() - 10);
  ASSERT_FALSE(tick(1));
  EXPECT_EQ(lefts(), (std::vector<float>{width() + 20, 220, width() + 10}));
  tk.display.heightPixels = 600;  // 9000 twips: label 1 above the top edge
  ASSERT_FALSE(tick(1));
  EXPECT_EQ(lefts(), (std::vector<float>{220, 240, 220}));
  EXPECT_FLOAT_EQ(label(1).top(), -2100);
}

}  // namespace
}  // namespace qm
