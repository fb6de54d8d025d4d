#pragma once
// The chat page control and its tabs: the room, member and talk messages of the
// session, each handed to the tab of its room.
//
// The main window gives ChatTabs its page control (`PageControl1`, a
// QTabWidget) and leaves the pages to it: ChatTabs adds and removes every page,
// sets the tab captions and icons and clears the mark when a page becomes
// current. It subscribes to the session's room, member and talk messages itself;
// each room's formation window gets its messages from the session directly.
// Every page is a TChatSheet; the chat tab
// of a room is the first page, in page order, whose room number matches.
//
// Every line a tab shows also goes to the chat logs on disk while the host's
// setting says so (ChatLogWriter): buffered, and flushed when control returns to
// the event loop, when a tab closes, when the connection drops and at the end.
// The first failure to write shows one box; logging then rests until the
// setting is turned on again.
//
// A destroyed tab leaves the page control at once and is deleted when control
// returns to the event loop, so a handler of the tab that is still running (a
// member command whose sending ended the connection) finishes on a live object.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chat/chat_line.h"
#include "chat/chat_log_file.h"
#include "net/net_messages.h"
#include "session/lobby_session.h"
#include "session/remembered_room.h"

class ChatHost;
class QTabWidget;
class QWidget;
class RoomListModel;
class TChatSheet;

class ChatTabs : public QObject {
  Q_OBJECT
 public:
  // rooms gives the captions of new tabs (the room list window's rows); host,
  // session and rooms must outlive this object, which is a child of pageControl.
  ChatTabs(ChatHost& host, LobbySession& session, const RoomListModel& rooms, QTabWidget* pageControl);
  ~ChatTabs() override;

  QTabWidget* PageControl1() const { return pageControl_; }

  int PageCount() const;
  TChatSheet* Page(int index) const;
  // The chat tab of a room, or nullptr.
  TChatSheet* ChatTabOf(int16_t room) const;
  // The active page, or nullptr when no page is open.
  TChatSheet* ActiveChatTab() const;

  // GmTalk (kind 0) with the CP932 text to the room of the active tab; nothing
  // when no page is open.
  void SendTalk(const std::string& text);
  // GmLeaveRoom for the active room tab (the tab stays until the server says the
  // user left); the private talk tab closes at once without a message.
  void LeaveActiveRoom();
  // The previous / next page, wrapping around; the page becomes active and loses
  // its title mark.
  void MenuPrev();
  void MenuNext();

  // Every open tab in tab order, for remembering the rooms at exit.
  std::vector<RememberedRoom> OpenRooms() const;

  // The clock of every tab's time prefix (tests set a fixed one).
  void SetClock(std::function<ClockTime()> clock);

  // Whether a tab holds talk the player has not seen (its new-talk mark).
  bool HasUnseenTalk() const;

  // The host's chat log setting changed: off closes the files, on starts again
  // (after a failure too).
  void ChatLogSettingChanged();
  // Writes what the logs hold in their buffers to disk, and waits until it is there.
  void FlushLogs();
  // The clock of the log files' days and entry headers (tests set a fixed one).
  void SetLogClock(std::function<LogStamp()> clock);

 Q_SIGNALS:
  // A tab got or lost its new-talk mark, or a marked tab closed.
  void OnUnseenTalkChange();

 private:
  // The room, member and talk messages of the session.
  void RecvAEnterRoom(const GmAEnterRoom::Info& info);
  void RecvTalk(const GmTalk::Info& info);
  void RecvUserEnter(const GmUserEnter::Info& info);
  void RecvUserLeave(const GmUserLeave::Info& info);
  void RecvUserChange(const GmUserChange::Info& info);
  // Destroys every tab (the connection closed).
  void DestroyAll();
  // A new tab, added after the others, its entry header in the log.
  TChatSheet* CreateSheet(int16_t room, const std::string& name, const std::string& password, int32_t teamId);
  void DestroyTab(TChatSheet* sheet);
  void PageControl1Change();
  void UserSetTalk(const std::string& talkMsg, bool bEnter);
  void SelectStep(int step);
  bool IsActive(const TChatSheet* sheet) const;
  // The writer while logging is on, else nullptr.
  ChatLogWriter* Logs();
  // The written lines go to the writer's thread once control is back in the event loop.
  void ScheduleLogFlush();
  void LogShown(const TChatSheet* sheet, const ChatLine& line);
  void LogEntered(const TChatSheet* sheet);
  // The writer's first failure, told once in a box.
  void ShowLogProblem();

  ChatHost& host_;
  LobbySession& session_;
  const RoomListModel& rooms_;
  QTabWidget* pageControl_ = nullptr;
  std::function<ClockTime()> clock_;
  LobbySession::Subscriptions subscriptions_;
  std::unique_ptr<ChatLogWriter> logs_;
  std::function<LogStamp()> logClock_ = LocalLogStamp;
  QTimer logFlush_;
  bool logProblemShown_ = false;
};
