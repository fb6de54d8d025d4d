#pragma once
// The client's command line:
//
//   turfwing [--trace] [--debug] [--] [SETTINGS.INI]
//   turfwing --help | --version
//
// The one argument names the settings file. An option the client does not
// know ends the program before it touches any file; Qt's own options
// (-style, -platform, ...) pass through to Qt. After "--" every word is an
// argument, so a settings file may begin with "-".

#include <string>
#include <vector>

struct ProgramArguments {
  enum class Action { Run, Help, Version, Refuse };
  Action action = Action::Run;
  bool trace = false;
  bool debug = false;
  // The words that are not options, in order: exactly one names the settings file.
  std::vector<std::string> files;
  // With Refuse: the one line to print on standard error.
  std::string refusal;
};

// args are the words after the program's name.
ProgramArguments ParseProgramArguments(const std::vector<std::string>& args);

// What --help prints.
const char* UsageText();
