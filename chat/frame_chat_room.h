#pragma once
// The inside of one chat tab: the room's log on the left, its members on the
// right, and below the members the call-sound bell and the buttons for the
// formation window and the room list.
//
// Every text handed in here is code page 932 bytes (std::string) and is shown as
// plain text, never as markup. How the tab uses the frame:
//
//   auto* frame = new TFrameChatRoom(tab);
//   frame->SetRoom(room, name);
//   frame->SetSession(&session, mainWindow);        // for its formation window
//   connect(frame, &TFrameChatRoom::UserCommand, tab, &TChatSheet::UserCommand);
//   connect(frame, &TFrameChatRoom::RoomListClick, tab, &TChatSheet::RoomListClick);
//   frame->AddLog(prefix, namePart, body, QColor(255, 0, 0));
//   frame->AddUserRow(name, level != 0 ? 0 : 1);
//   if (auto* w = frame->FormationWindow()) ...   // it gets its messages itself

#include <QFrame>
#include <QIcon>
#include <QPointer>
#include <cstdint>
#include <string>

#include "net/net_messages.h"

class LobbySession;
class QAction;
class QColor;
class QGroupBox;
class QMenu;
class QPushButton;
class QSplitter;
class QToolButton;
class QTreeWidget;
class TFormFormation;
class TRichEditEx;

// The commands of the member menus, as UserCommand numbers them.
enum class MemberCommand : int { UserPage = 0, PrivateTalk = 1, OperatorRights = 2, Ignore = 3 };

class TFrameChatRoom : public QFrame {
  Q_OBJECT
 public:
  // Images of the member rows (index into the frame's 16 x 16 image list).
  static constexpr int ImageLit = 0;    // level not 0
  static constexpr int ImageUnlit = 1;  // level 0

  explicit TFrameChatRoom(QWidget* parent = nullptr);
  ~TFrameChatRoom() override;

  // Room identity, set by the tab when it creates the frame; name in CP932 bytes.
  void SetRoom(int32_t roomNumber, const std::string& roomName);
  int32_t GetRoomNumber() const { return roomNumber_; }
  const std::string& GetRoomName() const { return roomName_; }

  // Appends prefix + namePart + body as one line of the log, all in one colour;
  // a marked line (it names the player) is drawn highlighted. The three texts
  // are CP932 bytes.
  void AddLog(const std::string& prefix, const std::string& namePart, const std::string& body, const QColor& color,
              bool marked = false);

  // Member rows, in the order of the tab's member list. caption: CP932 bytes;
  // imageIndex: ImageLit or ImageUnlit. A row index outside the list does nothing.
  // A screen reader hears the lamp as text, with the member's level when it is
  // given (level -1: only the lamp is known).
  void AddUserRow(const std::string& caption, int imageIndex, int level = -1);
  void SetUserRowImage(int row, int imageIndex, int level = -1);
  void DeleteUserRow(int row);
  int UserRowCount() const;
  // Caption (CP932 bytes) and image of row i; empty / -1 outside the list.
  std::string UserRowCaption(int row) const;
  int UserRowImage(int row) const;
  // The selected row, -1 when none.
  int SelectedUserRow() const;

  // Call-sound flag, on at creation. Setting it also sets the bell: sound on shows
  // the bell released, sound off shows it pressed.
  bool GetCheckSound() const { return checkSound_; }
  void SetCheckSound(bool on);

  // The private talk tab has no formation board: its button stays disabled.
  void DisableFormationButton();

  // The formation windows this frame opens talk to the server through session,
  // which must outlive the frame, and open centred on `centre` (the main window).
  // Without a session the formation button opens nothing.
  void SetSession(LobbySession* session, QWidget* centre) {
    session_ = session;
    formationCentre_ = centre;
  }
  // The room was left and the tab is going: its formation window, if open,
  // takes no more messages until it goes with the frame.
  void RoomLeft();
  // The formation window opened from this frame and still open, or nullptr.
  TFormFormation* FormationWindow() const;

  // Controls, for the tab and for tests.
  TRichEditEx* EditLog() const { return EditLog_; }
  QTreeWidget* ListUser() const { return ListUser_; }
  QPushButton* ButtonFormation() const { return ButtonFormation_; }
  QPushButton* ButtonList() const { return ButtonList_; }
  QToolButton* SpeedButton1() const { return SpeedButton1_; }
  QMenu* PopupMenuUser() const { return PopupMenuUser_; }
  QMenu* PopupMenuUser2() const { return PopupMenuUser2_; }
  QSplitter* Splitter1() const { return Splitter1_; }

 Q_SIGNALS:
  // A command on the member in row nIndex; nCommand is a MemberCommand.
  void UserCommand(int nCommand, int nIndex);
  // The room list button was pressed.
  void RoomListClick();
  // A member menu is about to pop up at globalPos (the member list's context menu
  // or the two-item menu of a member-name link).
  void MenuPopping(QMenu* menu, const QPoint& globalPos);

 protected:
  // Where every member menu pops up (not modal); tests override it or watch
  // MenuPopping.
  virtual void PopupMenu(QMenu* menu, const QPoint& globalPos);
  void resizeEvent(QResizeEvent* e) override;

 private:
  void BuildLayout();
  void BuildMenus();
  void ButtonFormationClick();
  void FormationClosed();
  void ButtonListClick();
  void RaiseCommandOnSelection(MemberCommand command);
  void PrvTalkMenuClick();
  void OpMenuClick();
  void InvMenuClick();
  void UserPageMenuClick();
  void ListUserDblClick();
  void PopupMenuUserPopup();
  void Splitter1Moved();
  void SpeedButton1Click();
  void EditLogURLClick(const std::string& urlText, const QPoint& menuPos);
  bool eventFilter(QObject* watched, QEvent* event) override;

  int32_t roomNumber_ = 0;
  std::string roomName_;
  bool checkSound_ = true;
  bool formationLocked_ = false;
  LobbySession* session_ = nullptr;
  QPointer<QWidget> formationCentre_;
  QPointer<TFormFormation> formation_;
  bool splitterMoved_ = false;
  QIcon memberIcons_[2];

  TRichEditEx* EditLog_ = nullptr;
  QSplitter* Splitter1_ = nullptr;
  QWidget* PanelRight_ = nullptr;
  QGroupBox* GroupUserList_ = nullptr;
  QTreeWidget* ListUser_ = nullptr;
  QWidget* PanelButton_ = nullptr;
  QPushButton* ButtonFormation_ = nullptr;
  QPushButton* ButtonList_ = nullptr;
  QToolButton* SpeedButton1_ = nullptr;
  QMenu* PopupMenuUser_ = nullptr;
  QAction* PrvTalkMenu_ = nullptr;
  QAction* OpMenu_ = nullptr;
  QAction* InvMenu_ = nullptr;
  QAction* UserPageMenu_ = nullptr;
  QMenu* PopupMenuUser2_ = nullptr;
  QAction* MenuItem2_ = nullptr;
  QAction* MenuItem1_ = nullptr;
};
