#include "chat/chat_log_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include "chat/chat_line.h"
#include "platform/cp932.h"
#include "platform/file_places.h"
#include "platform/paths.h"

namespace {

constexpr size_t ReadableBytes = 60;
// A room's lines are collected up to this much before they go to the file.
constexpr size_t FileBuffer = size_t{64} * 1024;

bool Refused(char16_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return true;  // control characters
  if (c == 0xFFFD) return true;                          // a byte that did not decode
  // Surrogates cannot come out of code page 932; should one ever, it goes too.
  if (c >= 0xD800 && c < 0xE000) return true;
  return c < 0x80 && std::strchr("/\\:*?\"<>|", static_cast<int>(c)) != nullptr;
}

bool IsDeviceName(std::string_view name) {
  // The part before the first dot is what Windows compares, in any case.
  const std::string_view base = name.substr(0, name.find('.'));
  std::string upper(base);
  for (char& ch : upper) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
         upper[3] <= '9';
}

uint64_t Fnv1a(std::string_view bytes) {
  uint64_t h = 0xcbf29ce484222325ULL;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ULL;
  }
  return h;
}

int DayOf(const LogStamp& s) { return s.year * 10000 + s.month * 100 + s.day; }

std::string Two(int n) {
  const char digits[] = {static_cast<char>('0' + (n / 10) % 10), static_cast<char>('0' + n % 10), '\0'};
  return digits;
}

std::string DateText(const LogStamp& s) { return std::to_string(s.year) + "-" + Two(s.month) + "-" + Two(s.day); }

// The system's path of a folder name built in UTF-8.
std::string NativeName(const std::string& utf8) {
#ifdef _WIN32
  return cp932::FromUtf8(utf8);
#else
  return utf8;
#endif
}

}  // namespace

