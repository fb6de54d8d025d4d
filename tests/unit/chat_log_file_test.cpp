#include "chat/chat_log_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>

#include "messages.h"
#include "platform/paths.h"
#include "test_files.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// A server-sent name never leaves the logs folder and never names something
// Windows treats specially; the readable part survives where it can.
TEST(ChatLogFileTest, HostileRoomNamesStayInsideTheLogsFolder) {
  const struct {
    const char* what;
    std::string name;
    std::string readable;  // the folder name before "~<hash>"
  } rows[] = {
      {"plain", "lobby", "lobby"},
      {"Japanese", Sjis("待合室"), "待合室"},
      {"parent", "..", "__"},
      {"current", ".", "_"},
      {"climbing", "../../etc", "___.._etc"},
      {"absolute", "/etc/passwd", "_etc_passwd"},
      {"backslashes", "..\\..\\x", "___.._x"},
      {"drive", "C:\\x", "C__x"},
      {"Windows refusals", "a*b?c\"d<e>f|g", "a_b_c_d_e_f_g"},
      {"control bytes", std::string("a\x01\nb\x7f", 5), "a__b_"},
      {"trailing dots and blanks", "room. .", "room___"},
      {"leading blank", " room", "_room"},
      {"empty", "", "_"},
      {"device", "CON", "_CON"},
      {"device in lower case with an extension", "nul.txt", "_nul.txt"},
      {"numbered device", "Com7", "_Com7"},
      {"not a device", "COM0", "COM0"},
      {"undecodable bytes", "\x81", "_"},
      {"long", std::string(200, 'x'), std::string(60, 'x')},
      {"long Japanese, cut on a character", Sjis(std::string(30, 'a') + "あいうえおかきくけこさしすせそ"),
       std::string(30, 'a') + "あいうえおかきくけこ"},
  };
  const fs::path logs = "/data/logs";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string folder = SafeRoomFolderName(row.name);
    ASSERT_GT(folder.size(), 13u);
    EXPECT_EQ(folder.substr(0, folder.size() - 13), row.readable);
    EXPECT_EQ(folder[folder.size() - 13], '~');
    EXPECT_EQ(folder.find_first_of("/\\:*?\"<>|"), std::string::npos);
    EXPECT_TRUE(
        std::none_of(folder.begin(), folder.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
    EXPECT_NE(folder.back(), '.');
    const fs::path joined = (logs / folder).lexically_normal();
    EXPECT_EQ(joined.parent_path(), logs) << joined;
  }
}

// Names that make the same readable part, or differ only in case (one folder on
// a case-blind disk), still get folders of their own.
TEST(ChatLogFileTest, NearlyIdenticalNamesGetFoldersOfTheirOwn) {
  const std::vector<std::string> names = {"Lobby", "lobby", "LOBBY", "a/b", "a\\b", "a_b", "a:b",
                                          "room",  "room.", "room ", "CON", "con",  "",    "_"};
  std::set<std::string> folded;
  for (const std::string& n : names) {
    std::string f = SafeRoomFolderName(n);
    for (char& c : f) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(folded.insert(f).second) << "'" << n << "' shares " << f;
  }
  EXPECT_EQ(SafeRoomFolderName("lobby"), SafeRoomFolderName("lobby")) << "the same room, the same folder";
}

struct Clock {
  LogStamp now{2026, 12, 9, 23, 59, 58};
  std::function<LogStamp()> Fn() {
    return [this] { return now; };
  }
};

TEST(ChatLogFileTest, LinesGoAsShownInUtf8ToTheFileOfTheirDay) {
  testfiles::TempFolder temp;
  ASSERT_TRUE(temp.Valid());
  Clock clock;
  const std::string logs = temp.File("logs");
  const std::string room = Sjis("待合室");
  {
    ChatLogWriter writer(logs, clock.Fn());
    EXPECT_FALSE(testfiles::Exists(logs)) << "nothing is made before the first line";
    ASSERT_TRUE(writer.Enter(room));
    ASSERT_TRUE(writer.Write(room, Sjis("23:59:58 太郎 > こんにちは")));
    ASSERT_TRUE(writer.Write(room, std::string("tab\tand\x01"
                                               "bell",
                                               12)));
    clock.now = {2026, 12, 10, 0, 0, 1};
    ASSERT_TRUE(writer.Write(room, "after midnight"));
    ASSERT_TRUE(writer.Sync());
    EXPECT_EQ(testfiles::Read(ChatLogFilePath(logs, room, {2026, 12, 10})), "after midnight\n")
        << "synced lines are on disk while the file stays open";
  }
  ChatLogWriter again(logs, clock.Fn());
  // The system's own path: the folder's name is in the system's code page.
  EXPECT_EQ(testfiles::Read(ChatLogFilePath(logs, room, {2026, 12, 9})),
            "---- 待合室 に入室 2026-12-09 23:59:58 ----\n23:59:58 太郎 > こんにちは\ntab\tand bell\n");
#ifndef _WIN32
  EXPECT_EQ(testfiles::Mode(logs), 0700u);
  EXPECT_EQ(testfiles::Mode(FolderOf(ChatLogFilePath(logs, room, {2026, 12, 9}))), 0700u);
#endif
  ASSERT_TRUE(again.Write(room, "next run"));
  ASSERT_TRUE(again.CloseAll());
  EXPECT_EQ(testfiles::Read(ChatLogFilePath(logs, room, {2026, 12, 10})), "after midnight\nnext run\n")
      << "appended, not replaced";
}

// Every way the disk can refuse: the writer says so once and then rests.
TEST(ChatLogFileTest, AFailureIsReportedAndWritingStops) {
#ifdef _WIN32
  GTEST_SKIP() << "the rows use POSIX files (/dev/full, modes)";
#else
  const bool root = ::geteuid() == 0;
  const struct {
    const char* what;
    std::function<std::string(testfiles::TempFolder&)> prepare;  // returns the logs folder
    bool skip;
  } rows[] = {
      {"the logs folder's parent is a file",
       [](testfiles::TempFolder& t) {
         testfiles::Write(t.File("blocker"), "x");
         return t.File("blocker") + "/logs";
       },
       false},
      {"a full disk (the day's file on /dev/full)",
       [](testfiles::TempFolder& t) {
         const std::string file = ChatLogFilePath(t.File("logs"), "room", {2026, 12, 9});
         fs::create_directories(FolderOf(file));
         fs::create_symlink("/dev/full", file);
         return t.File("logs");
       },
       false},
      {"a read-only folder",
       [](testfiles::TempFolder& t) {
         fs::create_directories(t.File("logs"));
         fs::permissions(t.File("logs"), fs::perms::owner_read | fs::perms::owner_exec);
         return t.File("logs");
       },
       root},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.skip) {
      std::cout << "[ SKIPPED  ] " << row.what << ": running as root, modes do not stop writes\n";
      continue;
    }
    testfiles::TempFolder temp;
    Clock clock;
    ChatLogWriter writer(row.prepare(temp), clock.Fn());
    const bool written = writer.Write("room", "one") && writer.Sync();
    EXPECT_FALSE(written);
    EXPECT_TRUE(writer.Failed());
    EXPECT_FALSE(writer.Problem().empty());
    EXPECT_FALSE(writer.Write("room", "two")) << "resting after the failure";
    writer.Reset();
    EXPECT_FALSE(writer.Failed()) << "turned on again, it tries again";
  }
#endif
}

