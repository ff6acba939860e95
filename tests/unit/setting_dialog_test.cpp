// The settings dialog: what "Change Path" accepts and writes, and how every close ends.
#include <gtest/gtest.h>

#include "tests/unit/program.h"

namespace qm {
namespace {

using Writes = std::vector<std::string>;

class SettingDialog : public ::testing::Test, public Program {
 protected:
  SettingDialog() {
    tk.folders["C:\\Saver"] = {"sunset.jpg", "notes.txt"};
    tk.folders["C:\\Pictures"] = {"a.bmp", "b.gif"};
    tk.folders["C:\\Pictures\\Holiday"] = {"beach.JPG"};
    tk.folders["C:\\No files"] = {};
    tk.folders["C:\\Other kinds"] = {"song.mp3", "shot.png"};
    tk.folders["C:\\Metafile"] = {"drawing.wmf"};
    tk.folders["D:\\"] = {"root.jpg"};
    tk.driveDirectories["d:"] = "D:\\";
  }
  // Configuration mode, as Windows starts it with "/c", over stored settings it must not show.
  void open() {
    tk.store.write("file", "settings", "time", "30");
    tk.store.write("file", "settings", "background", "16777215");
    tk.store.writes.clear();
    ASSERT_FALSE(start("/c"));
    ASSERT_NE(setting, nullptr);
  }
  // Clicks Command1 (0, "Change Path") or Command2 (1, "Cancel"); true when the program ended.
  bool click(size_t button) {
    return ends([&] { tk.buttons.at(button)->click(); });
  }
  std::string text1() const { return tk.textBoxes.at(0)->text(); }
  // The text of the last message box, or empty text.
  std::string lastBox() const {
    return tk.application.messageBoxes.empty() ? "" : tk.application.messageBoxes.back().text;
  }
};

TEST_F(SettingDialog, OpensHiddenShowOverTheCurrentDirectoryWithItsOwnDefaults) {
  open();
  EXPECT_FALSE(tk.lastWindow->visible);
  EXPECT_TRUE(tk.lastDialog->visible);
  EXPECT_EQ(text1(), "C:\\Saver");
  EXPECT_EQ(setting->file1().listCount(), 1);
  EXPECT_EQ(tk.textBoxes.at(1)->text(), "8");
  EXPECT_EQ(tk.checkBox->value(), 0);
}

struct Choice {
  const char* drive;   // chosen in the drive list, or null
  const char* folder;  // then opened in the directory list, or null
  const char* time;    // typed into Text2, or null
  int check;
  Writes writes;
};

class ChangePath : public SettingDialog, public ::testing::WithParamInterface<Choice> {};

TEST_P(ChangePath, WritesFolderTimeAndBackgroundInOrderThenEnds) {
  const Choice& c = GetParam();
  open();
  if (c.drive) tk.driveList->chooseByUser(c.drive);
  if (c.folder) tk.dirList->openByUser(c.folder);
  if (c.time) tk.textBoxes.at(1)->setText(c.time);
  tk.checkBox->setValue(c.check);
  EXPECT_TRUE(click(0));
  EXPECT_EQ(tk.store.writes, c.writes);
  EXPECT_TRUE(tk.lastDialog->unloaded);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ChangePath,
    ::testing::Values(Choice{nullptr,
                             nullptr,
                             nullptr,
                             0,
                             {"file/Settings/Path=C:\\Saver\\", "file/settings/time=8",
                              "file/Settings/background=0"}},
                      Choice{nullptr,
                             "C:\\Pictures",
                             " 12x",
                             1,  // written as typed, not checked
                             {"file/Settings/Path=C:\\Pictures\\", "file/settings/time= 12x",
                              "file/Settings/background=16777215"}},
                      Choice{"d:",
                             nullptr,
                             nullptr,
                             0,  // a drive's root keeps its one separator
                             {"file/Settings/Path=D:\\", "file/settings/time=8",
                              "file/Settings/background=0"}},
                      Choice{nullptr,
                             "C:\\Metafile",
                             nullptr,
                             0,  // a lone metafile counts as a picture
                             {"file/Settings/Path=C:\\Metafile\\", "file/settings/time=8",
                              "file/Settings/background=0"}}));

TEST_F(SettingDialog, FolderWithoutPicturesIsRefusedAndTheDialogStays) {
  open();
  for (const char* folder : {"C:\\No files", "C:\\Other kinds"}) {
    tk.dirList->openByUser(folder);
    EXPECT_FALSE(click(0)) << folder;
    EXPECT_TRUE(tk.lastDialog->visible) << folder;
    ASSERT_EQ(tk.application.messageBoxes.size(), 1u);
    EXPECT_EQ(tk.application.messageBoxes[0].text, "No Graphics in this directory to display!");
    EXPECT_EQ(tk.application.messageBoxes[0].title, "No Graphics!");
    EXPECT_EQ(tk.application.messageBoxes[0].style, 48);
    tk.application.messageBoxes.clear();
  }
  EXPECT_TRUE(tk.store.writes.empty());
  // The next click starts afresh from the folder shown now.
  tk.dirList->openByUser("C:\\Pictures\\Holiday");
  EXPECT_TRUE(click(0));
  EXPECT_EQ(tk.store.writes.at(0), "file/Settings/Path=C:\\Pictures\\Holiday\\");
}

class NoFolder : public SettingDialog, public ::testing::WithParamInterface<const char*> {};

// Empty text becomes "\", which names no folder; a folder may also go before the click.
TEST_P(NoFolder, ReachesTheDispatcherBeforeAnyWrite) {
  open();
  tk.textBoxes.at(0)->setText(GetParam());
  EXPECT_TRUE(click(0));
  EXPECT_TRUE(tk.store.writes.empty());
  EXPECT_EQ(lastBox().rfind("Error 76: ", 0), 0u) << lastBox();
}

INSTANTIATE_TEST_SUITE_P(Texts, NoFolder, ::testing::Values("", "C:\\Gone"));

TEST_F(SettingDialog, ADriveNotReadyReachesTheDispatcher) {
  open();
  EXPECT_TRUE(ends([this] { tk.driveList->chooseByUser("a:"); }));
  EXPECT_EQ(lastBox().rfind("Error 68: ", 0), 0u) << lastBox();
}

TEST_F(SettingDialog, CancelAndCloseWriteNothingAndEnd) {
  open();
  tk.checkBox->setValue(1);
  EXPECT_TRUE(click(1));
  EXPECT_TRUE(tk.store.writes.empty());
  Program other;
  ASSERT_FALSE(other.start("/c"));
  EXPECT_TRUE(ends([&] { other.tk.lastDialog->closeByUser(); }));
  EXPECT_TRUE(other.tk.store.writes.empty());
}

}  // namespace
}  // namespace qm
