#pragma once
// Win32: a timer of the show window, ticking through WM_TIMER under the shared timer rule.
#include <windows.h>

#include "toolkit/timer_rule.h"

namespace qm::win32 {

class Win32ShowWindow;

class Win32Timer : public TimerRule {
 public:
  explicit Win32Timer(Win32ShowWindow& owner);
  ~Win32Timer() override;

 private:
  // Arms the platform timer while enabled at a non-zero interval, kills it otherwise.
  void changed() override;
  Win32ShowWindow& owner_;
  UINT_PTR id_;
};

}  // namespace qm::win32
