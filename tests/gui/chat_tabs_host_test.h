#pragma once
// A ChatHost that records what the chat tabs and the room list ask of the main
// window, with scripted answers, the session double they talk through, plus
// helpers to build and read messages.

#include <QWidget>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "chat/chat_host.h"
#include "chat/chat_sheet.h"
#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "net/net_messages.h"
#include "platform/cp932.h"
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
  QString ExecutableFolder() const override { return exeDir; }
  QWidget* MainWindow() const override { return const_cast<QWidget*>(&window); }
  void ShowRoomList() override { ++roomListShows; }
};

inline std::string Sjis(const char* utf8) { return cp932::FromUtf8(utf8); }

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

inline GmAEnterRoom::Info Entered(int16_t room, const char* password = "", uint32_t teamId = 0) {
  GmAEnterRoom::Info info;
  info.room = room;
  info.status = 0;
  CopyText(info.password, password);
  info.teamId = teamId;
  return info;
}

inline GmTalk::Info Talk(int16_t room, int16_t sender, const char* name, const char* text, uint8_t kind) {
  GmTalk::Info t;
  t.room = room;
  t.sender = sender;
  CopyText(t.name, name);
  CopyText(t.text, text);
  t.kind = kind;
  return t;
}

struct Member {
  int16_t clientId;
  uint32_t userNumber;
  const char* name;
  uint8_t level;
};

inline GmUserEnter::Info Enter(int16_t room, std::initializer_list<Member> members) {
  GmUserEnter::Info info;
  info.room = room;
  for (const Member& m : members) {
    GmUserEnter::Entry& e = info.entries[info.count++];
    e.clientId = m.clientId;
    e.userNumber = m.userNumber;
    CopyText(e.name, m.name);
    e.level = m.level;
  }
  return info;
}

inline GmUserLeave::Info Leave(std::initializer_list<std::pair<int16_t, int16_t>> roomAndClient) {
  GmUserLeave::Info info;
  for (auto [room, client] : roomAndClient) info.entries[info.count++] = {room, client};
  return info;
}

}  // namespace chattest
