#include "platform/paths.h"

#ifdef _WIN32
#include <windows.h>
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
  char buffer[MAX_PATH + 1];
  const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return std::string(buffer, n);
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
