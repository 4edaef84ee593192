// The event loop port on Qt's own loop: waiting blocks in Qt until an event or a timer wakes it.
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "base/ports.h"

namespace solmir::qt {

class QtEventLoop : public EventLoop {
 public:
  QtEventLoop();
  void process_events() override;
  void wait_for_events(int max_ms) override;
  std::int64_t uptime_ms() override;
  void post(int delay_ms, std::function<void()> task) override;

  // Runs each posted task when set (the window reports a failure that escapes a task, instead
  // of letting it reach Qt's loop, which would end the program).
  std::function<void(const std::function<void()>& task)> run_task;

 private:
  QElapsedTimer clock_;
  QObject context_;
};

}  // namespace solmir::qt
