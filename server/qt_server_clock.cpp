#include "server/qt_server_clock.h"

#include <QTimer>

QtServerClock::QtServerClock(QObject* parent) : QObject(parent) { elapsed_.start(); }

QtServerClock::~QtServerClock() {
  for (auto& [id, timer] : timers_) delete timer;
}

ServerClock::TimerId QtServerClock::every(int64_t intervalMs, std::function<void()> fn) {
  const TimerId id = next_++;
  auto* timer = new QTimer(this);
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(static_cast<int>(intervalMs < 1 ? 1 : intervalMs));
  connect(timer, &QTimer::timeout, this, [fn = std::move(fn)] { fn(); });
  timer->start();
  timers_[id] = timer;
  return id;
}

void QtServerClock::cancel(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->stop();
  // A timer may cancel itself from its own timeout.
  it->second->deleteLater();
  timers_.erase(it);
}
