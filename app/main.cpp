// Turfwing: start-up order and the top-level error display.
//
//   turfwing [SETTINGS.INI] [--trace] [--debug]
//
// The one argument names the settings file instead of the executable's own
// path with ".INI". --trace writes the connection's trace lines to stderr;
// --debug also shows them in the debug log window.
#include <QCoreApplication>
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
  form.show();
  // Without a window manager (a bare X server) nothing activates the window,
  // and the first activation is what opens the login dialog.
  form.activateWindow();
  if (debug) form.DebugForm->show();
  return app.exec();
}
