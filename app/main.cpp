// Turfwing: start-up order and the top-level error display.
//
//   turfwing [--trace] [--debug] [--] [SETTINGS.INI]
//   turfwing --help | --version
//
// The one argument names the settings file (platform/file_places.h says where
// it is otherwise). --trace writes the connection's trace lines and the event
// loop's stalls to stderr; --debug also shows the trace lines in the debug log
// window. The command line is read before anything else, so --help, --version
// and a refused option need no display and touch no file.
#include <QCoreApplication>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/loop_gap_probe.h"
#include "dialogs/debug_form.h"
#include "lobby/form_main.h"
#include "lobby/main_window_rules.h"
#include "platform/file_places.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/program_arguments.h"

int main(int argc, char** argv) {
  const ProgramArguments args = ParseProgramArguments(std::vector<std::string>(argv + 1, argv + argc));
  switch (args.action) {
    case ProgramArguments::Action::Help:
      std::fputs(UsageText(), stdout);
      return 0;
    case ProgramArguments::Action::Version:
      std::printf("turfwing %s\n", ProgramVersion().c_str());
      return 0;
    case ProgramArguments::Action::Refuse:
      std::fprintf(stderr, "%s\n", args.refusal.c_str());
      return 2;
    case ProgramArguments::Action::Run:
      break;
  }

  TurfwingApplication app(argc, argv);
  std::string exe = CurrentExecutablePath();
  if (exe.empty()) exe = QCoreApplication::applicationFilePath().toStdString();
  const FilePlaces places = DecideFilePlaces(exe, args.files, PlacesLookup::System());
  if (!places.problem.empty()) {
    std::fprintf(stderr, "turfwing: %s\n", places.problem.c_str());
    Platform::current().errorBox(nullptr, QString::fromStdString(places.problem));
  }

  TFormMain form(places);
  if (args.trace || args.debug) {
    form.setTraceSink([&form, trace = args.trace, debug = args.debug](const QString& line) {
      if (trace) std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
      if (debug) form.findChild<TDebugForm*>()->AddLine(line);
    });
  }
  std::optional<LoopGapProbe> probe;
  if (args.trace) probe.emplace(stderr);
  form.show();
  // Without a window manager (a bare X server) nothing activates the window,
  // and the first activation is what opens the login dialog.
  form.activateWindow();
  if (args.debug) form.findChild<TDebugForm*>()->show();
  return app.exec();
}
