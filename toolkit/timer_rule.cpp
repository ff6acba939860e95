#include "toolkit/timer_rule.h"

#include "toolkit/failure.h"

namespace qm {

void TimerRule::setInterval(int32_t milliseconds) {
  // 0 stops the ticks; the platform's largest interval is 0x7FFFFFFF, the int32 maximum.
  if (milliseconds < 0) throw Failure(ErrorCode::kInvalidPropertyValue, "timer interval");
  interval_ = milliseconds;
  changed();
}

void TimerRule::setEnabled(bool enabled) {
  enabled_ = enabled;
  changed();
}

bool TimerRule::tick() {
  if (ticking_ || !enabled_ || interval_ == 0 || !tick_) return false;
  ticking_ = true;
  dispatchEvent(app_, tick_);
  ticking_ = false;
  return true;
}

}  // namespace qm
