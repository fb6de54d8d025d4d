#pragma once
// The main window: stadium list on top, chat tabs in the middle, the chat input
// line at the bottom, the menus, and the lobby connection with its session.
// It owns the socket, the message set, the settings and every dialog, and is
// the host through which the stadium panel, the chat tabs, the room list and
// the formation windows reach the connection.

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "chat/chat_host.h"
#include "lobby/main_window_rules.h"
#include "lobby/settings.h"
#include "lobby/stadium_host.h"
#include "net/net_messages.h"
#include "net/stream_buffer.h"

class QAction;
class QComboBox;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTcpSocket;
class QTimer;
class TDebugForm;
class TFormCreateRoom;
class TFormGameOption;
class TFormLogin;
class TFormPassword;
class TFormPing;
class TFormUpdate;
class TGameListPanel;
class ChatTabs;
class TFormRoomList;

class TFormMain : public QMainWindow, public StadiumHost, public ChatHost {
  Q_OBJECT
 public:
  // The two INI files are fixed here and read at once.
  TFormMain(std::string accessPath, std::string settingsPath, QWidget* parent = nullptr);
  ~TFormMain() override;

  // Sends the set's frame over the connection at once; nothing while closed.
  void SendPacket(const NetMessageSet& set) override;
  void SendPacket(NetMessageSet& set) override { SendPacket(static_cast<const NetMessageSet&>(set)); }
  // Routes the frame in the main message set's packet to its handler.
  void DispatchPacket();
  void UpdateControlStates() override;
  void UpdateTitle(int count);
  void ResetSession();
  // printf-style trace text; discarded unless a sink is set (--trace, --debug).
  void TraceLine(const char* format, ...);
  using TraceSink = std::function<void(const QString&)>;
  void setTraceSink(TraceSink sink) { traceSink_ = std::move(sink); }

  // The connect command: login dialog, then connect.
  void OpenMenuClick();
  // Step 3 of the connect command: connect with the ID and password held.
  void Connect();
  void CloseMenuClick();

  // The socket's active flag: true from the connect event to the disconnect event.
  bool IsConnected() const { return socketActive_; }
  int16_t ClientId() const override { return clientId_; }

  // StadiumHost.
  bool SocketOpen() const override { return socketActive_; }
  std::string PlayerName() const override { return PlayerName_; }
  GameOptions CurrentGameOptions() const override { return settings_.Game; }
  std::string GameExe() const override { return settings_.Access.GameExe; }
  std::string GameExeTest() const override { return settings_.Access.GameExeTest; }
  std::string GameRunner() const override { return settings_.Access.GameRunner; }
  QString ExecutableFolder() const override { return executableFolder_; }

  // ChatHost.
  bool ChatTime() const override { return settings_.ChatTime; }
  std::string UserInfoAddress() const override { return settings_.Access.UrlUserInfo; }
  std::optional<bool> RememberRoom(const std::string& name, const std::string& password, int32_t teamId) override;
  void SetChatInput(const std::string& text) override;
  void FocusChatInput() override;
  bool PasswordExecute(std::string& password) override;
  QString ExecutableDir() const override { return executableFolder_; }
  QWidget* MainWindow() const override { return const_cast<TFormMain*>(this); }
  QWidget* CentreWindow() const override { return const_cast<TFormMain*>(this); }
  // GmRoomListRequest, then the room list window, modal.
  void ShowRoomList() override;
  // GmTalk with the text to the room of the active chat tab.
  void SendTalk(const std::string& text);
  ChatTabs* chatTabs() const { return chatTabs_; }

  Settings& settings() { return settings_; }
  // Saves the settings file (the window's layout, options and open rooms); also
  // done when the window closes. False when the file could not be written.
  bool SaveSettings();
  // The folder of sound/ and the stand-in of the executable's folder in tests.
  void setExecutableFolder(const QString& folder) { executableFolder_ = folder; }

  // Whether the first activation still opens the login dialog by itself.
  bool autoConnectPending() const { return autoConnectPending_; }
  void setAutoConnectPending(bool pending) { autoConnectPending_ = pending; }

  // Controls and windows, for the window's own handlers and for tests.
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
  TGameListPanel* PanelGameList = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* PanelInput = nullptr;
  QComboBox* EditInputChat = nullptr;
  QPushButton* ButtonSendChat = nullptr;
  QTcpSocket* Socket1 = nullptr;
  QTimer* TimerPing = nullptr;
  TFormLogin* FormLogin = nullptr;
  TFormUpdate* FormUpdate = nullptr;
  TFormCreateRoom* FormCreateRoom = nullptr;
  TFormPassword* FormPassword = nullptr;
  TFormGameOption* FormGameOption = nullptr;
  TFormPing* FormPing = nullptr;
  TDebugForm* DebugForm = nullptr;
  TFormRoomList* FormRoomList = nullptr;

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void CreateMenus();
  void CreateLayout();
  void CreateDialogs();
  void LoadSettings();
  FormLayout CurrentLayout() const;
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
  void RecvACreateRoom();
  void ShowRefusal(const RefusalText& refusal);
  void TimerPingTimer();

  // Chat input.
  void EditInputChatChange();
  void ButtonSendChatClick();

  // Menu actions (form_main_menus.cpp).
  void CreateMenuClick();
  void MenuGameListDispClick();
  void MenuPreviewClick();
  void MenuGameOptionClick();
  void MenuPingClick();
  void OpenPage(const std::string& address);

  NetMessageSet messages_;
  StreamBuffer stream_;
  FrameLoop frameLoop_;
  Settings settings_;
  QString executableFolder_;
  bool socketActive_ = false;
  bool autoConnectPending_ = true;
  bool settingsSaved_ = false;
  int roomHeight_ = FormLayout::DesignRoomHeight;
  int16_t clientId_ = 0;
  uint32_t pingSentTime_ = 0;
  std::string loginText_;
  std::string PlayerName_;
  TraceSink traceSink_;
  ChatTabs* chatTabs_ = nullptr;
};
