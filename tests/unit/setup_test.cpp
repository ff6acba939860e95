// Show set-up on every activation, and the text-to-number conversion it relies on.
#include <gtest/gtest.h>

#include "tests/unit/program.h"
#include "toolkit/convert.h"

namespace qm {
namespace {

std::vector<std::string> pictures(int count) {
  std::vector<std::string> names{"notes.txt"};
  for (int i = 0; i < count; ++i) names.push_back("p" + std::to_string(i) + ".jpg");
  return names;
}

struct Stored {
  const char* path;  // null: nothing stored for these three
  const char* background;
  const char* time;
  int pictureCount;
  int32_t backColour;
  int32_t interval;
};

class SetUp : public ::testing::TestWithParam<Stored>, public Program {};

TEST_P(SetUp, BackgroundFolderAndSlideIntervalFromTheSettings) {
  const Stored& s = GetParam();
  const std::string folder = s.path ? s.path : "C:\\Saver";
  tk.folders[folder] = pictures(s.pictureCount);
  // In the letter case the dialog writes, not the one the show reads.
  if (s.path) tk.store.write("file", "Settings", "Path", folder + "\\");
  if (s.background) tk.store.write("file", "Settings", "background", s.background);
  if (s.time) tk.store.write("file", "settings", "time", s.time);
  ASSERT_FALSE(start("/s"));
  EXPECT_EQ(slide->window().backColor(), s.backColour);
  EXPECT_EQ(slide->file1().path(), folder);
  EXPECT_EQ(slide->file1().listCount(), s.pictureCount);
  EXPECT_EQ(slide->timer1().interval(), s.interval);
  EXPECT_TRUE(slide->timer1().enabled());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SetUp,
    ::testing::Values(Stored{nullptr, nullptr, nullptr, 3, 0, 5000},
                      Stored{nullptr, nullptr, nullptr, 150, 0, 1000000},  // "time" 1000 s
                      Stored{"E:\\Holiday", "16777215", nullptr, 2, 16777215, 5000},
                      Stored{nullptr, nullptr, "soon", 100, 0, 5000},  // only read above 100
                      Stored{nullptr, nullptr, "8", 101, 0, 8000}));

struct BrokenSetUp {
  const char* key;
  const char* value;
  int pictureCount;
  const char* report;
};

class BrokenSetUps : public ::testing::TestWithParam<BrokenSetUp>, public Program {};

TEST_P(BrokenSetUps, ReachTheDispatcherBeforeTheSlideTimerRuns) {
  tk.folders["C:\\Saver"] = pictures(GetParam().pictureCount);
  tk.store.write("file", "settings", GetParam().key, GetParam().value);
  EXPECT_TRUE(start("/s"));
  ASSERT_EQ(tk.application.messageBoxes.size(), 1u);
  EXPECT_NE(tk.application.messageBoxes[0].find(GetParam().report), std::string::npos);
  EXPECT_EQ(tk.timers.at(0)->interval(), 0) << "no slide ticks after a broken set-up";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, BrokenSetUps,
    ::testing::Values(BrokenSetUp{"path", "Q:\\gone\\", 3, "Error 76: Path not found"},
                      BrokenSetUp{"background", "white", 3, "Error 13: Type mismatch"},
                      BrokenSetUp{"time", "soon", 101, "Error 13: Type mismatch"},
                      BrokenSetUp{"time", "2147484", 101, "Error 6: Overflow"},
                      BrokenSetUp{"time", "-1", 101, "Error 380: Invalid property value"}));

TEST(ToInt32, DecimalsWithBlanksSignAndHalfToEvenElseTypeMismatchOrOverflow) {
  const std::pair<const char*, int32_t> values[] = {
      {"8", 8},       {" 8 ", 8},   {"-3", -3}, {"+7", 7},  {"2.5", 2}, {"3.5", 4},
      {"2.50001", 3}, {"-2.5", -2}, {"0.4", 0}, {"007", 7}, {".5", 0},  {"5.", 5},
  };
  EXPECT_EQ(toInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(toInt32("-2147483648"), INT32_MIN);
  for (const auto& [text, value] : values) EXPECT_EQ(toInt32(text), value) << text;
  for (const char* text : {"abc", "", "  ", "-", "1 2", "8s", "1e3", "0x10", "--1", "."})
    EXPECT_EQ(errorOf([&] { toInt32(text); }), 13) << text;
  for (const char* text : {"2147483648", "-2147483649", "2147483647.5", "99999999999999999999"})
    EXPECT_EQ(errorOf([&] { toInt32(text); }), 6) << text;
}

}  // namespace
}  // namespace qm
