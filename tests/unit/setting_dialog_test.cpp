// The settings dialog: what "Change Path" accepts and writes, and how every close ends.
#include <gtest/gtest.h>

#include "app/slide.h"
#include "settings/setting_dialog.h"
#include "tests/fake/fake_toolkit.h"

namespace qm {
namespace {

using fake::FakeToolkit;
using fake::ProgramEnded;

using Writes = std::vector<std::string>;

class SettingDialog : public ::testing::Test {
 protected:
  SettingDialog() {
    tk_.folders["C:\\Saver"] = {{"sunset.jpg"}, {"notes.txt"}};
    tk_.folders["C:\\Pictures"] = {{"a.bmp"}, {"b.gif"}, {"Holiday", true}};
    tk_.folders["C:\\Pictures\\Holiday"] = {{"beach.JPG"}};
    tk_.folders["C:\\Only folders"] = {{"one", true}, {"two", true}};
    tk_.folders["C:\\Other kinds"] = {{"song.mp3"}, {"shot.png"}, {"hidden.jpg", false, true}};
    tk_.folders["C:\\Metafile"] = {{"drawing.wmf"}};
    tk_.folders["D:\\"] = {{"root.jpg"}};
    tk_.driveDirectories["d:"] = "D:\\";
  }
  // Starts the program in configuration mode, as Windows does with "/c".
  void start(const std::string& arguments = "/c") {
    tk_.application.arguments = arguments;
    slide_ = std::make_unique<Slide>(tk_, [this] {
      setting_ = std::make_unique<Setting>(tk_);
      setting_->show();
    });
    startProgram(tk_, *slide_);
    ASSERT_NE(setting_, nullptr);
  }
  // Clicks a button; true when the program ended in the click.
  bool click(int button) {
    try {
      tk_.buttons.at(static_cast<size_t>(button))->click();
      return false;
    } catch (const ProgramEnded&) {
      return true;
    }
  }
  bool changePath() { return click(0); }
  std::string text1() const { return tk_.textBoxes.at(0)->text(); }
  Writes writes() const { return tk_.store.writes; }
  size_t noGraphicsBoxes() const {
    size_t count = 0;
    for (const auto& box : tk_.application.messageBoxes)
      count += box.text == "No Graphics in this directory to display!" &&
               box.title == "No Graphics!" && box.style == 48;
    return count;
  }

