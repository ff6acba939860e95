#pragma once
// The toolkit as one object: the services and the factory of the show window's controls.
// The Win32 build and the tests' in-memory fake each provide one.
#include <memory>

#include "toolkit/application.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/picture.h"
#include "toolkit/settings_store.h"
#include "toolkit/sound_io.h"
#include "toolkit/window.h"

namespace qm {

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  virtual Application& app() = 0;
  virtual Screen& screen() = 0;
  virtual SettingsStore& settings() = 0;
  virtual PictureLoader& pictures() = 0;
  virtual ResourceReader& resources() = 0;
  virtual SoundOutput& sound() = 0;

  // The borderless, maximized, topmost show window, created hidden with BackColor 0.
  virtual std::unique_ptr<Window> createShowWindow() = 0;
  // Created disabled with Interval 0; ticks arrive through the message loop and never re-enter
  // their own handler.
  virtual std::unique_ptr<Timer> createTimer(Window& owner) = 0;
  virtual std::unique_ptr<Label> createLabel(Window& owner, const LabelStyle& style) = 0;
  virtual std::unique_ptr<FileList> createFileList(const std::string& pattern) = 0;

  // The settings dialog: caption and client size in twips. Each control created on it comes
  // after the ones before it in the focus order; frames and labels take no focus.
  virtual std::unique_ptr<Dialog> createDialog(const std::string& caption, float width,
                                               float height) = 0;
  virtual void addFrame(Dialog& dialog, const std::string& caption, const Place& place) = 0;
  virtual void addLabel(Dialog& dialog, const std::string& caption, const Place& place) = 0;
  // index: the button's place in its control array, handed to its click handler.
  virtual std::unique_ptr<Button> createButton(Dialog& dialog, const std::string& caption,
                                               const Place& place, int index) = 0;
  // Starts at the process's current drive.
  virtual std::unique_ptr<DriveList> createDriveList(Dialog& dialog, const Place& place) = 0;
  // Starts at the process's current directory.
  virtual std::unique_ptr<DirList> createDirList(Dialog& dialog, const Place& place) = 0;
  // A visible file list, starting at the process's current directory.
  virtual std::unique_ptr<FileList> createFileListBox(Dialog& dialog, const std::string& pattern,
                                                      const Place& place) = 0;
  virtual std::unique_ptr<TextBox> createTextBox(Dialog& dialog, const TextBoxStyle& style) = 0;
  virtual std::unique_ptr<CheckBox> createCheckBox(Dialog& dialog, const std::string& caption,
                                                   const Place& place) = 0;
};

}  // namespace qm
