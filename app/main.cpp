// Turfwing: start-up order and the top-level error display.
//
//   turfwing [SETTINGS.INI] [--trace] [--debug]
//
// The one argument names the settings file instead of the executable's own
// path with ".INI". --trace writes the connection's trace lines to stderr;
// --debug also shows them in the debug log window. With --trace the client also
// reports each pass of its event loop that kept the loop from running for 8 ms
// or more ("loop gap N ms cpu M ms", M being the part the client itself worked):
// what a user feels as a stall while the lobby floods.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "app/application.h"
#include "dialogs/debug_form.h"
#include "lobby/form_main.h"
#include "platform/paths.h"

namespace {

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

int main(int argc, char** argv) {
  TurfwingApplication app(argc, argv);

  bool trace = false;
  bool debug = false;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--trace") {
      trace = true;
    } else if (a == "--debug") {
      debug = true;
    } else {
      arguments.push_back(a);
    }
  }
  std::string exe = CurrentExecutablePath();
  if (exe.empty()) exe = QCoreApplication::applicationFilePath().toStdString();

  TFormMain form(AccessPath(exe), SettingsPath(exe, arguments));
  if (trace || debug) {
    form.setTraceSink([&form, trace, debug](const QString& line) {
      if (trace) std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
      if (debug) form.findChild<TDebugForm*>()->AddLine(line);
    });
  }
  // A 2 ms tick that arrives late by the time the loop was held up elsewhere;
  // the thread's CPU time over the gap tells our own work from the system giving
  // the processor to someone else.
  QElapsedTimer loopClock;
  QTimer loopTick;
  qint64 lastTick = 0;
  qint64 lastCpu = ThreadCpuUs();
  if (trace) {
    loopTick.setTimerType(Qt::PreciseTimer);
    loopTick.setInterval(2);
    QObject::connect(&loopTick, &QTimer::timeout, [&] {
      const qint64 now = loopClock.nsecsElapsed() / 1000;
      const qint64 cpu = ThreadCpuUs();
      const qint64 gapUs = now - lastTick;
      const qint64 busyUs = cpu - lastCpu;
      lastTick = now;
      lastCpu = cpu;
      if (gapUs >= 8000) {
        std::fprintf(stderr, "loop gap %lld ms cpu %lld ms\n", static_cast<long long>(gapUs / 1000),
                     static_cast<long long>(busyUs / 1000));
      }
    });
    loopClock.start();
    loopTick.start();
  }
  form.show();
  // Without a window manager (a bare X server) nothing activates the window,
  // and the first activation is what opens the login dialog.
  form.activateWindow();
  if (debug) form.findChild<TDebugForm*>()->show();
  return app.exec();
}
