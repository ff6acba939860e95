#pragma once
// The rule every toolkit's timer follows, written once: Interval from 0 (no ticks) to
// 0x7FFFFFFF, and a tick handed to the dispatcher only while enabled, at a non-zero interval and
// outside a tick of the same timer (a nested message pump may run the other timer, not this one).
#include <functional>

#include "toolkit/application.h"
#include "toolkit/window.h"

namespace qm {

class TimerRule : public Timer {
 public:
  explicit TimerRule(Application& app) : app_(app) {}
  void setTick(std::function<void()> tick) override { tick_ = std::move(tick); }
  int32_t interval() const override { return interval_; }
  void setInterval(int32_t milliseconds) override;
  bool enabled() const override { return enabled_; }
  void setEnabled(bool enabled) override;
  // One tick as the message loop delivers it; false when the rule holds it back.
  bool tick();

 protected:
  // Interval or Enabled changed: a platform timer follows them here.
  virtual void changed() {}

 private:
  Application& app_;
  std::function<void()> tick_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  bool ticking_ = false;
};

}  // namespace qm
