// The chat logs from the main window: the Tools menu's two items, the setting
// kept in the settings file, and a connection lost under a flood of talk.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include "chat/chat_log_file.h"
#include "main_window_harness.h"
#include "main_window_parts.h"
#include "messages.h"
#include "recording_platform.h"
#include "test_files.h"
#include "wait.h"

namespace {

class MainWindowLogsTest : public ::testing::Test {
 protected:
  QString LogsFolder() const { return harness.dir.filePath(QStringLiteral("logs")); }

  RecordingPlatform platform;
  MainWindowHarness harness;
  TFormMain& form = harness.form;
};

TEST_F(MainWindowLogsTest, TheToolsMenuEndsWithTheLogItems) {
  QMenu* tools = form.menuBar()->actions().value(2)->menu();
  ASSERT_NE(tools, nullptr);
  QStringList captions;
  for (QAction* a : tools->actions()) captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
  EXPECT_EQ(
      captions,
      (QStringList{QStringLiteral("ホームページ(&H)"), QStringLiteral("MYページ(&M)"), QStringLiteral("登録ページ(&N)"),
                   QStringLiteral("-"), QStringLiteral("競技場一覧表示／非表示(&V)"),
                   QStringLiteral("プレビューデータ再生(&P)..."), QStringLiteral("設定(&S)..."), QStringLiteral("-"),
                   QStringLiteral("Ping(&P)..."), QStringLiteral("-"), QStringLiteral("トレイに常駐(&K)"),
                   QStringLiteral("-"), QStringLiteral("チャットログを保存(&G)"),
                   QStringLiteral("チャットログのフォルダを開く(&F)")}));
  QAction* save = Child<QAction>(form, "MenuSaveChatLog");
  EXPECT_TRUE(save->isCheckable());
  EXPECT_TRUE(save->isChecked()) << "on by default";
}

// Turned off, the choice reaches the settings file and the next start.
TEST_F(MainWindowLogsTest, TheSettingIsStored) {
  Child<QAction>(form, "MenuSaveChatLog")->trigger();
  EXPECT_FALSE(form.settings().SaveChatLog);
  ASSERT_TRUE(form.SaveSettings());
  TFormMain next(AccessPathIn(harness.dir.path()), SettingsPathIn(harness.dir.path()));
  EXPECT_FALSE(next.settings().SaveChatLog);
  EXPECT_FALSE(Child<QAction>(next, "MenuSaveChatLog")->isChecked());
}

// Before any line the folder does not exist: opening it makes it, privately.
TEST_F(MainWindowLogsTest, OpeningTheFolderMakesItAndHandsItToTheDesktop) {
  ASSERT_FALSE(QFile::exists(LogsFolder()));
  Child<QAction>(form, "MenuOpenLogFolder")->trigger();
  ASSERT_EQ(platform.openedUrls.size(), 1);
  EXPECT_EQ(QUrl(platform.openedUrls[0]), QUrl::fromLocalFile(LogsFolder()));
  EXPECT_TRUE(QFileInfo(LogsFolder()).isDir());
#ifndef _WIN32
  EXPECT_EQ(testfiles::Mode(LogsFolder().toStdString()), 0700u);
#endif
}

// The server sends talk and closes in one segment: once the client has taken
// the close, every line it showed is in the file.
TEST_F(MainWindowLogsTest, ALostConnectionLosesNoLineShown) {
  ASSERT_TRUE(harness.LogIn(258, "abc"));
  QByteArray bytes = FrameOf<GmRoomList>(RoomRows({{1, "lobby", 0, 0}}));
  bytes += FrameOf<GmAEnterRoom>(Entered(1));
  std::string expected;
  for (int i = 0; i < 200; ++i) {
    const std::string text = "line " + std::to_string(i);
    bytes += FrameOf<GmTalk>(Talk(1, 7, "hanako", text.c_str(), 0));
    expected += "hanako > " + text + "\n";
  }
  harness.server.sendAndClose(bytes);
  ASSERT_TRUE(WaitUntil([&] { return !form.session().isOpen(); }));
  QFile file(QString::fromStdString(ChatLogFilePath(LogsFolder().toStdString(), "lobby", LocalLogStamp())));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  const std::string text = file.readAll().toStdString();
  EXPECT_TRUE(text.starts_with("---- lobby に入室 ")) << text.substr(0, 80);
  EXPECT_TRUE(text.ends_with(expected)) << text.substr(text.size() > 200 ? text.size() - 200 : 0);
}

}  // namespace
