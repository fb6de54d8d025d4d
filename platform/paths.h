#pragma once
// Where the two INI files live: access.ini beside the executable, and the
// user's settings file, by default the executable's path with ".INI" as its
// extension, or the one command-line argument when exactly one is given.
//
// Paths are native narrow strings as the file system takes them.

#include <string>
#include <vector>

// Whose path rules: Windows ('\\', '/' and a drive's ':' end a folder) or POSIX.
enum class PathStyle { Posix, Windows };
#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// The separator between a folder and a name: '\\' on Windows, '/' elsewhere.
char Separator(PathStyle style = kNativePathStyle);

// The full path of the running executable, or empty when it cannot be found.
std::string CurrentExecutablePath();

// The folder part of path, without a trailing separator ("" when path has none).
std::string FolderOf(const std::string& path, PathStyle style = kNativePathStyle);

// folder, a separator unless folder already ends in one, and name; name alone
// when folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name, PathStyle style = kNativePathStyle);

// "/..." on POSIX; "C:\..." or a share ("\\server\...") on Windows.
bool IsAbsolutePath(const std::string& path, PathStyle style = kNativePathStyle);

// The path with the extension of its last component replaced by ext (ext
// includes the dot); a name without an extension gets ext appended. A leading
// dot of a name does not start an extension.
std::string ChangeFileExt(const std::string& path, const std::string& ext, PathStyle style = kNativePathStyle);

// <folder of the executable><separator>access.ini
std::string AccessPath(const std::string& executablePath, PathStyle style = kNativePathStyle);

// The settings file the program's arguments (after its name) name: the one
// argument when there is exactly one, else null.
const std::string* SettingsArgument(const std::vector<std::string>& arguments);

// The executable's path with ".INI" as its extension, or the settings argument
// unchanged.
std::string SettingsPath(const std::string& executablePath, const std::vector<std::string>& arguments,
                         PathStyle style = kNativePathStyle);
