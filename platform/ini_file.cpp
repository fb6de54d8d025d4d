#include "platform/ini_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <limits>

#ifdef _WIN32
#include <windows.h>
// windows.h first.
#include <sddl.h>

#include <random>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

#include "platform/cp932.h"
#include "platform/file_places.h"

namespace {

constexpr size_t kNotFound = std::string::npos;
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// No settings file comes near this; a path naming a device or a huge file is
// refused instead of read without end.
constexpr size_t kMaxFileSize = size_t{16} * 1024 * 1024;

// A stray CR (a file whose line ends were converted twice) counts as a blank.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

size_t SkipBlanks(std::string_view s, size_t from) {
  while (from < s.size() && IsBlank(s[from])) ++from;
  return from;
}

size_t TrimEnd(std::string_view s, size_t begin, size_t end) {
  while (end > begin && IsBlank(s[end - 1])) --end;
  return end;
}

// Names compare without regard to ASCII case; the second byte of a double-byte
// character is compared exactly, so "ア" (0x83 0x41) never equals 0x83 0x61.
bool NamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && cp932::StartsWithFoldingAscii(a, b);
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool EnclosedInQuotes(std::string_view v) { return v.size() >= 2 && IsQuote(v.front()) && v.front() == v.back(); }

// Where the meaningful text of a line starts: after a byte order mark on the
// first line (an editor may have added one) and after leading blanks.
size_t ContentStart(std::string_view text, size_t lineIndex) {
  size_t at = 0;
  if (lineIndex == 0 && text.substr(0, kBom.size()) == kBom) at = kBom.size();
  return SkipBlanks(text, at);
}

// "[name]" (blanks around the name ignored; a missing "]" ends the name at the
// end of the line). False for any other line.
bool ParseHeader(std::string_view text, size_t lineIndex, std::string_view& name) {
  const size_t at = ContentStart(text, lineIndex);
  if (at >= text.size() || text[at] != '[') return false;
  const size_t begin = SkipBlanks(text, at + 1);
  size_t close = text.find(']', begin);
  if (close == kNotFound) close = text.size();
  name = text.substr(begin, TrimEnd(text, begin, close) - begin);
  return true;
}

struct KeyLine {
  std::string_view key;
  size_t valueBegin = 0;
  size_t valueEnd = 0;
};

// "key = value": the key and the value's byte range, blanks excluded. Comments
// (";" first) and lines without "=" are not keys.
bool ParseKey(std::string_view text, size_t lineIndex, KeyLine& out) {
  const size_t at = ContentStart(text, lineIndex);
  if (at >= text.size() || text[at] == ';' || text[at] == '[') return false;
  const size_t eq = text.find('=', at);
  if (eq == kNotFound) return false;
  out.key = text.substr(at, TrimEnd(text, at, eq) - at);
  out.valueBegin = SkipBlanks(text, eq + 1);
  out.valueEnd = TrimEnd(text, out.valueBegin, text.size());
  return true;
}

// The bytes to store for a value: one line, and read back unchanged.
std::string StoredValue(std::string_view value) {
  value = value.substr(0, value.find('\0'));
  std::string v;
  v.reserve(value.size());
  for (char c : value) {
    if (c != '\r' && c != '\n') v.push_back(c);
  }
  const bool needsQuotes = !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()) || EnclosedInQuotes(v));
  if (needsQuotes) return "\"" + v + "\"";
  return v;
}

}  // namespace

