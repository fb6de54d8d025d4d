// Turfwing: start-up order and the top-level error display.
//
//   turfwing [SETTINGS.INI] [--trace] [--debug]
//
// The one argument names the settings file instead of the executable's own
// path with ".INI". --trace writes the connection's trace lines to stderr;
// --debug also shows them in the debug log window. With --trace the client also
// reports each pass of its event loop that kept the loop from running for 8 ms
// or more ("loop gap N ms"): what a user feels as a stall while the lobby floods.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "app/application.h"
#include "dialogs/debug_form.h"
#include "lobby/form_main.h"
#include "platform/paths.h"

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
      if (debug) form.DebugForm->AddLine(line);
    });
  }
  // A 2 ms tick that arrives late by the time the loop was held up elsewhere.
  QElapsedTimer loopClock;
  QTimer loopTick;
  qint64 lastTick = 0;
  if (trace) {
    loopTick.setTimerType(Qt::PreciseTimer);
    loopTick.setInterval(2);
    QObject::connect(&loopTick, &QTimer::timeout, [&] {
      const qint64 now = loopClock.nsecsElapsed() / 1000;
      const qint64 gapUs = now - lastTick;
      lastTick = now;
      if (gapUs >= 8000) std::fprintf(stderr, "loop gap %lld ms\n", static_cast<long long>(gapUs / 1000));
    });
    loopClock.start();
    loopTick.start();
  }
  form.show();
  // Without a window manager (a bare X server) nothing activates the window,
  // and the first activation is what opens the login dialog.
  form.activateWindow();
  if (debug) form.DebugForm->show();
  return app.exec();
}
