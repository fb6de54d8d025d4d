#pragma once
// Where the client keeps its files. One rule decides between two ways of living
// on disk:
//
// Portable: the executable's folder holds access.ini. Everything stays beside
// the executable: access.ini, sound/, and the settings file (the executable's
// path with ".INI", or the one argument). Game programs resolve against the
// current folder, as they always have.
//
// Installed: no access.ini beside the executable (a package put it in a folder
// the user cannot write). Then
//   access.ini    the first found of <user folder>/access.ini, each system
//                 configuration folder's turfwing/access.ini, and the data
//                 folder's template;
//   data folder   ../share/turfwing from the executable's folder, so an
//                 unpacked package runs where it lies; sound/ is beneath it;
//   settings      <user folder>/turfwing.INI, the folder created owner-only,
//                 unless the argument names a file;
//   game          a relative GameExe/GameExeTest resolves against the folder
//                 of the access.ini in use, and the game runs there;
//   chat logs     $XDG_DATA_HOME/turfwing/logs (~/.local/share when unset,
//                 empty or relative) on POSIX, <user folder>\logs on Windows.
// A portable client keeps its chat logs in logs/ beside the settings file.
// The user folder is $XDG_CONFIG_HOME/turfwing (~/.config/turfwing when unset,
// empty or relative) on POSIX and %APPDATA%\Turfwing on Windows.
//
// The decision looks at the world only through PlacesLookup, so tests can run
// every row for both systems on either.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/paths.h"

struct PlacesLookup {
  // Which system's rules: Windows paths and %APPDATA%, or POSIX and XDG.
  bool windows = false;
  // An environment variable's value; empty when unset.
  std::function<std::string(const char* name)> variable;
  // Whether a regular file (or a link to one) exists at the path.
  std::function<bool(const std::string& path)> isFile;
  // Whether a folder exists at the path.
  std::function<bool(const std::string& path)> isFolder;
  // The home folder from the account database, for when HOME is unset; may be empty.
  std::string accountHome;

  // The running system's answers.
  static PlacesLookup System();
};

struct FilePlaces {
  bool portable = true;
  std::string accessPath{};    // the access.ini to read; may not exist
  std::string settingsPath{};  // empty when no user folder could be found
  // The folder to create (owner-only, with its missing parents) before the
  // settings file is written; empty when there is nothing to create.
  std::string settingsFolder{};
  std::string dataFolder{};  // sound/ lives beneath it
  // The folder relative game programs resolve against and run in; empty for the
  // current folder (portable mode).
  std::string gameFolder{};
  // Where the chat logs go; made owner-only on the first line written, never at
  // start-up. Empty when there is no home to put them in.
  std::string logsFolder{};
  // What went wrong finding a place, for the user (UTF-8); empty when all is well.
  std::string problem{};
};

// Decides the places for an executable at executablePath started with these
// arguments (after its name, options removed).
FilePlaces DecideFilePlaces(const std::string& executablePath, const std::vector<std::string>& arguments,
                            const PlacesLookup& lookup);

// The chat logs folder of a portable client: logs/ beside the settings file.
std::string PortableLogsFolder(const std::string& settingsPath, PathStyle style = kNativePathStyle);

// Creates the folder and its missing parents; a folder it creates is readable
// and writable by its owner only. True when the folder exists afterwards.
bool MakeFolderPath(const std::string& folder);

// std::fopen of a native path (on Windows CP932 bytes, opened by their wide
// name, which does not depend on the system's code page). Null with errno set
// when the file cannot be opened, ENOENT for an empty path.
std::FILE* OpenNativeFile(const std::string& path, const char* mode);
