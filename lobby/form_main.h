#pragma once
// The main window: stadium list on top, chat tabs in the middle, the chat input
// line at the bottom, the menus, and the lobby connection with its session.

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>

#include "net/net_messages.h"
#include "net/stream_buffer.h"

class QAction;
class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTcpSocket;
class QTimer;

class TFormMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // Sends the set's frame over the connection at once; nothing while closed.
  void SendPacket(NetMessageSet& set);
  // Routes the frame in the main message set's packet to its handler.
  void DispatchPacket();
  void UpdateControlStates();
  void UpdateTitle(int count);
  void ResetSession();
  // printf-style trace text; discarded unless a sink is set (--trace, --debug).
  void TraceLine(const char* format, ...);
  using TraceSink = std::function<void(const QString&)>;
  void setTraceSink(TraceSink sink) { traceSink_ = std::move(sink); }

  // The connect command: login dialog, then connect.
  void OpenMenuClick();
  // Step 3 of the connect command: connect with the ID and password already held.
  void Connect();
  void CloseMenuClick();

  // The socket's active flag: true from the connect event to the disconnect event.
  bool IsConnected() const { return socketActive_; }
  int16_t ClientId() const { return clientId_; }
  const std::string& PlayerName() const { return PlayerName_; }
  void setLogin(uint32_t userId, const std::string& password) {
    UserID_ = userId;
    Password_ = password;
  }
  void setServer(const std::string& address, int port) {
    ServerAddress_ = address;
    ServerPort_ = port;
  }

  // Whether the first activation still opens the login dialog by itself.
  bool autoConnectPending() const { return autoConnectPending_; }
  void setAutoConnectPending(bool pending) { autoConnectPending_ = pending; }

  // Controls, for the window's own handlers and for tests.
  QAction* OpenMenu = nullptr;
  QAction* CloseMenu = nullptr;
  QAction* ExitMenu = nullptr;
  QAction* MenuPrev = nullptr;
  QAction* MenuNext = nullptr;
  QAction* MenuRoomList = nullptr;
  QAction* RetireMenu = nullptr;
  QAction* MenuSetting = nullptr;
  QAction* CreateMenu = nullptr;
  QAction* MenuHtmlHome = nullptr;
  QAction* MenuHtmlMember = nullptr;
  QAction* MenuHtmlNew = nullptr;
  QAction* MenuGameListDisp = nullptr;
  QAction* MenuPreview = nullptr;
  QAction* MenuGameOption = nullptr;
  QAction* MenuPing = nullptr;
  QWidget* PanelGameList = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* PanelInput = nullptr;
  QComboBox* EditInputChat = nullptr;
  QPushButton* ButtonSendChat = nullptr;
  QTcpSocket* Socket1 = nullptr;
  QTimer* TimerPing = nullptr;

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void CreateMenus();
  void CreateLayout();
  void FormActivate();

  // Session (form_main_session.cpp).
  void Socket1Connect();
  void Socket1Disconnect();
  void Socket1Read();
  void Socket1Error();
  void Socket1Write();
  void DeactivateSocket();
  void RecvAReady();
  void RecvAConnect();
  void RecvAPing();
  void TimerPingTimer();

  // Chat input.
  void EditInputChatChange();
  void ButtonSendChatClick();

  // Menu actions.
  void MenuGameListDispClick();
  void MenuPingClick();
  void OpenPage(const std::string& address);

  NetMessageSet messages_;
  StreamBuffer stream_;
  FrameLoop frameLoop_;
  bool socketActive_ = false;
  bool autoConnectPending_ = true;
  int16_t clientId_ = 0;
  uint32_t pingSentTime_ = 0;
  std::string loginText_;
  std::string PlayerName_;
  // Login and server, from the settings files.
  uint32_t UserID_ = 0;
  std::string Password_;
  std::string ServerAddress_;
  int ServerPort_ = 9010;
  TraceSink traceSink_;
};
