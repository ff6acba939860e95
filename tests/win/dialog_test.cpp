// The settings dialog's window and lists, and the show's file list, on a real folder tree.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/win/helpers.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/dialog_controls.h"
#include "toolkit/win32/file_list.h"
#include "toolkit/win32/folders.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {
namespace {

using Names = std::vector<std::string>;

class DialogLists : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"\\Pictures", "\\Pictures\\b 10", "\\Pictures\\b 9",
                               "\\Pictures\\secret", "\\Pictures\\folder.jpg", "\\Empty"})
      ::CreateDirectoryW(widen(root_ + folder).c_str(), nullptr);
    // Not "a.jpgx", which a search for "*.jpg" finds by its short name.
    for (const char* file : {"img10.jpg", "img2.JPG", "IMG1.bmp", "a.jpgx", "plan.wmf",
                             "\xD0\x9A\xD0\xB0\xD1\x80.gif", "hidden.jpg", "system.bmp"})
      UniqueHandleObject(::CreateFileW(widen(root_ + "\\Pictures\\" + file).c_str(), GENERIC_WRITE,
                                       0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (const char* hidden : {"\\Pictures\\secret", "\\Pictures\\hidden.jpg"})
      ::SetFileAttributesW(widen(root_ + hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW(widen(root_ + "\\Pictures\\system.bmp").c_str(), FILE_ATTRIBUTE_SYSTEM);
  }
  // Out of the tree before it is removed.
  void TearDown() override { ::SetCurrentDirectoryW(startDirectory_.c_str()); }
  static LRESULT rows(HWND list) { return ::SendMessageW(list, LB_GETCOUNT, 0, 0); }

  ScratchFolder scratch_{L"qm-tree-"};
  std::string root_ = narrow(scratch_.path());
  std::wstring startDirectory_ = currentDirectory();
  Win32Application app_;
  Win32Dialog dialog_{app_, "Picture Directory setting ", 5775, 4725};
};

TEST_F(DialogLists, DirectoryListMovesAndRaisesItsChangeBeforeReturning) {
  Win32DirList list(dialog_, {210, 720, 2055, 2115});
  Names seen;
  list.setChange([&] { seen.push_back(list.path()); });
  list.setPath(root_ + "\\Pictures\\");
  ASSERT_EQ(seen, Names{root_ + "\\Pictures"});
  // The way down from the root, then the visible subfolders in the show's own order.
  const Names entries = list.entries();
  ASSERT_GE(entries.size(), 5u);
  EXPECT_EQ(entries.front(), root_.substr(0, 3));
  const std::string pictures = root_ + "\\Pictures";
  EXPECT_EQ(Names(entries.end() - 4, entries.end()),
            (Names{pictures, pictures + "\\b 9", pictures + "\\b 10", pictures + "\\folder.jpg"}));
  EXPECT_EQ(rows(list.handle()), static_cast<LRESULT>(entries.size()));

  list.setPath(root_ + "\\PICTURES");  // the same folder: no change
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(errorOf([&] { list.setPath(root_ + "\\gone\\"); }), 76);
  EXPECT_EQ(list.path(), root_ + "\\Pictures");

  const std::string drive = root_.substr(0, 2);  // a root keeps its separator
  list.setPath(drive + "\\");
  EXPECT_EQ(list.path(), drive + "\\");
  ::SetCurrentDirectoryW(widen(root_ + "\\Empty").c_str());
  list.setPath(drive);  // a drive alone is its current directory
  EXPECT_EQ(list.path(), root_ + "\\Empty");
}

TEST_F(DialogLists, FileListsHoldTheVisibleMatchingFilesByLongNameInNaturalOrder) {
  Win32FileList show("*.bmp;*.jpg;*.gif");
  show.setPath(root_ + "\\Pictures\\");
  Names names;
  for (int16_t i = 0; i < show.listCount(); ++i) names.push_back(show.list(i));
  EXPECT_EQ(names, (Names{"IMG1.bmp", "img2.JPG", "img10.jpg", "\xD0\x9A\xD0\xB0\xD1\x80.gif"}));
  EXPECT_EQ(errorOf([&] { show.setPath(root_ + "\\no such folder\\"); }), 76);

  Win32FileListBox files(dialog_, "*.jpg;*.gif;*.bmp;*.wmf", {2400, 690, 3255, 1455});
  files.setPath(root_ + "\\Pictures");
  EXPECT_EQ(rows(files.handle()), 5);
  files.setPath(root_ + "\\Empty");
  EXPECT_EQ(rows(files.handle()), 0);
}

TEST_F(DialogLists, DriveListNamesTheDrivesAndRaisesItsChangeInADialogWithTheIconAndNoOwner) {
  EXPECT_NE(::GetClassLongPtrW(dialog_.handle(), GCLP_HICON), 0u);
  EXPECT_EQ(::GetWindow(dialog_.handle(), GW_OWNER), nullptr);
  Win32DriveList drives(dialog_, {210, 2880, 2055, 315});
  LRESULT present = 0;
  for (DWORD mask = ::GetLogicalDrives(); mask != 0; mask >>= 1) present += mask & 1;
  EXPECT_EQ(::SendMessageW(drives.handle(), CB_GETCOUNT, 0, 0), present);
  int changes = 0;
  drives.setChange([&] { ++changes; });
  const std::string other = drives.drive() == "z:" ? "c:" : "z:";
  drives.setDrive(other == "z:" ? "Z:" : "C:");
  EXPECT_EQ(drives.drive(), other);
  drives.setDrive(other);
  EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace qm::win32
