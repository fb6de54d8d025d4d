#pragma once
// The server's sense of time. Everything that happens on a schedule (keep-alive,
// the demo's matches and chatter, the delay before a wait turns into a match)
// asks this clock, so tests move time forward by hand instead of sleeping.

#include <cstdint>
#include <functional>
#include <map>

class ServerClock {
 public:
  using TimerId = int;
  virtual ~ServerClock() = default;
  // Milliseconds since some fixed moment; never goes backwards.
  virtual int64_t nowMs() const = 0;
  // Calls fn every intervalMs (at least 1) until cancelled.
  virtual TimerId every(int64_t intervalMs, std::function<void()> fn) = 0;
  // Cancelling an unknown or already cancelled id does nothing; a timer may
  // cancel itself or others from inside its callback.
  virtual void cancel(TimerId id) = 0;
};

// Time that moves only when told to. advance() fires every due timer in time
// order, each seeing nowMs() equal to its due time.
class ManualClock final : public ServerClock {
 public:
  int64_t nowMs() const override { return now_; }
  TimerId every(int64_t intervalMs, std::function<void()> fn) override;
  void cancel(TimerId id) override { timers_.erase(id); }
  void advance(int64_t ms);
  int timerCount() const { return static_cast<int>(timers_.size()); }

 private:
  struct Timer {
    int64_t interval = 1;
    int64_t due = 0;
    std::function<void()> fn;
  };
  int64_t now_ = 0;
  TimerId next_ = 1;
  std::map<TimerId, Timer> timers_;
};
