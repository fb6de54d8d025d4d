#pragma once
// A ChatHost that records what the chat tabs and the room list ask of the main
// window, with scripted answers, the session double they talk through, plus
// helpers to build and read messages.

#include <QTabWidget>
#include <QWidget>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "chat/chat_host.h"
#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "chat/room_list_model.h"
#include "messages.h"
#include "net/net_messages.h"
#include "platform/cp932.h"
#include "recording_platform.h"
#include "session_double.h"

namespace chattest {

class RecordingChatHost final : public ChatHost {
 public:
  struct Remembered {
    std::string name, password;
    int32_t teamId;
  };

  SessionDouble session;
  bool chatTime = true;
  bool saveChatLog = false;  // tests of the logs turn it on with a folder of their own
  std::string logsFolder;
  std::string userInfo = "http://members.example/user?no=";
  std::optional<bool> rememberAnswer = true;
  std::vector<Remembered> remembered;
  std::vector<std::string> chatInputs;
  int focusCalls = 0;
  std::deque<std::optional<std::string>> passwordAnswers;  // nullopt: cancelled
  std::function<void()> duringPassword;
  int passwordCalls = 0;
  QString exeDir = QStringLiteral("/opt/turfwing");
  QWidget window;
  int roomListShows = 0;

  bool ChatTime() const override { return chatTime; }
  bool SaveChatLog() const override { return saveChatLog; }
  std::string LogsFolder() const override { return logsFolder; }
  std::string UserInfoAddress() const override { return userInfo; }
  std::optional<bool> RememberRoom(const std::string& name, const std::string& password, int32_t teamId) override {
    remembered.push_back({name, password, teamId});
    return rememberAnswer;
  }
  void SetChatInput(const std::string& text) override { chatInputs.push_back(text); }
  void FocusChatInput() override { ++focusCalls; }
  bool PasswordExecute(std::string& password) override {
    ++passwordCalls;
    if (duringPassword) duringPassword();
    std::optional<std::string> answer;
    if (!passwordAnswers.empty()) {
      answer = passwordAnswers.front();
      passwordAnswers.pop_front();
    }
    if (!answer) return false;
    password = *answer;
    return true;
  }
  QString DataFolder() const override { return exeDir; }
  QWidget* MainWindow() const override { return const_cast<QWidget*>(&window); }
  void ShowRoomList() override { ++roomListShows; }
};

struct LogLine {
  std::string text;  // UTF-8
  QColor color;
};

// The lines of a tab's log with the colour of each line's first character.
inline std::vector<LogLine> LogOf(const TChatSheet* sheet) {
  std::vector<LogLine> lines;
  const TRichEditEx* log = sheet->Frame()->EditLog();
  for (int i = 0; i < log->LineCount(); ++i) {
    const QString text = log->LineText(i);
    if (text.isEmpty()) continue;
    lines.push_back({text.toStdString(), log->LineColor(i)});
  }
  return lines;
}

// The chat tabs as their tests run them: the recording host, the session double
// and the room rows the tabs take their captions from.
struct TabsWorld {
  RecordingPlatform platform;
  RecordingChatHost host;
  RoomListModel rooms;
  ChatTabs* tabs = new ChatTabs(host, host.session, rooms, new QTabWidget(&host.window));

  TChatSheet* Open(int16_t room, const char* password = "", uint32_t team = 0) {
    EXPECT_TRUE(host.session.deliver<GmAEnterRoom>(Entered(room, password, team)));
    return tabs->ChatTabOf(room);
  }
  TChatSheet* OpenPrivate() {
    EXPECT_TRUE(host.session.deliver<GmTalk>(Talk(NetDef::PrivateTalkRoom, 3, "p", "x", NetDef::TalkPrivateEcho)));
    return tabs->ChatTabOf(NetDef::PrivateTalkRoom);
  }
  QTabWidget* Pages() const { return tabs->PageControl1(); }
};

}  // namespace chattest