IniFile IniFile::FromBytes(std::string_view bytes) {
  IniFile ini;
  bool eolSeen = false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t lf = bytes.find('\n', pos);
    Line line;
    if (lf == kNotFound) {
      line.text.assign(bytes.substr(pos));
      pos = bytes.size();
    } else {
      size_t end = lf;
      if (end > pos && bytes[end - 1] == '\r') {
        --end;
        line.eol = "\r\n";
      } else {
        line.eol = "\n";
      }
      line.text.assign(bytes.substr(pos, end - pos));
      pos = lf + 1;
      if (!eolSeen) {
        ini.eol_ = line.eol;
        eolSeen = true;
      }
    }
    ini.lines_.push_back(std::move(line));
  }
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  IniFile failed;
  failed.readFailed_ = true;
  errno = 0;
  std::FILE* f = OpenNativeFile(path, "rb");
  if (f == nullptr) return errno == ENOENT ? IniFile() : failed;
  std::string bytes;
  char buffer[8192];
  size_t n = 0;
  while (bytes.size() <= kMaxFileSize && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  const bool error = std::ferror(f) != 0 || bytes.size() > kMaxFileSize;
  std::fclose(f);
  if (error) return failed;
  return FromBytes(bytes);
}

size_t IniFile::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (ParseHeader(lines_[i].text, i, name) && NamesEqual(name, section)) return i;
  }
  return kNotFound;
}

size_t IniFile::SectionEnd(size_t header) const {
  std::string_view name;
  for (size_t i = header + 1; i < lines_.size(); ++i) {
    if (ParseHeader(lines_[i].text, i, name)) return i;
  }
  return lines_.size();
}

bool IniFile::FindKey(std::string_view section, std::string_view key, KeyPos& pos) const {
  const size_t header = FindSection(section);
  if (header == kNotFound) return false;
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    KeyLine k;
    if (ParseKey(lines_[i].text, i, k) && NamesEqual(k.key, key)) {
      pos = KeyPos{i, k.valueBegin, k.valueEnd};
      return true;
    }
  }
  return false;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  KeyPos pos{};
  return FindKey(section, key, pos);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  KeyPos pos{};
  if (!FindKey(section, key, pos)) return std::string(def);
  std::string_view value =
      std::string_view(lines_[pos.line].text).substr(pos.valueBegin, pos.valueEnd - pos.valueBegin);
  if (EnclosedInQuotes(value)) value = value.substr(1, value.size() - 2);
  return std::string(value);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  KeyPos pos{};
  if (!FindKey(section, key, pos)) return def;
  const std::string text = ReadString(section, key, "");
  size_t i = SkipBlanks(text, 0);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size()) return def;
  int64_t value = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int>::min())
                                 : static_cast<int64_t>(std::numeric_limits<int>::max());
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return def;
    value = value * 10 + (c - '0');
    if (value > limit) return def;
  }
  return static_cast<int>(negative ? -value : value);
}

void IniFile::InsertLine(size_t at, std::string text) {
  // The line before the new one may be a last line without an ending.
  if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), eol_});
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string stored = StoredValue(value);
  KeyPos pos{};
  if (FindKey(section, key, pos)) {
    lines_[pos.line].text.replace(pos.valueBegin, pos.valueEnd - pos.valueBegin, stored);
    return;
  }
  std::string line;
  line.reserve(key.size() + 1 + stored.size());
  line.append(key).append("=").append(stored);

  const size_t header = FindSection(section);
  if (header == kNotFound) {
    InsertLine(lines_.size(), "[" + std::string(section) + "]");
    InsertLine(lines_.size(), std::move(line));
    return;
  }
  // After the section's last key, so blank lines and comments that lead into
  // the next section stay in front of it.
  const size_t end = SectionEnd(header);
  size_t after = header;
  for (size_t i = header + 1; i < end; ++i) {
    KeyLine k;
    if (ParseKey(lines_[i].text, i, k)) after = i;
  }
  InsertLine(after + 1, std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

std::string IniFile::Bytes() const {
  std::string out;
  for (const Line& line : lines_) out.append(line.text).append(line.eol);
  return out;
}

#ifdef _WIN32

namespace {

// Closes a handle and frees memory from LocalAlloc at the end of a scope.
struct HandleCloser {
  HANDLE h = INVALID_HANDLE_VALUE;
  ~HandleCloser() {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
  }
};
struct LocalFreer {
  void* p = nullptr;
  ~LocalFreer() { LocalFree(p); }
};

// "D:P(A;;FA;;;<user>)": full access for the user running the program and for
// nobody else, not inherited from the folder (the file holds the password).
std::wstring OwnerOnlyDescriptor() {
  HandleCloser token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token.h)) return {};
  DWORD size = 0;
  GetTokenInformation(token.h, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !GetTokenInformation(token.h, TokenUser, buffer.data(), size, &size)) return {};
  LocalFreer sid;
  wchar_t* sidText = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sidText)) return {};
  sid.p = sidText;
  return std::wstring(L"D:P(A;;FA;;;") + sidText + L")";
}

