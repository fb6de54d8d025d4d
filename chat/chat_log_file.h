#pragma once
// The chat logs on disk: every line a room's log shows is appended, as shown,
// to <logs folder>/<room folder>/<YYYY-MM-DD>.txt in UTF-8, and a header line
// marks each entry into the room.
//
// The room folder's name comes from the room name the server sent, so it is made
// safe first (SafeRoomFolderName). Lines are buffered per room and handed over at
// Flush, which the caller runs once control goes back to the event loop; a busy
// room thus costs one write per batch of lines, not one per line. The writes
// themselves run on a thread of the writer's own, so the system's work for the
// bytes is not the caller's; Close, CloseAll and Sync wait until every line
// handed over is on disk, so the caller runs them before anything that may end
// the program or the room.
//
// Plain C++. Room names and lines are code page 932 bytes; paths are the
// system's own narrow paths (UTF-8 on POSIX, code page 932 on Windows).

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

// Local date and time of a log line.
struct LogStamp {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};
LogStamp LocalLogStamp();

// The folder name (UTF-8) for a room name (CP932 bytes as the server sent it).
// The readable part keeps the name's characters except separators, the
// characters Windows refuses (: * ? " < > |), control characters and undecodable
// bytes (each an underscore); dots and blanks at either end and a Windows device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension, any case) are
// defused the same way, and it is cut to 60 bytes on a character boundary. A
// hash of the raw bytes always follows ("~" and 12 hex digits), so two rooms
// whose names differ in any byte (in case alone too, for case-blind disks) never
// share a folder. Never empty, never "." or "..", never containing a separator.
std::string SafeRoomFolderName(std::string_view roomName);

// The header written when a room is entered: "---- <room> に入室 YYYY-MM-DD
// hh:mm:ss ----", CP932 bytes.
std::string LogEntryHeader(std::string_view roomName, const LogStamp& at);

// The file a room's lines of that day go to, beneath the logs folder.
std::string ChatLogFilePath(const std::string& folder, const std::string& roomName, const LogStamp& day);

class ChatLogWriter {
 public:
  // folder: the logs folder, never empty (with no place for the logs there is
  // no writer), made owner-only with its parents at the first line.
  // failed, when given, is called once a write on the writer's thread fails,
  // from that thread (the caller then looks at Failed from its own).
  explicit ChatLogWriter(std::string folder, std::function<LogStamp()> clock = LocalLogStamp,
                         std::function<void()> failed = {});
  ~ChatLogWriter();
  ChatLogWriter(const ChatLogWriter&) = delete;
  ChatLogWriter& operator=(const ChatLogWriter&) = delete;

  // Appends one line (CP932 bytes, without line end) to the room's file of
  // today; control bytes become blanks, as the log shows them. False when the
  // file could not be opened or a failure is known; after the first failure the
  // writer writes nothing more (Failed) until Reset.
  bool Write(const std::string& roomName, std::string_view cp932Line) { return WriteParts(roomName, {cp932Line}); }
  // The same for a line given in parts (time prefix, name part, body), which
  // spares joining them first.
  bool WriteParts(const std::string& roomName, std::initializer_list<std::string_view> cp932Parts);
  // The entry header, through Write.
  bool Enter(const std::string& roomName);
  // Hands every buffered line over to be written. False when a failure (full
  // disk...) is known already.
  bool Flush();
  // Flushes and waits until every line handed over is on disk. False on a failure.
  bool Sync();
  // Flushes and closes the room's file (the tab goes), and waits for the disk.
  bool Close(const std::string& roomName);
  // Flushes and closes every file, and waits for the disk.
  bool CloseAll();

  bool Failed() const { return failed_.load(std::memory_order_relaxed); }
  // What failed, for the user (UTF-8): the path and the system's reason.
  std::string Problem() const;
  // Closes everything and forgets a failure: the player turned logging on again.
  void Reset();

 private:
  struct OpenFile {
    std::FILE* file = nullptr;
    int day = 0;          // yyyymmdd of the open file
    std::string path;     // for the problem text
    std::string pending;  // UTF-8 lines not yet handed over
  };
  // What the writer's thread does: write bytes to a file, or close it.
  struct DiskJob {
    std::FILE* file = nullptr;
    std::string path;  // for the problem text
    std::string bytes;
    bool close = false;
  };
  // Records the first failure (from either thread) and tells it; always false.
  bool Fail(const std::string& path, int error);
  void FlushFile(OpenFile& f);
  void HandOverAndClose(OpenFile& f);
  void Hand(DiskJob job);
  void RunDisk();

  std::string folder_;
  std::function<LogStamp()> clock_;
  std::function<void()> failedCallback_;
  std::map<std::string, OpenFile> files_;  // by room name

  // The writer's thread and what it has still to do.
  mutable std::mutex diskMutex_;
  std::condition_variable diskWork_;
  std::condition_variable diskIdle_;
  std::deque<DiskJob> diskJobs_;
  bool diskBusy_ = false;
  bool diskStop_ = false;
  std::atomic<bool> failed_{false};
  std::string problem_;  // under diskMutex_, UTF-8
  std::thread disk_;
};
