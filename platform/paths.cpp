#include "platform/paths.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/cp932.h"
#else
#include <unistd.h>
#endif

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/' || c == ':';
#else
  return c == '/';
#endif
}

size_t LastSeparator(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return i - 1;
  }
  return std::string::npos;
}

}  // namespace

char NativeSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

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

std::string FolderOf(const std::string& path) {
  const size_t sep = LastSeparator(path);
  if (sep == std::string::npos) return {};
  if (sep == 0) return path.substr(0, 1);  // the root folder
#ifdef _WIN32
  // "C:\": the root folder of a drive ("C:" alone would be drive C's current folder).
  if (sep == 2 && path[1] == ':' && path[2] != ':') return path.substr(0, 3);
  // "C:name": drive C's current folder, which the drive letter alone names.
  if (path[sep] == ':') return path.substr(0, sep + 1);
#endif
  return path.substr(0, sep);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  const size_t sep = LastSeparator(path);
  const size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string AccessPath(const std::string& executablePath) {
  const std::string folder = FolderOf(executablePath);
  if (folder.empty()) return "access.ini";                       // a bare name: the current folder
  if (IsSeparator(folder.back())) return folder + "access.ini";  // the root folder
  return folder + NativeSeparator() + "access.ini";
}

std::string SettingsPath(const std::string& executablePath, const std::vector<std::string>& arguments) {
  if (arguments.size() == 1) return arguments.front();
  return ChangeFileExt(executablePath, ".INI");
}
