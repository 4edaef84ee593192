#include "base/timer.h"

namespace solmir {

void RepeatingTimer::set_enabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  ++generation_;
  if (on) arm();
}

void RepeatingTimer::arm() {
  const unsigned gen = generation_;
  std::weak_ptr<int> alive = alive_;
  loop_.post(interval_ms_, [this, gen, alive] {
    if (alive.expired() || !enabled_ || gen != generation_) return;
    arm();
    if (on_tick) on_tick();
  });
}

}  // namespace solmir