// A disk that really fills up: a 16 KiB tmpfs, mounted in a mount namespace of
// a child process of its own (the test's files and mounts stay as they were).
TEST(ChatLogFileTest, ASmallTmpfsFillsUpAndTheWriterSaysSo) {
#ifdef _WIN32
  GTEST_SKIP() << "no tmpfs on Windows";
#else
  testfiles::TempFolder temp;
  ASSERT_TRUE(temp.Valid());
  const std::string mountPoint = temp.File("small");
  fs::create_directories(mountPoint);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Root may make a mount namespace as it is; anyone else first makes a user
    // namespace in which he is root.
    if (::unshare(CLONE_NEWNS) != 0) {
      const uid_t uid = ::getuid();
      const gid_t gid = ::getgid();
      if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) ::_exit(77);
      auto put = [](const char* file, const std::string& text) {
        const int fd = ::open(file, O_WRONLY);
        const bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        if (fd >= 0) ::close(fd);
        return ok;
      };
      put("/proc/self/setgroups", "deny");
      if (!put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
          !put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
        ::_exit(77);
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) ::_exit(77);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=16k") != 0) ::_exit(77);
    Clock clock;
    ChatLogWriter writer(mountPoint + "/logs", clock.Fn());
    const std::string line(100, 'x');
    int written = 0;
    while (written < 10000 && writer.Write("room", line) && writer.Sync()) ++written;
    // Some lines fit, then the disk is full and the writer knows it.
    ::_exit(written > 0 && written < 10000 && writer.Failed() && !writer.Problem().empty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "this system lets no test mount a tmpfs (no namespaces)";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the writer did not report the full disk";
#endif
}

}  // namespace
