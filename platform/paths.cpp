#include "platform/paths.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/cp932.h"
#else
#include <unistd.h>
#endif

namespace {

bool IsSeparator(char c, PathStyle style) {
  if (style == PathStyle::Windows) return c == '\\' || c == '/' || c == ':';
  return c == '/';
}

size_t LastSeparator(const std::string& path, PathStyle style) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1], style)) return i - 1;
  }
  return std::string::npos;
}

}  // namespace

char Separator(PathStyle style) { return style == PathStyle::Windows ? '\\' : '/'; }

std::string CurrentExecutablePath() {
#ifdef _WIN32
  // Paths are CP932 bytes here, whatever the system's code page; a name that
  // CP932 cannot hold has no such form.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::string out;
      if (!cp932::FromUtf16(std::u16string(buffer.begin(), buffer.begin() + n), out)) return {};
      return out;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
#else
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
#endif
}

std::string FolderOf(const std::string& path, PathStyle style) {
  const size_t sep = LastSeparator(path, style);
  if (sep == std::string::npos) return {};
  if (sep == 0) return path.substr(0, 1);  // the root folder
  if (style == PathStyle::Windows) {
    // "C:\": the root folder of a drive ("C:" alone would be drive C's current folder).
    if (sep == 2 && path[1] == ':' && path[2] != ':') return path.substr(0, 3);
    // "C:name": drive C's current folder, which the drive letter alone names.
    if (path[sep] == ':') return path.substr(0, sep + 1);
  }
  return path.substr(0, sep);
}

std::string JoinPath(const std::string& folder, const std::string& name, PathStyle style) {
  if (folder.empty()) return name;                              // a bare name: the current folder
  if (IsSeparator(folder.back(), style)) return folder + name;  // the root folder
  return folder + Separator(style) + name;
}

bool IsAbsolutePath(const std::string& path, PathStyle style) {
  if (style == PathStyle::Posix) return !path.empty() && path.front() == '/';
  if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) return true;  // C:\...
  return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && path[0] == path[1];        // \\server\share
}

std::string ChangeFileExt(const std::string& path, const std::string& ext, PathStyle style) {
  const size_t sep = LastSeparator(path, style);
  const size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string AccessPath(const std::string& executablePath, PathStyle style) {
  return JoinPath(FolderOf(executablePath, style), "access.ini", style);
}

const std::string* SettingsArgument(const std::vector<std::string>& arguments) {
  return arguments.size() == 1 ? &arguments.front() : nullptr;
}

std::string SettingsPath(const std::string& executablePath, const std::vector<std::string>& arguments,
                         PathStyle style) {
  if (const std::string* argument = SettingsArgument(arguments)) return *argument;
  return ChangeFileExt(executablePath, ".INI", style);
}
