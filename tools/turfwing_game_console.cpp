// turfwing-game for Windows without Qt: a console stand-in for the game
// program. Each start appends one line to its log, in UTF-8:
//
//   cwd="Z:\\home\\me\\turfwing" cmdline="\"Z:\\...\\soccer.exe\" 10.1.2.3 5000 abc 7 0 /r0 /s1 /m1 /f0 "
//   args=["10.1.2.3",...]
//
// cmdline is GetCommandLineW() exactly as the process got it (the program's
// own name first), args the arguments after the program's name as the C
// runtime splits them. Quoting as in the Qt stand-in: a double quote or a
// backslash is escaped with a backslash, control characters are written as
// \xNN. The log is the file named by TURFWING_GAME_LOG, else
// turfwing-game.log beside this program.

#include <windows.h>

#include <cstdio>
#include <string>

#include "log_text.h"

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string Quoted(const std::wstring& text) { return ::Quoted(Utf8(text)); }

std::wstring CurrentFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(n);
  }
}

std::wstring LogPath() {
  std::wstring fromEnvironment(32768, L'\0');
  const DWORD n =
      GetEnvironmentVariableW(L"TURFWING_GAME_LOG", fromEnvironment.data(), static_cast<DWORD>(fromEnvironment.size()));
  if (n > 0 && n < fromEnvironment.size()) return fromEnvironment.substr(0, n);
  std::wstring self(32768, L'\0');
  const DWORD len = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  self.resize(len);
  const size_t slash = self.find_last_of(L"\\/");
  return (slash == std::wstring::npos ? std::wstring() : self.substr(0, slash + 1)) + L"turfwing-game.log";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::string line = "cwd=" + Quoted(CurrentFolder()) + " cmdline=" + Quoted(GetCommandLineW()) + " args=[";
  for (int i = 1; i < argc; ++i) line += (i > 1 ? "," : "") + Quoted(argv[i]);
  line += "]\n";

  const std::wstring path = LogPath();
  std::FILE* log = _wfopen(path.c_str(), L"ab");
  const bool ok = log != nullptr && std::fwrite(line.data(), 1, line.size(), log) == line.size();
  if (log != nullptr && std::fclose(log) != 0) return 1;
  if (!ok) {
    std::fprintf(stderr, "turfwing-game: cannot write %s\n", Utf8(path).c_str());
    return 1;
  }
  std::fputs(line.c_str(), stdout);
  return 0;
}
