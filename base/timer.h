// The repeating timer `Timer1`: ticks every interval while enabled, on the event loop.
#pragma once

#include <functional>
#include <memory>

#include "base/ports.h"

namespace solmir {

class RepeatingTimer {
 public:
  RepeatingTimer(EventLoop& loop, int interval_ms) : loop_(loop), interval_ms_(interval_ms) {}
  bool enabled() const { return enabled_; }
  void set_enabled(bool on);
  int interval_ms() const { return interval_ms_; }
  std::function<void()> on_tick;

 private:
  void arm();
  EventLoop& loop_;
  int interval_ms_;
  bool enabled_ = false;
  unsigned generation_ = 0;
  // Ticks already posted do nothing once the timer is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace solmir
