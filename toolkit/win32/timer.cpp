#include "toolkit/win32/timer.h"

#include "toolkit/win32/window.h"

namespace qm::win32 {

Win32Timer::Win32Timer(Win32ShowWindow& owner)
    : TimerRule(owner.app()), owner_(owner), id_(owner.addTimer(this)) {}

Win32Timer::~Win32Timer() {
  if (owner_.handle()) ::KillTimer(owner_.handle(), id_);
  owner_.removeTimer(id_);
}

void Win32Timer::changed() {
  HWND window = owner_.handle();
  if (!window) return;
  if (enabled() && interval() > 0) {
    ::SetTimer(window, id_, static_cast<UINT>(interval()), nullptr);
  } else {
    ::KillTimer(window, id_);
  }
}

}  // namespace qm::win32
