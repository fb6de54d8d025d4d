#pragma once
// One chat tab: a room's identity, its member list and the frame that shows its
// log and members. Every page of the chat page control is one of these; room
// 9999 is the private talk tab, which exists only on this client.
//
// Texts are code page 932 bytes. The tab's caption and its title-mark icon are
// kept on the QTabWidget the tab is a page of.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "chat/chat_line.h"
#include "chat/chat_user_list.h"
#include "net/net_messages.h"

class LobbySession;
class QIcon;
class QTabWidget;
class TFrameChatRoom;

// Tab images: 0 a lit yellow bulb (talk arrived while the tab was not active),
// 1 a grey unlit bulb (the plain state).
QIcon ChatTabImage(int index);
// A room name as a tab caption: "&" shows as "&", not as a mnemonic.
QString TabCaptionOf(const std::string& roomName);

class TChatSheet : public QWidget {
  Q_OBJECT
 public:
  static constexpr int ImageNewTalk = 0;
  static constexpr int ImagePlain = 1;

  TChatSheet(QWidget* owner, const std::string& userInfoPrefix, int16_t room, const std::string& name,
             const std::string& password, int32_t teamId, LobbySession* session = nullptr,
             QWidget* formationCentre = nullptr);
  ~TChatSheet() override;

  int16_t GetRoomNumber() const { return users_.GetRoomNumber(); }
  const std::string& GetRoomName() const { return name_; }
  const std::string& GetRoomPassword() const { return password_; }
  int32_t GetRoomTeamID() const { return teamId_; }
  bool GetRoomCheckSound() const;
  void SetRoomCheckSound(bool on);

  // Appends the line for a talk to this tab's room, marked when it names the
  // player, and returns the line shown; a talk for another room is not logged.
  std::optional<ChatLine> AddLog(const GmTalk::Info& talk, bool showTime, bool marked);
  void AddUserList(const GmUserEnter::Info& info);
  void DeleteUserList(int16_t clientId);
  void ChangeUserInfo(int16_t clientId, NetDef::UserLevel level);

  void SetTitleMark(bool mark);
  int ImageIndex() const { return imageIndex_; }

  // Plays the call sound for the text; always false: every talk is logged.
  bool RecvTalkCommand(const char* text);
  void talkSound(const char* text);

  // The frame's member commands (nCommand a MemberCommand); nIndex is the
  // member's row.
  void UserCommand(int nCommand, int nIndex);
  void RoomListClick();

  TFrameChatRoom* Frame() const { return frame_; }
  const ChatUserList& Users() const { return users_; }
  const std::string& UserInfoPrefix() const { return userInfoPrefix_; }

  // Where call sounds are found: <dir>/sound/<n>.wav.
  void SetSoundFolder(const QString& executableDir) { executableDir_ = executableDir; }
  // The clock of the time prefix; the local time unless a test sets another.
  void SetClock(std::function<ClockTime()> clock) { clock_ = std::move(clock); }

 Q_SIGNALS:
  // The frame's room list button was pressed.
  void OnRoomListClick(TChatSheet* sender);
  // A member command produced chat text: sent at once when bEnter is true, put
  // into the chat input otherwise.
  void OnUserSetTalk(TChatSheet* sender, const std::string& talkMsg, bool bEnter);

 private:
  QTabWidget* PageControl() const;

  TFrameChatRoom* frame_ = nullptr;
  ChatUserList users_;
  std::string name_;
  std::string userInfoPrefix_;
  std::string password_;
  int32_t teamId_ = 0;
  int imageIndex_ = ImagePlain;
  QString executableDir_;
  std::function<ClockTime()> clock_;
};
