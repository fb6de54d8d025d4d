#pragma once
// Real files for the tests of the INI files and settings, on POSIX and on
// Windows: a fresh temporary folder, paths as the program takes them (native
// narrow strings: CP932 bytes on Windows), file modes and a file that cannot
// be read. A case that means something on one system only is skipped on the
// other with the reason (see kOnPosixOnly and kOnWindowsOnly).

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include "platform/cp932.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace testfiles {

// The path of a narrow path string as the program means it.
inline std::filesystem::path Native(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::path(cp932::ToUtf16(path));
#else
  return std::filesystem::path(path);
#endif
}

// The narrow string the program takes for a path.
inline std::string Narrow(const std::filesystem::path& path) {
#ifdef _WIN32
  std::string out;
  cp932::FromUtf16(path.u16string(), out);
  return out;
#else
  return path.string();
#endif
}

inline std::string Read(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(Native(path), std::ios::binary | std::ios::trunc) << bytes;
}

inline bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(Native(path), ignored);
}

inline size_t EntryCount(const std::filesystem::path& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

// A new folder under the system's temporary folder, removed with everything in
// it at the end.
class TempFolder {
 public:
  explicit TempFolder(const char* prefix = "turfwing_test") {
    namespace fs = std::filesystem;
#ifdef _WIN32
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const fs::path candidate = fs::temp_directory_path() / (std::string(prefix) + "_" + std::to_string(random()));
      std::error_code ec;
      if (fs::create_directory(candidate, ec)) path_ = candidate;
    }
#else
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "_XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
#endif
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  bool Valid() const { return !path_.empty(); }
  const std::filesystem::path& Path() const { return path_; }
  // The narrow path of name (CP932 bytes) inside the folder.
  std::string File(const std::string& name) const { return Narrow(path_) + Separator() + name; }

 private:
  static char Separator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
  }
  std::filesystem::path path_;
};

#ifndef _WIN32
// Permission bits of a file.
inline unsigned Mode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0xFFFFFFFFu;
  return st.st_mode & 07777;
}
#endif

// While it lives, the file cannot be read by this process: no permission on
// POSIX (root is handled by the caller, permission bits do not stop it), a
// handle open without sharing on Windows.
class Unreadable {
 public:
  explicit Unreadable(const std::string& path) : path_(path) {
#ifdef _WIN32
    handle_ =
        CreateFileW(Native(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
    ::chmod(path.c_str(), 0);
#endif
  }
  ~Unreadable() {
#ifdef _WIN32
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#else
    ::chmod(path_.c_str(), 0600);
#endif
  }
  Unreadable(const Unreadable&) = delete;
  Unreadable& operator=(const Unreadable&) = delete;

 private:
  std::string path_;
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#endif
};

inline constexpr const char* kOnPosixOnly = "a POSIX case: Windows has no such permission bits or limits";
inline constexpr const char* kOnWindowsOnly = "a Windows case: POSIX lets a rename replace a read-only file";

}  // namespace testfiles
