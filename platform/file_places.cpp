#include "platform/file_places.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/paths.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/cp932.h"
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The absolute entries of a ':'-separated list; empty and relative ones are dropped.
std::vector<std::string> AbsoluteEntries(const std::string& list, PathStyle style) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string entry = list.substr(start, end - start);
    if (IsAbsolutePath(entry, style)) out.push_back(std::move(entry));
    start = end + 1;
  }
  return out;
}

// The variable's value when it is an absolute path, else "".
std::string AbsoluteVariable(const PlacesLookup& lookup, const char* name, PathStyle style) {
  std::string value = lookup.variable ? lookup.variable(name) : std::string();
  return IsAbsolutePath(value, style) ? value : std::string();
}

// An XDG base folder: the variable when it holds an absolute path (an empty or
// relative one is ignored, as if it were unset), else homeRelative beneath the
// home folder (HOME, or the account's when HOME is unset); "" without a home.
std::string XdgFolder(const PlacesLookup& lookup, const char* variable, const char* homeRelative, PathStyle style) {
  if (std::string folder = AbsoluteVariable(lookup, variable, style); !folder.empty()) return folder;
  std::string home = AbsoluteVariable(lookup, "HOME", style);
  if (home.empty() && IsAbsolutePath(lookup.accountHome, style)) home = lookup.accountHome;
  return home.empty() ? std::string() : JoinPath(home, homeRelative, style);
}

// The user's own folder for the client's files, or "" when there is no home to put it in.
std::string UserFolder(const PlacesLookup& lookup, PathStyle style) {
  if (style == PathStyle::Windows) {
    std::string appData = AbsoluteVariable(lookup, "APPDATA", style);
    if (appData.empty()) {
      const std::string profile = AbsoluteVariable(lookup, "USERPROFILE", style);
      if (profile.empty()) return {};
      appData = JoinPath(JoinPath(profile, "AppData", style), "Roaming", style);
    }
    return JoinPath(appData, "Turfwing", style);
  }
  const std::string config = XdgFolder(lookup, "XDG_CONFIG_HOME", ".config", style);
  return config.empty() ? std::string() : JoinPath(config, "turfwing", style);
}

// The chat logs of an installed client: data, not configuration, so on POSIX
// they follow XDG_DATA_HOME.
std::string InstalledLogsFolder(const PlacesLookup& lookup, PathStyle style, const std::string& user) {
  if (style == PathStyle::Windows) return user.empty() ? std::string() : JoinPath(user, "logs", style);
  const std::string data = XdgFolder(lookup, "XDG_DATA_HOME", ".local/share", style);
  return data.empty() ? std::string() : JoinPath(JoinPath(data, "turfwing", style), "logs", style);
}

// Where an operator may put a system-wide access.ini: each XDG_CONFIG_DIRS
// entry (/etc/xdg when unset or empty). Windows has no such list.
std::vector<std::string> SystemConfigFolders(const PlacesLookup& lookup, PathStyle style) {
  if (style == PathStyle::Windows) return {};
  const std::string dirs = lookup.variable ? lookup.variable("XDG_CONFIG_DIRS") : std::string();
  if (dirs.empty()) return {"/etc/xdg"};
  return AbsoluteEntries(dirs, style);
}

}  // namespace

std::string PortableLogsFolder(const std::string& settingsPath, PathStyle style) {
  return JoinPath(FolderOf(settingsPath, style), "logs", style);
}

