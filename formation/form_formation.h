#pragma once
// The window of one chat room's shared formation board.
//
// How the room frame uses it:
//   auto* w = new TFormFormation(session, frame, mainWindow);  // owned by the frame
//   frame keeps QPointer<TFormFormation>(w), disables its formation button and
//   connects w->OnClose to a slot that enables the button and forgets w;
//   w->Open(roomName, roomNumber);                    // caption, show, GmFormationOpen
//
// From Open on, the window subscribes to the session's GmFormationAOpen,
// GmFormationInfo and GmFormationFile and takes those of its room.
//
// Life:
// - A close by the user (ButtonClose, the title bar, the system menu) or by a
//   refused GmFormationAOpen sends GmFormationClose with the room number, fires
//   OnClose and then releases the window (it deletes itself from the event loop;
//   it is never shown again). A frame holding a QPointer sees it become null; one
//   holding a plain pointer must drop it in its OnClose slot.
// - Destroyed together with its owner (the frame, when the member leaves the room
//   and the chat tab goes away) it sends nothing: no GmFormationClose.
// - Message boxes are modal and run a nested event loop; the window may be
//   destroyed inside one (its tab went away), and every handler copes with that.
// - Every message goes out through session.send.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>

#include "net/net_messages.h"
#include "session/lobby_session.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class TFormationImage;

class TFormFormation final : public QWidget {
  Q_OBJECT
 public:
  // Fixed client area of the window.
  static constexpr int ClientWidth = 322;
  static constexpr int ClientHeight = 475;

  // owner: the room's frame; the window stays a separate top-level window but is
  // deleted with its owner. It opens centred on `centre`, or on its owner's
  // window when that is null. The session must outlive the window.
  TFormFormation(LobbySession& session, QWidget* owner, QWidget* centre = nullptr);
  ~TFormFormation() override;

  // roomName is code page 932 text. Stores the room number, sets the caption to
  // the room name followed by " - フォーメーション盤", shows the window (not
  // modal) and sends GmFormationOpen for the room.
  void Open(const std::string& roomName, int16_t roomNumber);
  int16_t RoomNumber() const { return roomNumber_; }

  // The room was left: the window takes no more of the room's messages and
  // goes with its frame.
  void RoomLeft();

  TFormationImage* Board() const { return board_; }

 Q_SIGNALS:
  // The user or the server closed the window; it is released right after.
  void OnClose(TFormFormation* Sender);

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  // The server's answer to GmFormationOpen; a non-zero result shows
  // "フォーメーション盤を開くことができません" and closes the window.
  void RecvFormationAOpen(const GmFormationAOpen::Info& info);
  // Changes relayed from the members of the room (the own ones included);
  // entries naming no slot of the formation are skipped.
  void RecvFormationInfo(const GmFormationInfo::Info& info);
  // The answer to a load or save request: at most a message box.
  void RecvFormationFile(const GmFormationFile::Info& info);

  void BuildLayout();
  void CentreOn(QWidget* window);
  void BoardMouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
  void BoardChangeItem(QObject* Sender, int nItem, bool bChangePos, bool bChangePosType, bool bChangeName);
  void CheckExtraClick();
  void ButtonLoadClick();
  void ButtonSaveClick();
  void SendFormationFile(uint8_t action);
  // Subscribes handler to its message, for this window's room only.
  template <class Info>
  LobbySession::Subscription SubscribeRoom(void (TFormFormation::*handler)(const Info&));

  LobbySession& session_;
  QPointer<QWidget> centre_;
  LobbySession::Subscriptions subscriptions_;
  int16_t roomNumber_ = 0;
  bool closing_ = false;

  QFrame* PanelLeft = nullptr;
  TFormationImage* board_ = nullptr;
  QFrame* Panel3 = nullptr;
  QLabel* TextPos = nullptr;
  QCheckBox* CheckExtra = nullptr;
  QPushButton* ButtonClose = nullptr;
  QFrame* PanelExtra = nullptr;
  QPushButton* ButtonLoad = nullptr;
  QPushButton* ButtonSave = nullptr;
};
