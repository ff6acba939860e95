// Start-up: mode selection, the show's set-up from the settings, and the show window's exits.
#include <gtest/gtest.h>

#include "tests/fake/fake_toolkit.h"

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
  EXPECT_EQ(slide->timer2().interval(), 50);
  EXPECT_EQ(setting != nullptr, c.mode == Mode::kConfigure);
  // Behind the dialog the hidden show window's slide timer never ticks.
  if (c.mode == Mode::kConfigure) {
    EXPECT_FALSE(tk.timers.at(0)->tick());
  }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ModeSelection,
    ::testing::Values(ModeCase{"/s", false, Mode::kShow}, ModeCase{"/S 123", false, Mode::kShow},
                      ModeCase{"/p", false, Mode::kEnd}, ModeCase{"/P77", false, Mode::kEnd},
                      ModeCase{"/c:77", false, Mode::kConfigure},
                      ModeCase{"-s", false, Mode::kConfigure},
                      ModeCase{"", false, Mode::kConfigure}, ModeCase{"/", false, Mode::kConfigure},
                      ModeCase{"/s", true, Mode::kEnd}, ModeCase{"/c", true, Mode::kEnd}));

std::vector<std::string> pictures(int count) {
  std::vector<std::string> names{"notes.txt"};
  for (int i = 0; i < count; ++i) names.push_back("p" + std::to_string(i) + ".jpg");
  return names;
}

struct Stored {
  const char* path;  // null: nothing stored for these three; a folder without pictures is gone
  const char* background;
  const char* time;
  int pictureCount;
  int32_t backColour;
  int32_t interval;
  const char* report = nullptr;  // the failure reported before any slide tick
};

class SetUp : public ::testing::TestWithParam<Stored>, public Program {};

TEST_P(SetUp, BackgroundFolderAndSlideIntervalFromTheSettingsElseAReportBeforeAnyTick) {
  const Stored& s = GetParam();
  const std::string folder = s.path ? s.path : "C:\\Saver";
  if (s.pictureCount > 0) tk.folders[folder] = pictures(s.pictureCount);
  // In the letter case the dialog writes, not the one the show reads.
  if (s.path) tk.store.write("file", "Settings", "Path", folder + "\\");
  if (s.background) tk.store.write("file", "Settings", "background", s.background);
  if (s.time) tk.store.write("file", "settings", "time", s.time);
  EXPECT_EQ(start("/s"), s.report != nullptr);
  EXPECT_EQ(slide->timer1().interval(), s.interval);
  if (s.report) {
    ASSERT_EQ(tk.application.messageBoxes.size(), 1u);
    EXPECT_NE(tk.application.messageBoxes[0].find(s.report), std::string::npos);
    return;
  }
  EXPECT_EQ(slide->window().backColor(), s.backColour);
  EXPECT_EQ(slide->file1().path(), folder);
  EXPECT_EQ(slide->file1().listCount(), s.pictureCount);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SetUp,
    ::testing::Values(Stored{nullptr, nullptr, "soon", 100, 0, 5000},  // only read above 100
                      Stored{nullptr, nullptr, "8", 101, 0, 8000},
                      Stored{nullptr, nullptr, nullptr, 150, 0, 1000000},  // "time" 1000 s
                      Stored{"E:\\Holiday", "16777215", nullptr, 2, 16777215, 5000},
                      Stored{"Q:\\gone", nullptr, nullptr, 0, 0, 0, "Error 76: Path not found"},
                      Stored{nullptr, "white", nullptr, 3, 0, 0, "Error 13: Type mismatch"},
                      Stored{nullptr, nullptr, "2147484", 101, 0, 0, "Error 6: Overflow"}));

class ShowExits : public ::testing::Test, public Program {};

TEST_F(ShowExits, TheSixthMouseMoveUnloadsAndShowsTheCursor) {
  ASSERT_FALSE(start("/s"));
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(user(tk.lastWindow->events.mouseMove)) << i;
  EXPECT_TRUE(user(tk.lastWindow->events.mouseMove));
  EXPECT_TRUE(tk.lastWindow->unloaded);
  EXPECT_EQ(tk.application.cursorCounter, 0);
}

}  // namespace
}  // namespace qm
