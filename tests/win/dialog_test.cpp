// The settings dialog's window and lists on a real folder tree.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>

#include "tests/win/helpers.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/dialog_controls.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/folders.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {
namespace {

using Names = std::vector<std::string>;

class DialogLists : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder :
         {"\\Pictures", "\\Pictures\\b 10", "\\Pictures\\b 9", "\\Pictures\\secret", "\\Empty"})
      ::CreateDirectoryW(widen(root_ + folder).c_str(), nullptr);
    ::SetFileAttributesW(widen(root_ + "\\Pictures\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    for (const char* file : {"\\Pictures\\one.jpg", "\\Pictures\\two.GIF", "\\Pictures\\note.txt",
                             "\\Pictures\\plan.wmf"})
      UniqueHandleObject(::CreateFileW(widen(root_ + file).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, 0, nullptr));
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

TEST_F(DialogLists, ClientAreaIsTheDesignedSizeInPixelsAndTheWindowHasTheIcon) {
  RECT client{};
  ::GetClientRect(dialog_.handle(), &client);
  EXPECT_EQ(client.right, std::lround(5775 / twipsPerPixel()));
  EXPECT_EQ(client.bottom, std::lround(4725 / twipsPerPixel()));
  EXPECT_NE(::GetClassLongPtrW(dialog_.handle(), GCLP_HICON), 0u);
  EXPECT_EQ(::GetWindow(dialog_.handle(), GW_OWNER), nullptr);
}

TEST_F(DialogLists, DirectoryListMovesAndRaisesItsChangeBeforeReturning) {
  Win32DirList list(dialog_, {210, 720, 2055, 2115});
  Names seen;
  list.setChange([&] { seen.push_back(list.path()); });
  list.setPath(root_ + "\\Pictures\\");
  ASSERT_EQ(seen, Names{root_ + "\\Pictures"});
  // The way down from the root, then the visible subfolders in the show's own order.
  const Names entries = list.entries();
  ASSERT_GE(entries.size(), 4u);
  EXPECT_EQ(entries.front(), root_.substr(0, 3));
  EXPECT_EQ(Names(entries.end() - 3, entries.end()),
            (Names{root_ + "\\Pictures", root_ + "\\Pictures\\b 9", root_ + "\\Pictures\\b 10"}));
  EXPECT_EQ(rows(list.handle()), static_cast<LRESULT>(entries.size()));

  list.setPath(root_ + "\\PICTURES");  // the same folder: no change
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(errorOf([&] { list.setPath(root_ + "\\gone\\"); }), 76);
  EXPECT_EQ(list.path(), root_ + "\\Pictures");

  const std::string drive = root_.substr(0, 2);  // a root keeps its separator
  list.setPath(drive + "\\");
  EXPECT_EQ(list.path(), drive + "\\");
  EXPECT_EQ(list.entries().front(), drive + "\\");
  ::SetCurrentDirectoryW(widen(root_ + "\\Empty").c_str());
  list.setPath(drive);  // a drive alone is its current directory
  EXPECT_EQ(list.path(), root_ + "\\Empty");
}

TEST_F(DialogLists, FileListShowsTheMatchingFilesOfItsFolder) {
  Win32FileListBox files(dialog_, "*.jpg;*.gif;*.bmp;*.wmf", {2400, 690, 3255, 1455});
  files.setPath(root_ + "\\Pictures");
  ASSERT_EQ(files.listCount(), 3);
  EXPECT_EQ(files.list(1), "plan.wmf");
  EXPECT_EQ(rows(files.handle()), 3);
  files.setPath(root_ + "\\Empty");
  EXPECT_EQ(rows(files.handle()), 0);
}

TEST_F(DialogLists, DriveListNamesTheDrivesAndRaisesItsChange) {
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
