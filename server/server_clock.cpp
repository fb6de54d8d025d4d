#include "server/server_clock.h"

ServerClock::TimerId ManualClock::every(int64_t intervalMs, std::function<void()> fn) {
  const int64_t interval = intervalMs < 1 ? 1 : intervalMs;
  const TimerId id = next_++;
  timers_[id] = Timer{interval, now_ + interval, std::move(fn)};
  return id;
}

void ManualClock::advance(int64_t ms) {
  const int64_t target = now_ + (ms < 0 ? 0 : ms);
  for (;;) {
    // The earliest due timer; ties go to the older timer.
    auto best = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
      if (it->second.due <= target && (best == timers_.end() || it->second.due < best->second.due)) best = it;
    }
    if (best == timers_.end()) break;
    now_ = best->second.due;
    best->second.due += best->second.interval;
    // Copy: the callback may cancel this very timer.
    const std::function<void()> fn = best->second.fn;
    fn();
  }
  now_ = target;
}
