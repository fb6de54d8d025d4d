// The chat logs as the tabs write them, and the lines that name the player.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <filesystem>

#include "chat/chat_log_file.h"
#include "chat_tabs_host_test.h"
#include "test_files.h"
#include "wait.h"

namespace {

using chattest::TabsWorld;

constexpr LogStamp kDay{2026, 12, 9, 12, 34, 56};

// The tabs of a world whose logs go to a folder of the test's own, with the
// room list naming room 1 "lobby" and room 2 "待合室".
struct LogWorld : TabsWorld {
  QTemporaryDir dir;
  LogWorld() {
    host.saveChatLog = true;
    host.logsFolder = dir.filePath(QStringLiteral("logs")).toStdString();
    tabs->SetClock([] { return ClockTime{12, 34, 56}; });
    tabs->SetLogClock([] { return kDay; });
    rooms.ApplyRoomList(RoomRows({{1, "lobby", 0, 0}, {2, Sjis("待合室").c_str(), 0, 0}}));
  }
  std::string FileOf(const std::string& room) const { return ChatLogFilePath(host.logsFolder, room, kDay); }
};

TEST(ChatTabsLogsTest, EveryLineShownLandsInTheRoomsFileAsShown) {
  LogWorld w;
  TChatSheet* lobby = w.Open(1);
  w.Open(2);
  ASSERT_TRUE(w.host.session.deliver<GmUserEnter>(Enter(2, {{9, 900, Sjis("太郎").c_str(), 0}})));
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 7, "hanako", "see http://x.example/", 0)));
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(2, 9, "", Sjis("こんにちは").c_str(), 0)));
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 0, "", "a notice", 1)));
  // A private talk while room 2 is active: the notice there is a line shown too.
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(NetDef::PrivateTalkRoom, 8, "jiro", "psst", 3)));
  const std::string lobbyFile =
      "---- lobby に入室 2026-12-09 12:34:56 ----\n12:34:56 hanako > see http://x.example/\na notice\n";
  const std::string waitingFile =
      "---- 待合室 に入室 2026-12-09 12:34:56 ----\n12:34:56 太郎 > こんにちは\n"
      "jiro さん からの個別チャットを受信しました\n";
  // Written from the event loop, by the writer's own thread: on disk soon after.
  ASSERT_TRUE(WaitUntil([&] { return testfiles::Read(w.FileOf("lobby")) == lobbyFile; }))
      << testfiles::Read(w.FileOf("lobby"));
  ASSERT_TRUE(WaitUntil([&] { return testfiles::Read(w.FileOf(Sjis("待合室"))) == waitingFile; }))
      << testfiles::Read(w.FileOf(Sjis("待合室")));
  std::string priv;
  WaitUntil([&] {
    priv = testfiles::Read(w.FileOf(Sjis("【個別 チャット】")));
    return priv.find("12:34:56 jiro > psst\n") != std::string::npos;
  });
  EXPECT_NE(priv.find("---- 【個別 チャット】 に入室"), std::string::npos) << priv;
  EXPECT_NE(priv.find("12:34:56 jiro > psst\n"), std::string::npos) << priv;
  EXPECT_EQ(lobby->Frame()->EditLog()->LineCount(), 2);
}

// The last lines before the connection drops are on disk when the tabs are gone,
// without waiting for the event loop.
TEST(ChatTabsLogsTest, ALostConnectionLeavesEveryLineOnDisk) {
  LogWorld w;
  w.Open(1);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 7, "hanako", ("line " + std::to_string(i)).c_str(), 0)));
  }
  w.host.session.drop();
  EXPECT_EQ(w.tabs->PageCount(), 0);
  EXPECT_EQ(testfiles::Read(w.FileOf("lobby")),
            "---- lobby に入室 2026-12-09 12:34:56 ----\n12:34:56 hanako > line 0\n12:34:56 hanako > line 1\n"
            "12:34:56 hanako > line 2\n");
}

TEST(ChatTabsLogsTest, WithTheSettingOffNothingIsWritten) {
  LogWorld w;
  w.host.saveChatLog = false;
  w.Open(1);
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 7, "hanako", "hello", 0)));
  QApplication::processEvents();
  EXPECT_FALSE(std::filesystem::exists(w.host.logsFolder));
  // Turned on while the room is open: its lines from then on are kept.
  w.host.saveChatLog = true;
  w.tabs->ChatLogSettingChanged();
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 7, "hanako", "again", 0)));
  w.tabs->FlushLogs();
  EXPECT_EQ(testfiles::Read(w.FileOf("lobby")), "12:34:56 hanako > again\n");
}

