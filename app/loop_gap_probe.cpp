#include "app/loop_gap_probe.h"

#include <ctime>

namespace {

constexpr qint64 kReportedGapUs = 8000;

// CPU time of the calling thread in microseconds; 0 where it is not known.
qint64 ThreadCpuUs() {
#if defined(Q_OS_UNIX)
  timespec t{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) != 0) return 0;
  return static_cast<qint64>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
#else
  return 0;
#endif
}

}  // namespace

LoopGapProbe::LoopGapProbe(std::FILE* out, QObject* parent) : QObject(parent), out_(out) {
  // A 2 ms tick that arrives late by the time the loop was held up elsewhere;
  // the thread's CPU time over the gap tells our own work from the system
  // giving the processor to someone else.
  tick_.setTimerType(Qt::PreciseTimer);
  tick_.setInterval(2);
  connect(&tick_, &QTimer::timeout, this, &LoopGapProbe::Tick);
  lastCpuUs_ = ThreadCpuUs();
  clock_.start();
  tick_.start();
}

void LoopGapProbe::Tick() {
  const qint64 now = clock_.nsecsElapsed() / 1000;
  const qint64 cpu = ThreadCpuUs();
  const qint64 gapUs = now - lastTickUs_;
  const qint64 busyUs = cpu - lastCpuUs_;
  lastTickUs_ = now;
  lastCpuUs_ = cpu;
  if (gapUs >= kReportedGapUs) {
    std::fprintf(out_, "loop gap %lld ms cpu %lld ms\n", static_cast<long long>(gapUs / 1000),
                 static_cast<long long>(busyUs / 1000));
  }
}
