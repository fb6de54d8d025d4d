#pragma once
// The room list window: the rooms on the server with password and team marks and
// member counts, from which the user enters one. Created once, hidden between
// showings; its rows change whenever GmRoomList or GmRoomUsers arrive, also
// while it is shown, and are emptied when the connection closes.
//
// The main window's ShowRoomList sends GmRoomListRequest and then calls
// ShowModalList(); the window subscribes to the session's GmRoomList and
// GmRoomUsers itself and empties its rows when the connection closes. The rows
// are the main window's, which the chat tabs read their captions from.

#include <QDialog>
#include <cstdint>
#include <string>

#include "chat/room_list_model.h"
#include "session/lobby_session.h"

class ChatHost;
class QPushButton;
class QTreeWidget;

class TFormRoomList final : public QDialog {
  Q_OBJECT
 public:
  // host, session and rows must outlive the window.
  TFormRoomList(ChatHost& host, LobbySession& session, RoomListModel& rows, QWidget* parent = nullptr);

  // Disables "入室(&E)", clears the selection and runs the window modally.
  int ShowModalList();

  // Name of the first row with this room number, or an empty text (CP932).
  std::string RoomNameOf(int16_t room) const { return model_.RoomNameOf(room); }

  QTreeWidget* RoomList2() const { return RoomList2_; }
  QPushButton* ButtonEnter() const { return ButtonEnter_; }
  QPushButton* ButtonClose() const { return ButtonClose_; }

 private:
  // The room list messages of the session.
  void RecvRoomList(const GmRoomList::Info& info);
  void RecvRoomUsers(const GmRoomUsers::Info& info);
  // Deletes every row (the connection closed); the window stays open if it is shown.
  void Clear();
  void SyncRows();
  void RoomList2Change();
  void ButtonEnterClick();
  void ButtonCloseClick();

  ChatHost& host_;
  LobbySession& session_;
  RoomListModel& model_;
  QTreeWidget* RoomList2_ = nullptr;
  QPushButton* ButtonEnter_ = nullptr;
  QPushButton* ButtonClose_ = nullptr;
  LobbySession::Subscriptions subscriptions_;
};
