#pragma once
// Win32: the covers of the monitors other than the primary one while the show runs. A cover is a
// borderless topmost window of the show's background colour with nothing drawn on it; the
// user's key presses and mouse moves on it go to the show window's own handlers, so the show
// ends from any monitor exactly as from its own.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "toolkit/win32/window_base.h"

namespace qm::win32 {

// The show window's handling of input that arrives on a cover.
struct CoverInput {
  std::function<void(int character)> keyPress;
  std::function<void(POINT screenPoint)> mouseMove;
};

class CoverWindow : public WindowBase {
 public:
  // Created shown, without taking the activation from the show window.
  CoverWindow(Application& app, const RECT& area, COLORREF colour, const CoverInput& input);
  const RECT& area() const { return area_; }
  void setColour(COLORREF colour);

 private:
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void paint(HDC target, const RECT& area) override;

  RECT area_;
  COLORREF colour_;
  const CoverInput& input_;
};

// The areas, in virtual-screen pixels, of every monitor but the primary one.
std::vector<RECT> secondaryMonitors();

// One cover per area, kept in step with the monitors.
class Covers {
 public:
  Covers(Application& app, CoverInput input) : app_(app), input_(std::move(input)) {}
  // Covers exactly these areas: a cover whose area is still there stays as it is, so that no
  // window reappears under the pointer without need; the others go or come.
  void cover(const std::vector<RECT>& areas, COLORREF colour);
  void setColour(COLORREF colour);
  void removeAll() { windows_.clear(); }
  const std::vector<std::unique_ptr<CoverWindow>>& windows() const { return windows_; }

 private:
  Application& app_;
  CoverInput input_;
  std::vector<std::unique_ptr<CoverWindow>> windows_;
};

}  // namespace qm::win32
