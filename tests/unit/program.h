#pragma once
// The program as Windows runs it, on the in-memory toolkit: the show window's load, its show
// unless load hid it, and the settings dialog in configuration mode.
#include <memory>
#include <string>

#include "app/slide.h"
#include "settings/setting_dialog.h"
#include "tests/error_of.h"
#include "tests/fake/fake_toolkit.h"

namespace qm {

// True when the program ended inside the event.
inline bool ends(const std::function<void()>& event) {
  try {
    event();
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

struct Program {
  // Starts with the given command line; true when the program ended during start-up.
  bool start(const std::string& arguments) {
    tk.application.arguments = arguments;
    slide = std::make_unique<Slide>(tk, [this] {
      setting = std::make_unique<Setting>(tk);
      setting->show();
    });
    return ends([this] { startProgram(tk, *slide); });
  }
  // An action of the user or the system, delivered through the dispatcher as the message loop
  // delivers it; true when the program ended in it.
  bool user(const std::function<void()>& action) {
    return ends([&] { dispatchEvent(tk.application, action); });
  }
  // One tick of Timer1 (0) or Timer2 (1) as the loop delivers it; true when the program ended.
  bool tick(size_t timer) {
    return ends([&] { tk.timers.at(timer)->tick(); });
  }

  fake::FakeToolkit tk;
  std::unique_ptr<Slide> slide;
  std::unique_ptr<Setting> setting;
};

}  // namespace qm
