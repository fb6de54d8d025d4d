#pragma once
// How the client starts a program (the game, for a match or a preview): as it
// is, or, when it is a Windows program and this system is not Windows, through
// a runner, Wine, which the program's command line then passes through.
//
// Wine builds the Windows command line from its arguments, quoting each as the
// Windows C runtime reads it back: an argument with a blank or a tab, and an
// empty one, in double quotes; a quote inside as \"; backslashes before a
// quote doubled. The parameter text is split by the same rules first, so the
// program sees the same arguments as on Windows, and the command line it gets
// is the parameter text byte for byte when the text is already in that form.
// What Wine cannot give back is any other spelling of the same arguments:
// blanks at the start and at the end are dropped (a match's text ends in one
// blank, which the game does not get), a run of blanks or a tab between two
// arguments becomes one blank, and a quoted part inside an argument comes out
// as the whole argument quoted ("/p"C:\a b"" becomes ""/pC:\a b"").

#include <string>
#include <vector>

// True when the file at path is a Windows program: an "MZ" header whose
// e_lfanew field (offset 0x3C) points at a "PE\0\0" signature in the file.
// The name does not matter.
bool IsWindowsExecutable(const std::string& path);

// The runnable file named by name: a name with a '/' as it is, a bare name
// looked up in the folders of searchPath (separated by ':', as in PATH).
// Empty when there is none, or it is not a file that may be executed.
std::string FindRunnable(const std::string& name, const std::string& searchPath);

// Where Wine's loader lives when no "wine" is on the search path (Debian's
// wine64 package installs no /usr/bin/wine).
std::vector<std::string> DefaultWineLocations();

struct ProgramStart {
  bool ok = false;                        // false: no runner could be found
  bool throughRunner = false;             // executable is the runner, arguments[0] the program
  std::string executable;                 // the file to execute (UTF-8)
  std::vector<std::u16string> arguments;  // its arguments (through a runner: the program first)
};

// The start of program (an absolute path) with the Windows-style parameter
// text, on a system other than Windows. runner is access.ini's GameRunner:
// empty for "wine" on searchPath, else the runner's name or path; fallbacks
// are tried when an empty runner finds no "wine" on the path. A program that
// is not a Windows executable starts as it is.
ProgramStart PlanProgramStart(const std::string& program, const std::u16string& parameters, const std::string& runner,
                              const std::string& searchPath,
                              const std::vector<std::string>& fallbacks = DefaultWineLocations());