// A folder that cannot be made: one box however many lines fail, and the chat
// goes on showing them.
TEST(ChatTabsLogsTest, AWriteFailureShowsOneBoxAndChatGoesOn) {
  LogWorld w;
  const std::string blocker = w.dir.filePath(QStringLiteral("file")).toStdString();
  testfiles::Write(blocker, "x");
  w.host.logsFolder = blocker + "/logs";
  TChatSheet* lobby = w.Open(1);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 7, "hanako", "hello", 0)));
  ASSERT_TRUE(WaitUntil([&] { return !w.platform.boxes.empty(); }));
  QApplication::processEvents();
  ASSERT_EQ(w.platform.boxes.size(), 1u);
  EXPECT_TRUE(w.platform.boxes[0].text.startsWith(QStringLiteral("チャットログを保存できませんでした。")));
  EXPECT_TRUE(w.platform.boxes[0].text.contains(QString::fromStdString(blocker)));
  EXPECT_EQ(lobby->Frame()->EditLog()->LineCount(), 5);
  w.tabs->SendTalk("still chatting");
  EXPECT_EQ(w.host.session.Sent<GmTalk>().size(), 1u);
  w.Open(2);
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(2, 7, "hanako", "hello", 0)));
  QApplication::processEvents();
  EXPECT_EQ(w.platform.boxes.size(), 1u) << "one box for the session";
}

// A disk that refuses the bytes themselves (here the device that is always
// full): the writer's thread finds out, and the box comes without another line.
TEST(ChatTabsLogsTest, AFullDiskFoundByTheWritersThreadShowsTheBox) {
  LogWorld w;
  const std::string file = w.FileOf("lobby");
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  std::filesystem::create_symlink("/dev/full", file);
  w.Open(1);
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 7, "hanako", "hello", 0)));
  ASSERT_TRUE(WaitUntil([&] { return !w.platform.boxes.empty(); })) << "the failure was never told";
  EXPECT_TRUE(w.platform.boxes[0].text.contains(QString::fromStdString(file)));
}

// Another member's line naming the player (ASCII without case, or in Japanese)
// is marked and, while the window is not active, notified; the player's own
// lines never are.
TEST(ChatTabsLogsTest, LinesNamingThePlayerAreMarkedAndNotified) {
  TabsWorld w;
  w.host.session.setClientId(5);
  w.host.session.setPlayerName("Taro");
  TChatSheet* lobby = w.Open(1);
  const struct {
    int16_t sender;
    const char* text;
    uint8_t kind;
    bool marked;
  } rows[] = {
      {9, "hi TARO", 0, true},    {9, "hi taro", 0, true},    {9, "hi Tar", 0, false},
      {5, "I am Taro", 0, false}, {0, "Taro left", 2, false},
  };
  for (const auto& row : rows)
    ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, row.sender, "m", row.text, row.kind)));
  const TRichEditEx* log = lobby->Frame()->EditLog();
  ASSERT_EQ(log->LineCount(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(log->IsLineMarked(i), rows[i].marked) << rows[i].text;
  ASSERT_EQ(w.platform.notifications.size(), 2u) << "the window is not active";
  EXPECT_EQ(w.platform.notifications[0].body, QStringLiteral("m > hi TARO"));
  EXPECT_EQ(w.platform.alerts, 2);

  w.host.session.setPlayerName(Sjis("太郎"));
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "m", Sjis("太郎さん").c_str(), 0)));
  EXPECT_TRUE(log->IsLineMarked(5));
  w.host.window.show();
  QApplication::setActiveWindow(&w.host.window);
  ASSERT_TRUE(w.host.window.isActiveWindow());
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "m", Sjis("太郎!").c_str(), 0)));
  EXPECT_TRUE(log->IsLineMarked(6));
  EXPECT_EQ(w.platform.notifications.size(), 3u) << "no notification while the window is active";
  w.host.window.hide();
  QApplication::setActiveWindow(nullptr);
}

}  // namespace
