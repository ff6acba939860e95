// Start-up, mode selection and the exits of the show window.
#include <gtest/gtest.h>

#include "tests/unit/program.h"

namespace qm {
namespace {

enum class Mode { kShow, kConfigure, kEnd };

struct ModeCase {
  const char* arguments;
  bool anotherCopyRuns;
  Mode mode;
};

class ModeSelection : public ::testing::TestWithParam<ModeCase>, public Program {};

TEST_P(ModeSelection, FirstTwoCharactersInAnyCaseChooseOnceNoOtherCopyRuns) {
  const ModeCase& c = GetParam();
  tk.application.anotherCopyRuns = c.anotherCopyRuns;
  EXPECT_EQ(start(c.arguments), c.mode == Mode::kEnd);
  EXPECT_EQ(tk.lastWindow->visible, c.mode == Mode::kShow);
  EXPECT_EQ(tk.application.cursorCounter, c.mode == Mode::kShow ? -1 : 0);
  EXPECT_EQ(slide->timer2().enabled(), c.mode == Mode::kShow) << "the banner timer";
  EXPECT_EQ(setting != nullptr, c.mode == Mode::kConfigure);
  // Behind the dialog the hidden show window's slide timer never ticks.
  if (c.mode == Mode::kConfigure) {
    EXPECT_FALSE(tk.timers.at(0)->tick());
  }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ModeSelection,
    ::testing::Values(ModeCase{"/s", false, Mode::kShow}, ModeCase{"/S", false, Mode::kShow},
                      ModeCase{"/s 123", false, Mode::kShow}, ModeCase{"/p", false, Mode::kEnd},
                      ModeCase{"/P 77", false, Mode::kEnd}, ModeCase{"/p77", false, Mode::kEnd},
                      ModeCase{"/c", false, Mode::kConfigure},
                      ModeCase{"/c:77", false, Mode::kConfigure},
                      ModeCase{"-s", false, Mode::kConfigure},
                      ModeCase{"", false, Mode::kConfigure}, ModeCase{"/", false, Mode::kConfigure},
                      ModeCase{"s/", false, Mode::kConfigure}, ModeCase{"/s", true, Mode::kEnd},
                      ModeCase{"/c", true, Mode::kEnd}, ModeCase{"", true, Mode::kEnd}));

class ShowExits : public ::testing::Test, public Program {
 protected:
  void SetUp() override { ASSERT_FALSE(start("/s")); }
};

TEST_F(ShowExits, TheSixthMouseMoveUnloadsAndShowsTheCursor) {
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(user(tk.lastWindow->events.mouseMove)) << i;
  EXPECT_TRUE(user(tk.lastWindow->events.mouseMove));
  EXPECT_TRUE(tk.lastWindow->unloaded);
  EXPECT_EQ(tk.application.cursorCounter, 0);
}

TEST_F(ShowExits, AnyCharacterKeyEndsAtOnceWithoutUnload) {
  EXPECT_TRUE(user([this] { tk.lastWindow->events.keyPress('a'); }));
  EXPECT_FALSE(tk.lastWindow->unloaded);
  EXPECT_EQ(tk.application.cursorCounter, -1) << "no unload, so the cursor stays hidden";
}

}  // namespace
}  // namespace qm
