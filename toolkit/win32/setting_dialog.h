#pragma once
// Win32: the settings dialog window and the classic controls on it: drive list, directory
// list, file list, text boxes, check box, buttons, frame and labels.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/win32_toolkit.h"

namespace qm::win32 {

class Win32Dialog : public Dialog {
 public:
  Win32Dialog(Application& app, const std::string& caption, float width, float height);
  ~Win32Dialog() override;
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

  void setEvents(DialogEvents events) override { events_ = std::move(events); }
  void show() override;
  void unload() override;

  HWND handle() const { return window_; }
  Application& app() { return app_; }
  int toPixels(float twips) const;
  // A child control at a place in twips, in the dialog's font, last in the focus order.
  HWND addControl(const wchar_t* windowClass, const std::string& text, DWORD style,
                  const Place& place, DWORD extendedStyle = 0, int extraHeight = 0);
  // Notifications of a control (WM_COMMAND codes), run through the dispatcher.
  void onCommand(HWND control, std::function<void(WORD code)> handler);
  // Enter while the control has the focus (no button is the default one).
  void onEnter(HWND control, std::function<void()> handler);
  void onDrawItem(HWND control, std::function<void(const DRAWITEMSTRUCT&)> draw);
  // Forgets the control's handlers and destroys it.
  void removeControl(HWND control);
  int lineHeight() const { return lineHeight_; }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

  Application& app_;
  HWND window_ = nullptr;
  UniqueHFont font_;
  int lineHeight_ = 16;
  float twipsPerPixel_;
  DialogEvents events_;
  bool activatedOnce_ = false;
  HWND focus_ = nullptr;  // the control that had the focus when the dialog was last left
  int nextId_ = 100;  // clear of IDOK and IDCANCEL, which Enter and Esc send
  std::map<int, std::function<void(WORD)>> commands_;
  std::map<HWND, std::function<void()>> enters_;
  std::map<HWND, std::function<void(const DRAWITEMSTRUCT&)>> drawers_;
};

// A control window on the dialog, removed with its handlers when the object goes.
class DialogControl {
 public:
  DialogControl(Win32Dialog& dialog, HWND control) : dialog_(dialog), control_(control) {}
  ~DialogControl() { dialog_.removeControl(control_); }
  DialogControl(const DialogControl&) = delete;
  DialogControl& operator=(const DialogControl&) = delete;
  HWND handle() const { return control_; }

 protected:
  Win32Dialog& dialog_;
  HWND control_;
};

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
  UniqueHFont font_;
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

// The process's current directory, as a full path.
std::wstring currentDirectory();

// Lets the open dialog take Tab, the arrows and Enter; true when it took the message.
bool dialogKeyboardMessage(MSG& message);

}  // namespace qm::win32
