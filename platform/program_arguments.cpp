#include "platform/program_arguments.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Qt reads these itself (with one dash or two); the ones that take a value
// take the next word, or "=value".
constexpr std::array<std::string_view, 12> kQtValueOptions{
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "style",           "stylesheet",         "display",       "name"};
constexpr std::array<std::string_view, 4> kQtFlags{"reverse", "widgetcount", "nograb", "dograb"};

template <size_t N>
bool Contains(const std::array<std::string_view, N>& list, std::string_view word) {
  return std::find(list.begin(), list.end(), word) != list.end();
}

}  // namespace

ProgramArguments ParseProgramArguments(const std::vector<std::string>& args) {
  ProgramArguments out;
  auto refuse = [&out](std::string line) {
    out.action = ProgramArguments::Action::Refuse;
    out.refusal = std::move(line);
    return out;
  };
  bool onlyFiles = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (onlyFiles || a.size() < 2 || a.front() != '-') {
      if (!onlyFiles && a == "-") return refuse("turfwing: unknown option '-' (see turfwing --help)");
      out.files.push_back(a);
      continue;
    }
    if (a == "--") {
      onlyFiles = true;
    } else if (a == "--help" || a == "-h") {
      // The first of --help and --version wins; nothing else is looked at.
      if (out.action == ProgramArguments::Action::Run) out.action = ProgramArguments::Action::Help;
    } else if (a == "--version") {
      if (out.action == ProgramArguments::Action::Run) out.action = ProgramArguments::Action::Version;
    } else if (a == "--trace") {
      out.trace = true;
    } else if (a == "--debug") {
      out.debug = true;
    } else {
      std::string_view name(a);
      name.remove_prefix(name.starts_with("--") ? 2 : 1);
      const size_t eq = name.find('=');
      const std::string_view bare = name.substr(0, eq);
      if (Contains(kQtValueOptions, bare)) {
        if (eq == std::string_view::npos && ++i >= args.size()) {
          return refuse("turfwing: option '" + a + "' needs a value (see turfwing --help)");
        }
      } else if (!Contains(kQtFlags, name)) {
        return refuse("turfwing: unknown option '" + a + "' (see turfwing --help)");
      }
    }
  }
  return out;
}

const char* UsageText() {
  return "Usage: turfwing [OPTION]... [--] [SETTINGS.INI]\n"
         "The lobby client of the Turfwing online football game.\n"
         "\n"
         "  SETTINGS.INI  the settings file to read and write instead of the usual one\n"
         "  --trace       print the connection's trace lines and event-loop stalls to stderr\n"
         "  --debug       also show the trace lines in the debug log window\n"
         "  --help        show this help and exit\n"
         "  --version     show the version and exit\n"
         "\n"
         "When the program's folder holds access.ini, every file lives beside the program.\n"
         "Otherwise access.ini is read from $XDG_CONFIG_HOME/turfwing, $XDG_CONFIG_DIRS/turfwing\n"
         "or the installed template, and the settings are kept in\n"
         "$XDG_CONFIG_HOME/turfwing/turfwing.INI (~/.config/turfwing/turfwing.INI).\n"
         "Qt's own options (-style, -platform, ...) are passed on to Qt.\n";
}
