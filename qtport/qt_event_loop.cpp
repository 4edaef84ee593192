#include "qtport/qt_event_loop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace solmir::qt {

QtEventLoop::QtEventLoop() {
  clock_.start();
}

void QtEventLoop::process_events() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventLoop::wait_for_events(int max_ms) {
  // A timer wakes the wait when nothing else arrives in time.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(std::max(max_ms, 0));
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
}

std::int64_t QtEventLoop::uptime_ms() {
  return clock_.elapsed();
}

void QtEventLoop::post(int delay_ms, std::function<void()> task) {
  QTimer::singleShot(std::max(delay_ms, 0), &context_, std::move(task));
}

}  // namespace solmir::qt
