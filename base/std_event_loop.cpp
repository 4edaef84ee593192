#include "base/std_event_loop.h"

#include <algorithm>
#include <thread>

namespace solmir {

StdEventLoop::StdEventLoop(bool virtual_time) : virtual_time_(virtual_time) {}

std::int64_t StdEventLoop::uptime_ms() {
  if (virtual_time_) return virtual_now_;
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

void StdEventLoop::post(int delay_ms, std::function<void()> task) {
  tasks_.emplace(std::make_pair(uptime_ms() + std::max(delay_ms, 0), sequence_++), std::move(task));
}

void StdEventLoop::process_events() {
  // Runs what is due now; tasks posted meanwhile for now run in the same pass, later ones wait.
  const std::int64_t now = uptime_ms();
  for (int guard = 0; guard < 100000 && !tasks_.empty(); ++guard) {
    auto it = tasks_.begin();
    if (it->first.first > now) break;
    auto task = std::move(it->second);
    tasks_.erase(it);
    task();
  }
}

void StdEventLoop::wait_for_events(int max_ms) {
  const std::int64_t now = uptime_ms();
  std::int64_t until = now + std::max(max_ms, 0);
  if (!tasks_.empty()) until = std::min(until, std::max(now, tasks_.begin()->first.first));
  if (virtual_time_) {
    virtual_now_ = std::max(virtual_now_, until);
  } else if (until > now) {
    std::this_thread::sleep_for(std::chrono::milliseconds(until - now));
  }
  process_events();
}

}  // namespace solmir
