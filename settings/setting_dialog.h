#pragma once
// The settings dialog of configuration mode: the user picks the picture folder, the interval
// for large folders and a white background; "Change Path" stores them and every close ends
// the program.
#include <memory>
#include <string>

#include "toolkit/toolkit.h"

namespace qm {

class Setting {
 public:
  // Creates the dialog and its controls, hidden.
  explicit Setting(Toolkit& toolkit);
  void show() { dialog_->show(); }

  // Event handlers.
  void activate();
  void drive1Change();
  void dir1Change();
  void command1Click(int index);
  void command2Click();
  void unload();

  DriveList& drive1() { return *drive1_; }
  DirList& dir1() { return *dir1_; }
  FileList& file1() { return *file1_; }
  TextBox& text1() { return *text1_; }
  TextBox& text2() { return *text2_; }
  CheckBox& check1() { return *check1_; }
  Dialog& dialog() { return *dialog_; }
  const std::string& settingsPath() const { return settingsPath_; }

 private:
  void changePath();

  Toolkit& toolkit_;
  std::unique_ptr<Dialog> dialog_;
  std::unique_ptr<Button> command1_;
  std::unique_ptr<DriveList> drive1_;
  std::unique_ptr<DirList> dir1_;
  std::unique_ptr<FileList> file1_;
  std::unique_ptr<TextBox> text1_;
  std::unique_ptr<TextBox> text2_;
  std::unique_ptr<Button> command2_;
  std::unique_ptr<CheckBox> check1_;
  std::string settingsPath_;
};

}  // namespace qm
