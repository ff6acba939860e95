// The settings dialog: what "Change Path" accepts and writes, and how every close ends.
#include <gtest/gtest.h>

#include "tests/fake/fake_toolkit.h"

namespace qm {
namespace {

class SettingDialog : public ::testing::Test, public Program {
 protected:
  // Configuration mode, as Windows starts it with "/c", over stored settings it must not show.
  void open() {
    tk.folders["C:\\Saver"] = {"sunset.jpg", "notes.txt"};
    tk.folders["C:\\Pictures"] = {"a.bmp", "b.gif"};
    tk.folders["C:\\Other kinds"] = {"song.mp3", "shot.png"};
    tk.folders["C:\\Metafile"] = {"drawing.wmf"};
    tk.folders["D:\\"] = {"root.jpg"};
    tk.store.write("file", "settings", "time", "30");
    tk.store.write("file", "settings", "background", "16777215");
    tk.store.writes.clear();
    ASSERT_FALSE(start("/c"));
  }
  // Clicks Command1 (0, "Change Path") or Command2 (1, "Cancel"); true when the program ended.
  bool click(size_t button) {
    return user([&] { tk.buttons.at(button)->click(); });
  }
};

struct Choice {
  const char* where;  // a drive chosen ("D:") or a folder opened in the lists; "" for neither
  const char* time;   // typed into Text2, written as typed; "" for none, which writes its "8"
  int check;
  const char* path;  // what is then written; a drive's root keeps its one separator
};

class ChangePath : public SettingDialog, public ::testing::WithParamInterface<Choice> {};

TEST_P(ChangePath, WritesFolderTimeAndBackgroundInOrderThenEnds) {
  const Choice& c = GetParam();
  open();
  const std::string where = c.where;
  ASSERT_FALSE(user([&] {  // a drive chosen, or a folder opened by a double click
    if (where.size() == 2) tk.driveList->setDrive(where);
    if (where.size() > 2) tk.dirList->setPath(where);
  }));
  if (*c.time) tk.textBoxes.at(1)->setText(c.time);
  tk.checkBox->setValue(c.check);
  EXPECT_TRUE(click(0));
  EXPECT_EQ(tk.store.writes,
            (std::vector<std::string>{
                std::string("file/Settings/Path=") + c.path,
                std::string("file/settings/time=") + (*c.time ? c.time : "8"),
                c.check ? "file/Settings/background=16777215" : "file/Settings/background=0"}));
  EXPECT_TRUE(tk.lastDialog->unloaded);
}

INSTANTIATE_TEST_SUITE_P(Choices, ChangePath,
                         ::testing::Values(Choice{"", "", 0, "C:\\Saver\\"},
                                           Choice{"C:\\Pictures", " 12x", 1, "C:\\Pictures\\"},
                                           Choice{"D:", "", 0, "D:\\"},
                                           Choice{"C:\\Metafile", "", 0, "C:\\Metafile\\"}));

TEST_F(SettingDialog, FolderWithoutPicturesIsRefusedAndTheDialogStays) {
  open();
  ASSERT_FALSE(user([this] { tk.dirList->setPath("C:\\Other kinds"); }));
  EXPECT_FALSE(click(0));
  EXPECT_EQ(tk.application.messageBoxes,
            std::vector<std::string>{"No Graphics!|48|No Graphics in this directory to display!"});
  EXPECT_TRUE(tk.store.writes.empty());
  // The next click starts afresh from the folder shown now.
  ASSERT_FALSE(user([this] { tk.dirList->setPath("C:\\Pictures"); }));
  EXPECT_TRUE(click(0));
  EXPECT_EQ(tk.store.writes.at(0), "file/Settings/Path=C:\\Pictures\\");
}

class NoFolder : public SettingDialog, public ::testing::WithParamInterface<const char*> {};

// Empty text becomes "\", which names no folder; a folder may also go before the click.
TEST_P(NoFolder, ReachesTheDispatcherBeforeAnyWrite) {
  open();
  tk.textBoxes.at(0)->setText(GetParam());
  EXPECT_TRUE(click(0));
  EXPECT_TRUE(tk.store.writes.empty());
  ASSERT_EQ(tk.application.messageBoxes.size(), 1u);
  EXPECT_EQ(tk.application.messageBoxes[0].rfind("Quillmoor Screen Saver|48|Error 76: ", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Texts, NoFolder, ::testing::Values("", "C:\\Gone"));

TEST_F(SettingDialog, CancelAndCloseWriteNothingAndEnd) {
  open();
  tk.checkBox->setValue(1);
  EXPECT_TRUE(click(1));
  EXPECT_TRUE(tk.store.writes.empty());
  Program other;
  ASSERT_FALSE(other.start("/c"));
  EXPECT_TRUE(other.user([&] { other.tk.lastDialog->unload(); }));  // closed by the user
  EXPECT_TRUE(other.tk.store.writes.empty());
}

}  // namespace
}  // namespace qm
