#pragma once
// Win32: a timer of the show window, ticking through WM_TIMER.
#include <windows.h>

#include <functional>

#include "toolkit/window.h"

namespace qm::win32 {

class Win32ShowWindow;

class Win32Timer : public Timer {
 public:
  explicit Win32Timer(Win32ShowWindow& owner);
  ~Win32Timer() override;
  void setTick(std::function<void()> tick) override { tick_ = std::move(tick); }
  int32_t interval() const override { return interval_; }
  void setInterval(int32_t milliseconds) override;
  bool enabled() const override { return enabled_; }
  void setEnabled(bool enabled) override;
  // WM_TIMER: runs the handler unless it is already running further up the stack.
  void onTick();

 private:
  void arm();
  Win32ShowWindow& owner_;
  UINT_PTR id_;
  std::function<void()> tick_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  bool ticking_ = false;
};

}  // namespace qm::win32