LogStamp LocalLogStamp() {
  // A flood asks many times a second: the calendar is worked out once a second.
  thread_local std::time_t last = -1;
  thread_local LogStamp stamp;
  const std::time_t now = std::time(nullptr);
  if (now == last) return stamp;
  std::tm t{};
#ifdef _WIN32
  localtime_s(&t, &now);
#else
  localtime_r(&now, &t);
#endif
  last = now;
  stamp = {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  return stamp;
}

std::string SafeRoomFolderName(std::string_view roomName) {
  std::u16string chars = cp932::ToUtf16(roomName);
  std::replace_if(chars.begin(), chars.end(), Refused, u'_');
  std::string readable = cp932::Utf16ToUtf8(chars);
  if (readable.size() > ReadableBytes) {
    // Cut on a character boundary: never inside a character's continuation bytes.
    size_t end = ReadableBytes;
    while (end > 0 && (static_cast<unsigned char>(readable[end]) & 0xC0) == 0x80) --end;
    readable.resize(end);
  }
  // Windows drops dots and blanks at the end of a name, and a leading dot hides
  // a folder (or, alone or doubled, names this folder or its parent).
  for (size_t i = 0; i < readable.size() && (readable[i] == '.' || readable[i] == ' '); ++i) readable[i] = '_';
  for (size_t i = readable.size(); i > 0 && (readable[i - 1] == '.' || readable[i - 1] == ' '); --i) {
    readable[i - 1] = '_';
  }
  if (readable.empty()) readable = "_";
  if (IsDeviceName(readable)) readable.insert(0, "_");
  static constexpr char HexDigits[] = "0123456789abcdef";
  const uint64_t h = Fnv1a(roomName);
  std::string suffix = "~";
  for (int shift = 44; shift >= 0; shift -= 4) suffix += HexDigits[(h >> shift) & 0xF];
  return readable + suffix;
}

std::string LogEntryHeader(std::string_view roomName, const LogStamp& at) {
  return "---- " + std::string(roomName) + cp932::FromUtf8(" に入室 ") + DateText(at) + " " + Two(at.hour) + ":" +
         Two(at.minute) + ":" + Two(at.second) + " ----";
}

std::string ChatLogFilePath(const std::string& folder, const std::string& roomName, const LogStamp& day) {
  return JoinPath(JoinPath(folder, NativeName(SafeRoomFolderName(roomName))), DateText(day) + ".txt");
}

ChatLogWriter::ChatLogWriter(std::string folder, std::function<LogStamp()> clock, std::function<void()> failed)
    : folder_(std::move(folder)), clock_(std::move(clock)), failedCallback_(std::move(failed)) {
  disk_ = std::thread([this] { RunDisk(); });
}

ChatLogWriter::~ChatLogWriter() {
  CloseAll();
  {
    const std::lock_guard<std::mutex> lock(diskMutex_);
    diskStop_ = true;
  }
  diskWork_.notify_one();
  disk_.join();
}

void ChatLogWriter::Hand(DiskJob job) {
  {
    const std::lock_guard<std::mutex> lock(diskMutex_);
    diskJobs_.push_back(std::move(job));
  }
  diskWork_.notify_one();
}

void ChatLogWriter::RunDisk() {
  std::unique_lock<std::mutex> lock(diskMutex_);
  for (;;) {
    diskWork_.wait(lock, [this] { return diskStop_ || !diskJobs_.empty(); });
    if (diskJobs_.empty()) return;  // stopped, with nothing left to write
    DiskJob job = std::move(diskJobs_.front());
    diskJobs_.pop_front();
    diskBusy_ = true;
    lock.unlock();
    // After a failure nothing more is written; the files are still closed.
    if (!job.bytes.empty() && !Failed()) {
      const size_t written = std::fwrite(job.bytes.data(), 1, job.bytes.size(), job.file);
      if (written != job.bytes.size()) Fail(job.path, errno);
    }
    if (job.close && std::fclose(job.file) != 0 && !Failed()) Fail(job.path, errno);
    lock.lock();
    diskBusy_ = false;
    if (diskJobs_.empty()) diskIdle_.notify_all();
  }
}

bool ChatLogWriter::Fail(const std::string& path, int error) {
  {
    const std::lock_guard<std::mutex> lock(diskMutex_);
    if (failed_.load()) return false;  // the first failure is the one to tell
#ifdef _WIN32
    problem_ = cp932::ToUtf8(path);
#else
    problem_ = path;
#endif
    if (error != 0) problem_ += std::string("\n(") + std::strerror(error) + ")";
    failed_.store(true);
  }
  if (failedCallback_) failedCallback_();
  return false;
}

bool ChatLogWriter::Sync() {
  Flush();
  std::unique_lock<std::mutex> lock(diskMutex_);
  diskIdle_.wait(lock, [this] { return diskJobs_.empty() && !diskBusy_; });
  lock.unlock();
  return !Failed();
}

std::string ChatLogWriter::Problem() const {
  const std::lock_guard<std::mutex> lock(diskMutex_);
  return problem_;
}

bool ChatLogWriter::WriteParts(const std::string& roomName, std::initializer_list<std::string_view> parts) {
  if (Failed()) return false;
  const LogStamp now = clock_();
  auto it = files_.find(roomName);
  if (it == files_.end() || it->second.day != DayOf(now)) {
    // A new day goes to a file of its own.
    if (it != files_.end() && !Close(roomName)) return false;
    const std::string path = ChatLogFilePath(folder_, roomName, now);
    if (!MakeFolderPath(FolderOf(path))) return Fail(FolderOf(path), errno);
    std::FILE* file = OpenNativeFile(path, "ab");
    if (file == nullptr) return Fail(path, errno);
    // Our own buffer collects the lines: the file's would only copy them again.
    std::setvbuf(file, nullptr, _IONBF, 0);
    it = files_.emplace(roomName, OpenFile{file, DayOf(now), path, {}}).first;
  }
  std::string& pending = it->second.pending;
  const bool plain = std::all_of(parts.begin(), parts.end(), [](std::string_view part) {
    return std::none_of(part.begin(), part.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80 || IsControlByte(c); });
  });
  if (plain) {
    for (const std::string_view part : parts) pending.append(part);
  } else {
    // Converted whole, as the log converts the line it shows.
    std::string joined;
    for (const std::string_view part : parts) joined.append(part);
    std::string blanked;
    pending += cp932::ToUtf8(WithoutControls(joined, blanked));
  }
  pending += '\n';
  if (pending.size() >= FileBuffer) FlushFile(it->second);
  return true;
}

bool ChatLogWriter::Enter(const std::string& roomName) { return Write(roomName, LogEntryHeader(roomName, clock_())); }

void ChatLogWriter::FlushFile(OpenFile& f) {
  if (f.pending.empty()) return;
  // The buffer itself goes to the writer's thread; the next lines start a new
  // one, which grows no further than they need (a quiet room hands over each line).
  Hand({f.file, f.path, std::exchange(f.pending, {}), false});
}

void ChatLogWriter::HandOverAndClose(OpenFile& f) {
  FlushFile(f);
  Hand({f.file, f.path, {}, true});
}

bool ChatLogWriter::Flush() {
  for (auto& [room, f] : files_) FlushFile(f);
  return !Failed();
}

bool ChatLogWriter::Close(const std::string& roomName) {
  if (const auto it = files_.find(roomName); it != files_.end()) {
    HandOverAndClose(it->second);
    files_.erase(it);
  }
  return Sync();
}

bool ChatLogWriter::CloseAll() {
  for (auto& [room, f] : files_) HandOverAndClose(f);
  files_.clear();
  return Sync();
}

void ChatLogWriter::Reset() {
  CloseAll();
  const std::lock_guard<std::mutex> lock(diskMutex_);
  failed_.store(false);
  problem_.clear();
}
