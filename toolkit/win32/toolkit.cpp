#include "toolkit/win32/toolkit.h"

#include "toolkit/win32/dialog.h"
#include "toolkit/win32/dialog_controls.h"
#include "toolkit/win32/file_list.h"
#include "toolkit/win32/label.h"
#include "toolkit/win32/timer.h"
#include "toolkit/win32/window.h"

namespace qm::win32 {

namespace {

Win32ShowWindow& asShowWindow(Window& window) { return dynamic_cast<Win32ShowWindow&>(window); }
Win32Dialog& asDialog(Dialog& dialog) { return dynamic_cast<Win32Dialog&>(dialog); }

}  // namespace

std::unique_ptr<Window> Win32Toolkit::createShowWindow() {
  return std::make_unique<Win32ShowWindow>(application_);
}

std::unique_ptr<Timer> Win32Toolkit::createTimer(Window& owner) {
  return std::make_unique<Win32Timer>(asShowWindow(owner));
}

std::unique_ptr<Label> Win32Toolkit::createLabel(Window& owner, const LabelStyle& style) {
  return std::make_unique<Win32Label>(asShowWindow(owner), style);
}

std::unique_ptr<FileList> Win32Toolkit::createFileList(const std::string& pattern) {
  return std::make_unique<Win32FileList>(pattern);
}

std::unique_ptr<Dialog> Win32Toolkit::createDialog(const std::string& caption, float width,
                                                   float height) {
  return std::make_unique<Win32Dialog>(application_, caption, width, height);
}

void Win32Toolkit::addFrame(Dialog& dialog, const std::string& caption, const Place& place) {
  HWND frame = asDialog(dialog).addControl(L"BUTTON", caption, BS_GROUPBOX, place);
  // Behind the controls it holds, so that it never paints over them.
  ::SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Toolkit::addLabel(Dialog& dialog, const std::string& caption, const Place& place) {
  asDialog(dialog).addControl(L"STATIC", caption, SS_LEFT | SS_NOPREFIX, place);
}

std::unique_ptr<Button> Win32Toolkit::createButton(Dialog& dialog, const std::string& caption,
                                                   const Place& place, int index) {
  return std::make_unique<Win32Button>(asDialog(dialog), caption, place, index);
}

std::unique_ptr<DriveList> Win32Toolkit::createDriveList(Dialog& dialog, const Place& place) {
  return std::make_unique<Win32DriveList>(asDialog(dialog), place);
}

std::unique_ptr<DirList> Win32Toolkit::createDirList(Dialog& dialog, const Place& place) {
  return std::make_unique<Win32DirList>(asDialog(dialog), place);
}

std::unique_ptr<FileList> Win32Toolkit::createFileListBox(Dialog& dialog,
                                                          const std::string& pattern,
                                                          const Place& place) {
  return std::make_unique<Win32FileListBox>(asDialog(dialog), pattern, place);
}

std::unique_ptr<TextBox> Win32Toolkit::createTextBox(Dialog& dialog, const TextBoxStyle& style) {
  return std::make_unique<Win32TextBox>(asDialog(dialog), style);
}

std::unique_ptr<CheckBox> Win32Toolkit::createCheckBox(Dialog& dialog, const std::string& caption,
                                                       const Place& place) {
  return std::make_unique<Win32CheckBox>(asDialog(dialog), caption, place);
}

}  // namespace qm::win32