bool WriteAllTo(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

bool IniFile::Save(const std::string& path) const {
  // An empty path would name a temporary file in the current folder.
  if (path.empty()) return false;
  // One conversion: the path is CP932 bytes, whatever the system's code page.
  std::u16string converted = cp932::ToUtf16(path);
  const std::wstring target(converted.begin(), converted.end());
  wchar_t full[MAX_PATH * 4];
  wchar_t* namePart = nullptr;
  const DWORD fullLength = GetFullPathNameW(target.c_str(), static_cast<DWORD>(std::size(full)), full, &namePart);
  if (fullLength == 0 || fullLength >= std::size(full) || namePart == nullptr) return false;
  const std::wstring folder(full, namePart);
  const std::wstring base(namePart);

  const DWORD attributes = GetFileAttributesW(full);
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  // A read-only file stays as it is, as the profile functions leave it; a
  // folder of that name too.
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;

  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof security;
  LocalFreer descriptor;
  const std::wstring sddl = OwnerOnlyDescriptor();
  if (!sddl.empty() && ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                            &security.lpSecurityDescriptor, nullptr)) {
    descriptor.p = security.lpSecurityDescriptor;
  }

  // A name of our own beside the target: CREATE_NEW never opens a file that
  // is already there, whoever made it.
  std::random_device seed;
  std::mt19937_64 random(seed());
  std::wstring temp;
  HandleCloser file;
  for (int attempt = 0; attempt < 100 && file.h == INVALID_HANDLE_VALUE; ++attempt) {
    temp = folder + L"." + base + L"." + std::to_wstring(random() & 0xFFFFFFFFu) + L".tmp";
    file.h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, descriptor.p ? &security : nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  if (file.h == INVALID_HANDLE_VALUE) return false;

  // On disk before the rename, so a crash leaves the old file or the new one.
  bool ok = WriteAllTo(file.h, Bytes()) && FlushFileBuffers(file.h);
  ok = CloseHandle(file.h) && ok;
  file.h = INVALID_HANDLE_VALUE;
  if (ok) {
    // ReplaceFileW keeps an existing file's permissions and attributes, as the
    // POSIX branch keeps its mode.
    ok = exists ? ReplaceFileW(full, temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                : MoveFileExW(temp.c_str(), full, MOVEFILE_WRITE_THROUGH) != 0;
  }
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

#else

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool IniFile::Save(const std::string& path) const {
  if (path.empty()) return false;
  // Through a symbolic link the file it names is replaced, not the link.
  std::string target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
  }
  const size_t slash = target.rfind('/');
  const std::string folder = slash == kNotFound ? std::string(".") : target.substr(0, slash + 1);
  const std::string base = slash == kNotFound ? target : target.substr(slash + 1);

  std::string pattern = folder;
  if (pattern.back() != '/') pattern.push_back('/');
  pattern.append(".").append(base).append(".XXXXXX");
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');
  const int fd = ::mkstemp(temp.data());  // mode 0600
  if (fd < 0) return false;

  bool ok = true;
  if (::stat(target.c_str(), &st) == 0) ok = ::fchmod(fd, st.st_mode & 07777) == 0;
  const std::string bytes = Bytes();
  ok = ok && WriteAll(fd, bytes.data(), bytes.size());
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.data(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.data());
    return false;
  }
  // Make the rename itself durable; the new file is complete either way.
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

#endif
