#pragma once
// The real clock: a monotonic millisecond count and Qt timers on the thread
// that owns this object.

#include <QElapsedTimer>
#include <QObject>
#include <map>

#include "server/server_clock.h"

class QTimer;

class QtServerClock final : public QObject, public ServerClock {
  Q_OBJECT
 public:
  explicit QtServerClock(QObject* parent = nullptr);
  ~QtServerClock() override;
  int64_t nowMs() const override { return elapsed_.elapsed(); }
  TimerId every(int64_t intervalMs, std::function<void()> fn) override;
  void cancel(TimerId id) override;

 private:
  QElapsedTimer elapsed_;
  TimerId next_ = 1;
  std::map<TimerId, QTimer*> timers_;
};
