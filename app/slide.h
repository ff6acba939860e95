#pragma once
// The show window and its handlers: mode selection at load, the exits on user input, and the
// pacing and banner ticks that the slide show and banner parts fill in.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "sound/sound.h"
#include "toolkit/toolkit.h"

namespace qm {

class Slide {
 public:
  // showSetting opens the settings dialog in configuration mode.
  Slide(Toolkit& toolkit, std::function<void()> showSetting);

  // Load handler: refuses a second instance and selects the mode from the command line.
  void load();
  // True when load hid the window, so start-up must not show it.
  bool hiddenAtLoad() const { return hiddenAtLoad_; }

  void keyPress(int character);
  void mouseMove();
  void unload();
  void activate();
  void timer1Tick();
  void timer2Tick();
  // Puts the next picture on the screen.
  void showGraphics();

  Window& window() { return *window_; }
  Timer& timer1() { return *timer1_; }
  Timer& timer2() { return *timer2_; }
  FileList& file1() { return *file1_; }
  Label& label1(int index) { return *label1_.at(static_cast<size_t>(index)); }

  int32_t cursorShowCount() const { return cursorShowCount_; }
  int16_t mouseMoveCount() const { return mouseMoveCount_; }
  int16_t pictureIndex() const { return pictureIndex_; }
  const PictureRef& currentPicture() const { return currentPicture_; }
  Module1& module1() { return module1_; }

 private:
  Toolkit& toolkit_;
  std::function<void()> showSetting_;
  Module1 module1_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<Timer> timer1_;
  std::unique_ptr<Timer> timer2_;
  std::unique_ptr<FileList> file1_;
  std::array<std::unique_ptr<Label>, 3> label1_;

  bool hiddenAtLoad_ = false;
  int32_t cursorShowCount_ = 0;
  int16_t mouseMoveCount_ = 0;
  int16_t pictureIndex_ = 0;
  PictureRef currentPicture_;
};

// Runs the show window's load handler and shows the window unless load hid it. The caller then
// runs the message loop for as long as the window lives.
void startProgram(Toolkit& toolkit, Slide& slide);

}  // namespace qm
