#include "platform/program_start.h"

#include <cstdint>
#include <cstdio>
#include <utility>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/command_line.h"
#include "platform/cp932.h"

namespace {

bool IsRunnableFile(const std::string& path) {
#ifdef _WIN32
  // Windows has no execute bit; a file is enough (the system refuses what it cannot run).
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
#else
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
#endif
}

}  // namespace

bool IsWindowsExecutable(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  unsigned char header[0x40];
  bool windows = std::fread(header, 1, sizeof header, f) == sizeof header && header[0] == 'M' && header[1] == 'Z';
  if (windows) {
    const uint32_t at = static_cast<uint32_t>(header[0x3C]) | static_cast<uint32_t>(header[0x3D]) << 8 |
                        static_cast<uint32_t>(header[0x3E]) << 16 | static_cast<uint32_t>(header[0x3F]) << 24;
    unsigned char signature[4];
    windows = at >= sizeof header && at < (1u << 24) && std::fseek(f, static_cast<long>(at), SEEK_SET) == 0 &&
              std::fread(signature, 1, sizeof signature, f) == sizeof signature && signature[0] == 'P' &&
              signature[1] == 'E' && signature[2] == 0 && signature[3] == 0;
  }
  std::fclose(f);
  return windows;
}

std::string FindRunnable(const std::string& name, const std::string& searchPath) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsRunnableFile(name) ? name : std::string();
  size_t begin = 0;
  for (;;) {
    const size_t end = searchPath.find(':', begin);
    std::string folder = searchPath.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    if (folder.empty()) folder = ".";  // an empty entry is the current folder, as for the shell
    std::string candidate = std::move(folder);
    candidate += '/';
    candidate += name;
    if (IsRunnableFile(candidate)) return candidate;
    if (end == std::string::npos) return {};
    begin = end + 1;
  }
}

std::vector<std::string> DefaultWineLocations() { return {"/usr/lib/wine/wine64", "/usr/lib/wine/wine"}; }

ProgramStart PlanProgramStart(const std::string& program, const std::u16string& parameters, const std::string& runner,
                              const std::string& searchPath, const std::vector<std::string>& fallbacks) {
  ProgramStart start;
  start.arguments = SplitWindowsCommandLine(parameters);
  if (!IsWindowsExecutable(program)) {
    start.ok = true;
    start.executable = program;
    return start;
  }
  start.throughRunner = true;
  start.executable = FindRunnable(runner.empty() ? std::string("wine") : runner, searchPath);
  if (start.executable.empty() && runner.empty()) {
    for (const std::string& candidate : fallbacks) {
      if (IsRunnableFile(candidate)) {
        start.executable = candidate;
        break;
      }
    }
  }
  start.ok = !start.executable.empty();
  start.arguments.insert(start.arguments.begin(), cp932::Utf8ToUtf16(program));
  return start;
}
