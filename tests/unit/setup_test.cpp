// Settings defaults, show set-up on activation and the numeric conversions it relies on.
#include <gtest/gtest.h>

#include "app/slide.h"
#include "settings/settings.h"
#include "tests/fake/fake_toolkit.h"
#include "toolkit/convert.h"
#include "toolkit/failure.h"

namespace qm {
namespace {

using fake::FakeEntry;
using fake::FakeToolkit;
using fake::ProgramEnded;

std::vector<FakeEntry> pictures(int count) {
  std::vector<FakeEntry> entries;
  for (int i = 0; i < count; ++i) entries.push_back({"p" + std::to_string(i) + ".jpg"});
  return entries;
}

class SetUp : public ::testing::Test {
 protected:
  // Starts the show; activation runs inside the window's show().
  void startShow() {
    tk_.application.arguments = "/s";
    slide_ = std::make_unique<Slide>(tk_, [] {});
    try {
      startProgram(tk_, *slide_);
    } catch (const ProgramEnded&) {
      ended_ = true;
    }
  }
  void store(const std::string& key, const std::string& value) {
    tk_.store.write("file", "Settings", key, value);
  }
  FakeToolkit tk_;
  std::unique_ptr<Slide> slide_;
  bool ended_ = false;
};

TEST_F(SetUp, NothingStoredUsesTheDefaults) {
  tk_.folders["C:\\Saver"] = pictures(3);
  tk_.folders["C:\\Saver"].push_back({"notes.txt"});
  startShow();
  ASSERT_FALSE(ended_);
  EXPECT_EQ(slide_->window().backColor(), 0);
  EXPECT_EQ(slide_->file1().listCount(), 3);
  EXPECT_EQ(slide_->timer1().interval(), 5000);
  EXPECT_TRUE(slide_->timer1().enabled());
}

TEST_F(SetUp, DefaultsAsTheStoreReturnsThem) {
  EXPECT_EQ(ReadSetting(tk_.store, "settings", "background", "0"), "0");
  EXPECT_EQ(ReadSetting(tk_.store, "settings", "time", "1000"), "1000");
  EXPECT_EQ(defaultPicturePath(tk_.application), "C:\\Saver\\");
  tk_.application.exeDir = "D:\\";
  EXPECT_EQ(defaultPicturePath(tk_.application), "D:\\\\") << "a drive's root gives two";
}

TEST_F(SetUp, UserIntervalOnlyAboveOneHundredPictures) {
  for (int count : {100, 101}) {
    FakeToolkit tk;
    tk.folders["E:\\pics"] = pictures(count);
    tk.store.write("file", "Settings", "Path", "E:\\pics\\");
    tk.store.write("file", "settings", "time", "8");
    tk.application.arguments = "/s";
    Slide slide(tk, [] {});
    startProgram(tk, slide);
    EXPECT_EQ(slide.timer1().interval(), count > 100 ? 8000 : 5000) << count;
  }
}

TEST_F(SetUp, DefaultTimeForLargeFoldersIsAMillionMilliseconds) {
  tk_.folders["C:\\Saver"] = pictures(150);
  startShow();
  ASSERT_FALSE(ended_);
  EXPECT_EQ(slide_->timer1().interval(), 1000000);
}

TEST_F(SetUp, WhiteBackgroundAndTheStoredFolderWrittenInOtherLetterCase) {
  tk_.folders["E:\\Holiday"] = pictures(2);
  store("background", "16777215");
  store("Path", "E:\\Holiday\\");
  startShow();
  ASSERT_FALSE(ended_);
  EXPECT_EQ(slide_->window().backColor(), 16777215);
  EXPECT_EQ(slide_->file1().path(), "E:\\Holiday");
  EXPECT_EQ(slide_->file1().listCount(), 2);
}

TEST_F(SetUp, ReactivationRelistsAndKeepsThePictureIndex) {
  tk_.folders["C:\\Saver"] = pictures(2);
  startShow();
  ASSERT_FALSE(ended_);
  tk_.folders["C:\\Saver"] = pictures(120);
  store("time", "3");
  tk_.lastWindow->activateBySystem();
  EXPECT_EQ(slide_->file1().listCount(), 120);
  EXPECT_EQ(slide_->timer1().interval(), 3000);
  EXPECT_EQ(slide_->pictureIndex(), 0);
}

struct BrokenSetUp {
  const char* key;
  const char* value;
  const char* message;
  int pictureCount;
};

class SetUpFailures : public SetUp, public ::testing::WithParamInterface<BrokenSetUp> {};

TEST_P(SetUpFailures, EndBeforeTheTimerTicksAndReachTheDispatcher) {
  tk_.folders["C:\\Saver"] = pictures(GetParam().pictureCount);
  store(GetParam().key, GetParam().value);
  startShow();
  EXPECT_TRUE(ended_);
  ASSERT_EQ(tk_.application.messageBoxes.size(), 1u);
  EXPECT_EQ(tk_.application.messageBoxes[0].text.rfind(GetParam().message, 0), 0u)
      << tk_.application.messageBoxes[0].text;
  EXPECT_EQ(tk_.timers.at(0)->interval(), 0) << "no slide ticks after a broken set-up";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SetUpFailures,
    ::testing::Values(BrokenSetUp{"Path", "Q:\\gone\\", "Error 76: Path not found", 3},
                      BrokenSetUp{"background", "white", "Error 13: Type mismatch", 3},
                      BrokenSetUp{"time", "soon", "Error 13: Type mismatch", 101},
                      BrokenSetUp{"time", "2147484", "Error 6: Overflow", 101},
                      BrokenSetUp{"time", "-1", "Error 380: Invalid property value", 101}));

TEST_F(SetUp, StoredTimeIsOnlyReadForLargeFolders) {
  tk_.folders["C:\\Saver"] = pictures(100);
  store("time", "soon");
  startShow();
  EXPECT_FALSE(ended_);
  EXPECT_EQ(slide_->timer1().interval(), 5000);
}

struct Conversion {
  const char* text;
  int32_t value;
};

class ToInt32 : public ::testing::TestWithParam<Conversion> {};

TEST_P(ToInt32, AcceptsDecimalsWithBlanksSignAndBankersRounding) {
  EXPECT_EQ(toInt32(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ToInt32,
    ::testing::Values(Conversion{"8", 8}, Conversion{" 8 ", 8}, Conversion{"-3", -3},
                      Conversion{"+7", 7}, Conversion{"2.5", 2}, Conversion{"3.5", 4},
                      Conversion{"2.50001", 3}, Conversion{"-2.5", -2}, Conversion{"0.4", 0},
                      Conversion{"16777215", 16777215}, Conversion{"007", 7},
                      Conversion{"2147483647", 2147483647},
                      Conversion{"-2147483648", INT32_MIN}, Conversion{".5", 0},
                      Conversion{"5.", 5}));

TEST(ToInt32Failures, NonNumbersAreTypeMismatchAndBigValuesOverflow) {
  for (const char* text : {"abc", "", "  ", "-", "1 2", "8s", "1e3", "0x10", "--1", "."}) {
    try {
      toInt32(text);
      ADD_FAILURE() << "accepted \"" << text << "\"";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.code(), ErrorCode::kTypeMismatch) << text;
    }
  }
  for (const char* text : {"2147483648", "-2147483649", "2147483647.5", "99999999999999999999"}) {
    try {
      toInt32(text);
      ADD_FAILURE() << "accepted \"" << text << "\"";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.code(), ErrorCode::kOverflow) << text;
    }
  }
}

}  // namespace
}  // namespace qm