FilePlaces DecideFilePlaces(const std::string& executablePath, const std::vector<std::string>& arguments,
                            const PlacesLookup& lookup) {
  const PathStyle style = lookup.windows ? PathStyle::Windows : PathStyle::Posix;
  const std::string exeFolder = FolderOf(executablePath, style);
  FilePlaces places;

  const std::string besideExe = AccessPath(executablePath, style);
  if (lookup.isFile && lookup.isFile(besideExe)) {
    places.portable = true;
    places.accessPath = besideExe;
    places.settingsPath = SettingsPath(executablePath, arguments, style);
    places.dataFolder = exeFolder;
    places.logsFolder = PortableLogsFolder(places.settingsPath, style);
    return places;
  }

  places.portable = false;
  places.dataFolder = JoinPath(JoinPath(FolderOf(exeFolder, style), "share", style), "turfwing", style);
  const std::string user = UserFolder(lookup, style);

  std::vector<std::string> candidates;
  if (!user.empty()) candidates.push_back(JoinPath(user, "access.ini", style));
  for (const std::string& dir : SystemConfigFolders(lookup, style)) {
    candidates.push_back(JoinPath(JoinPath(dir, "turfwing", style), "access.ini", style));
  }
  const std::string tmpl = JoinPath(places.dataFolder, "access.ini", style);
  candidates.push_back(tmpl);
  places.accessPath = tmpl;
  for (const std::string& c : candidates) {
    if (lookup.isFile && lookup.isFile(c)) {
      places.accessPath = c;
      break;
    }
  }
  places.gameFolder = FolderOf(places.accessPath, style);
  places.logsFolder = InstalledLogsFolder(lookup, style, user);

  if (const std::string* argument = SettingsArgument(arguments)) {
    places.settingsPath = *argument;
  } else if (!user.empty()) {
    places.settingsPath = JoinPath(user, "turfwing.INI", style);
    places.settingsFolder = user;
  }

  if (!lookup.isFolder || !lookup.isFolder(places.dataFolder)) {
    places.problem = "Turfwing のデータフォルダが見つかりません。\n" + places.dataFolder +
                     "\nサウンドと access.ini のひな形がないため、インストールをやり直してください。";
  } else if (places.settingsPath.empty()) {
    places.problem = style == PathStyle::Windows
                         ? "ユーザーのフォルダ (APPDATA) がわからないため、設定を保存できません。"
                         : "ホームフォルダ (HOME) がわからないため、設定を保存できません。";
  }
  return places;
}

#ifdef _WIN32

namespace {
std::wstring Wide(const std::string& path) {
  const std::u16string w = cp932::ToUtf16(path);
  return std::wstring(w.begin(), w.end());
}
}  // namespace

PlacesLookup PlacesLookup::System() {
  PlacesLookup lookup;
  lookup.windows = true;
  lookup.variable = [](const char* name) -> std::string {
    const std::u16string wideName = cp932::Utf8ToUtf16(name);
    const wchar_t* value = _wgetenv(reinterpret_cast<const wchar_t*>(wideName.c_str()));
    std::string out;
    if (value == nullptr || !cp932::FromUtf16(reinterpret_cast<const char16_t*>(value), out)) return {};
    return out;
  };
  lookup.isFile = [](const std::string& path) {
    const DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
  };
  lookup.isFolder = [](const std::string& path) {
    const DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  };
  return lookup;
}

bool MakeFolderPath(const std::string& folder) {
  if (folder.empty()) return false;
  const DWORD a = GetFileAttributesW(Wide(folder).c_str());
  if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const std::string parent = FolderOf(folder, PathStyle::Windows);
  if (!parent.empty() && parent != folder && !MakeFolderPath(parent)) return false;
  // The folder inherits the access list of its parent, the user's own profile.
  return CreateDirectoryW(Wide(folder).c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

#else

PlacesLookup PlacesLookup::System() {
  PlacesLookup lookup;
  lookup.windows = false;
  lookup.variable = [](const char* name) -> std::string {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
  };
  lookup.isFile = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  };
  lookup.isFolder = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  };
  // HOME unset (a service, a stripped environment): the account database still knows.
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
    lookup.accountHome = pw->pw_dir;
  return lookup;
}

bool MakeFolderPath(const std::string& folder) {
  if (folder.empty()) return false;
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const std::string parent = FolderOf(folder, PathStyle::Posix);
  if (!parent.empty() && parent != folder && !MakeFolderPath(parent)) return false;
  // Owner-only: the settings file holds the password in plain text.
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

#endif

std::FILE* OpenNativeFile(const std::string& path, const char* mode) {
  if (path.empty()) {
    errno = ENOENT;
    return nullptr;
  }
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  return _wfopen(Wide(path).c_str(), wideMode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}
