#pragma once
// The toolkit as one object: the services and the factory of the show window's controls.
// The Win32 build and the tests' in-memory fake each provide one.
#include <memory>

#include "toolkit/application.h"
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
  virtual std::unique_ptr<Label> createLabel(Window& owner, const LabelSpec& spec) = 0;
  virtual std::unique_ptr<FileList> createFileList(const std::string& pattern) = 0;
};

}  // namespace qm