  FakeToolkit tk_;
  std::unique_ptr<Slide> slide_;
  std::unique_ptr<Setting> setting_;
};

TEST_F(SettingDialog, OpensOverTheCurrentDirectoryWithItsOwnDefaultsNotTheStoredOnes) {
  tk_.store.write("file", "settings", "time", "30");
  tk_.store.write("file", "settings", "background", "16777215");
  const int readsBefore = tk_.store.reads;
  start();
  EXPECT_FALSE(tk_.lastWindow->visible);
  EXPECT_TRUE(tk_.lastDialog->visible);
  EXPECT_EQ(tk_.lastDialog->caption, "Picture Directory setting ");
  EXPECT_EQ(text1(), "C:\\Saver");
  EXPECT_EQ(tk_.textBoxes.at(1)->text(), "8");
  EXPECT_FALSE(tk_.textBoxes.at(0)->style.enabled);
  EXPECT_EQ(tk_.checkBox->value(), 0);
  EXPECT_EQ(tk_.store.reads, readsBefore);
}

TEST_F(SettingDialog, ChangePathWritesTheThreeValuesInOrderAndEnds) {
  start();
  tk_.dirList->openByUser("C:\\Pictures");
  EXPECT_EQ(text1(), "C:\\Pictures");
  EXPECT_EQ(setting_->file1().listCount(), 2);
  tk_.textBoxes.at(1)->setText(" 12x");  // written as typed, not checked
  tk_.checkBox->setValue(1);
  EXPECT_TRUE(changePath());
  EXPECT_EQ(writes(), (Writes{"file/Settings/Path=C:\\Pictures\\", "file/settings/time= 12x",
                              "file/Settings/background=16777215"}));
  EXPECT_TRUE(tk_.lastDialog->unloaded);
}

TEST_F(SettingDialog, UnchangedDefaultsWriteEightAndBlack) {
  start();
  EXPECT_TRUE(changePath());
  EXPECT_EQ(writes(), (Writes{"file/Settings/Path=C:\\Saver\\", "file/settings/time=8",
                              "file/Settings/background=0"}));
}

TEST_F(SettingDialog, FinalSeparatorIsAddedOnceAndADriveRootKeepsItsOwn) {
  start();
  tk_.driveList->chooseByUser("d:");
  EXPECT_EQ(setting_->dir1().path(), "D:\\");
  EXPECT_EQ(text1(), "D:\\");
  EXPECT_TRUE(changePath());
  EXPECT_EQ(writes().at(0), "file/Settings/Path=D:\\");
}

TEST_F(SettingDialog, EmptyPathTextGetsASeparatorAndIsNotAFolder) {
  start();
  tk_.textBoxes.at(0)->setText("");
  // "\" alone names no folder of the list: the failure goes to the dispatcher, nothing written.
  EXPECT_TRUE(changePath());
  EXPECT_EQ(setting_->settingsPath(), "\\");
  EXPECT_TRUE(writes().empty());
  ASSERT_EQ(tk_.application.messageBoxes.size(), 1u);
  EXPECT_EQ(tk_.application.messageBoxes[0].text.rfind("Error 76: ", 0), 0u);
}

TEST_F(SettingDialog, FolderWithoutPicturesIsRefusedAndTheDialogStays) {
  start();
  for (const char* folder : {"C:\\Only folders", "C:\\Other kinds"}) {
    SCOPED_TRACE(folder);
    tk_.dirList->openByUser(folder);
    EXPECT_FALSE(changePath());
    EXPECT_TRUE(tk_.lastDialog->visible);
    EXPECT_EQ(setting_->settingsPath(), std::string(folder) + "\\");
  }
  EXPECT_EQ(noGraphicsBoxes(), 2u);
  EXPECT_TRUE(writes().empty());

  // The next click starts afresh from the folder shown now.
  tk_.dirList->openByUser("C:\\Pictures\\Holiday");
  EXPECT_TRUE(changePath());
  EXPECT_EQ(writes().at(0), "file/Settings/Path=C:\\Pictures\\Holiday\\");
}

TEST_F(SettingDialog, ALoneMetafileIsAccepted) {
  start();
  tk_.dirList->openByUser("C:\\Metafile");
  EXPECT_TRUE(changePath());
  EXPECT_EQ(writes().at(0), "file/Settings/Path=C:\\Metafile\\");
}

TEST_F(SettingDialog, CancelAndCloseWriteNothingAndEnd) {
  start();
  tk_.checkBox->setValue(1);
  EXPECT_TRUE(click(1));
  EXPECT_TRUE(writes().empty());
  EXPECT_TRUE(tk_.application.ended);

  FakeToolkit other;
  other.application.arguments = "/c";
  std::unique_ptr<Setting> setting;
  Slide slide(other, [&] {
    setting = std::make_unique<Setting>(other);
    setting->show();
  });
  startProgram(other, slide);
  EXPECT_THROW(other.lastDialog->closeByUser(), ProgramEnded);
  EXPECT_TRUE(other.store.writes.empty());
}

TEST_F(SettingDialog, AFolderGoneBeforeTheClickReachesTheDispatcherBeforeAnyWrite) {
  start();
  tk_.dirList->openByUser("C:\\Pictures");
  tk_.folders.erase("C:\\Pictures\\Holiday");
  tk_.textBoxes.at(0)->setText("C:\\Pictures\\Holiday");
  EXPECT_TRUE(changePath());
  EXPECT_TRUE(writes().empty());
  EXPECT_EQ(tk_.application.messageBoxes.at(0).text.rfind("Error 76: ", 0), 0u);
}

TEST_F(SettingDialog, ADriveNotReadyReachesTheDispatcher) {
  start();
  try {
    tk_.driveList->chooseByUser("a:");
  } catch (const ProgramEnded&) {
  }
  EXPECT_TRUE(tk_.application.ended);
  EXPECT_EQ(tk_.application.messageBoxes.at(0).text.rfind("Error 68: ", 0), 0u);
}

}  // namespace
}  // namespace qm
