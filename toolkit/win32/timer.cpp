#include "toolkit/win32/timer.h"

#include "toolkit/failure.h"
#include "toolkit/win32/window.h"

namespace qm::win32 {

Win32Timer::Win32Timer(Win32ShowWindow& owner) : owner_(owner), id_(owner.addTimer(this)) {}

Win32Timer::~Win32Timer() {
  if (owner_.handle()) ::KillTimer(owner_.handle(), id_);
  owner_.removeTimer(id_);
}

void Win32Timer::setInterval(int32_t milliseconds) {
  // 0 stops the ticks; the platform's largest interval is 0x7FFFFFFF, the int32 maximum.
  if (milliseconds < 0) throw Failure(ErrorCode::kInvalidPropertyValue, "timer interval");
  interval_ = milliseconds;
  arm();
}

void Win32Timer::setEnabled(bool enabled) {
  enabled_ = enabled;
  arm();
}

void Win32Timer::arm() {
  HWND window = owner_.handle();
  if (!window) return;
  if (enabled_ && interval_ > 0) {
    ::SetTimer(window, id_, static_cast<UINT>(interval_), nullptr);
  } else {
    ::KillTimer(window, id_);
  }
}

void Win32Timer::onTick() {
  if (ticking_ || !enabled_ || interval_ == 0) return;
  ticking_ = true;
  dispatchEvent(owner_.app(), tick_);
  ticking_ = false;
}

}  // namespace qm::win32
