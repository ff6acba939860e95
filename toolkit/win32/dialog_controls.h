#pragma once
// Win32: the classic controls of the settings dialog: buttons, text boxes, the check box, the
// drive, directory and file lists.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/dialog_controls.h"
#include "toolkit/win32/dialog.h"
#include "toolkit/win32/file_list.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

class Win32Button : public Button {
 public:
  Win32Button(Win32Dialog& dialog, const std::string& caption, const Place& place, int index);
  void setClick(std::function<void(int)> click) override { click_ = std::move(click); }
  HWND handle() const { return button_.handle(); }

 private:
  DialogControl button_;
  int index_;
  std::function<void(int)> click_;
};

class Win32TextBox : public TextBox {
 public:
  Win32TextBox(Win32Dialog& dialog, const TextBoxStyle& style);
  std::string text() const override;
  void setText(const std::string& text) override;
  HWND handle() const { return edit_.handle(); }

 private:
  DialogControl edit_;
};

class Win32CheckBox : public CheckBox {
 public:
  Win32CheckBox(Win32Dialog& dialog, const std::string& caption, const Place& place);
  int value() const override;
  void setValue(int value) override;
  HWND handle() const { return box_.handle(); }

 private:
  DialogControl box_;
};

// Drives as "c:", shown with their volume names where they have one.
class Win32DriveList : public DriveList {
 public:
  Win32DriveList(Win32Dialog& dialog, const Place& place);
  std::string drive() const override { return drive_; }
  void setDrive(const std::string& drive) override;
  void setChange(std::function<void()> change) override { change_ = std::move(change); }
  HWND handle() const { return combo_.handle(); }

 private:
  void selectShownDrive();

  DialogControl combo_;
  std::vector<std::string> drives_;
  std::string drive_;
  std::function<void()> change_;
};

// The open folders from the drive's root down to the current one, then its subfolders. A
// double click or Enter opens the chosen one.
class Win32DirList : public DirList {
 public:
  Win32DirList(Win32Dialog& dialog, const Place& place);
  std::string path() const override { return narrow(path_); }
  void setPath(const std::string& path) override;
  void setChange(std::function<void()> change) override { change_ = std::move(change); }
  HWND handle() const { return box_.handle(); }
  // The entries as shown, for tests: full path of each.
  std::vector<std::string> entries() const;
  void openSelected();

 private:
  struct Entry {
    std::wstring path;
    std::wstring name;
    int depth;
    bool open;
  };
  void fill();
  void draw(const DRAWITEMSTRUCT& item) const;

  Win32Dialog& dialog_;
  DialogControl box_;
  std::wstring path_;
  std::vector<Entry> entries_;
  std::function<void()> change_;
};

// The files of one folder that match the pattern, listed as the show's own list orders them.
class Win32FileListBox : public FileList {
 public:
  Win32FileListBox(Win32Dialog& dialog, const std::string& pattern, const Place& place);
  std::string path() const override { return files_.path(); }
  void setPath(const std::string& path) override;
  std::string pattern() const override { return files_.pattern(); }
  void setPattern(const std::string& pattern) override;
  int16_t listCount() const override { return files_.listCount(); }
  std::string list(int16_t index) const override { return files_.list(index); }
  HWND handle() const { return box_.handle(); }

 private:
  void fill();
  Win32FileList files_;
  DialogControl box_;
};

}  // namespace qm::win32
