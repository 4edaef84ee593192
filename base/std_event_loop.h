// An event loop made of the standard library alone: posted tasks run in time order on the
// calling thread. With virtual time the clock jumps to the next task instead of sleeping, so
// that tests of long waits and silences run at once and always alike.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

#include "base/ports.h"

namespace solmir {

class StdEventLoop : public EventLoop {
 public:
  explicit StdEventLoop(bool virtual_time = false);
  void process_events() override;
  void wait_for_events(int max_ms) override;
  std::int64_t uptime_ms() override;
  void post(int delay_ms, std::function<void()> task) override;

  // Virtual time only: moves the clock on.
  void advance(std::int64_t ms) { virtual_now_ += ms; }
  std::size_t pending() const { return tasks_.size(); }

 private:
  bool virtual_time_;
  std::int64_t virtual_now_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::uint64_t sequence_ = 0;
  // Key: due time, then posting order.
  std::multimap<std::pair<std::int64_t, std::uint64_t>, std::function<void()>> tasks_;
};

}  // namespace solmir
