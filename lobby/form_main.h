#pragma once
// The main window: stadium list on top, chat tabs in the middle, the chat input
// line at the bottom, and the menus. It holds the settings, the dialogs and the
// lobby session, enables its controls from the session's state, and shows what
// the session reports that needs a person (refusals, the update notice, errors).
// The parts it embeds subscribe to the session's messages themselves.

#include <QMainWindow>
#include <cstdint>
#include <string>

#include "chat/chat_host.h"
#include "chat/room_list_model.h"
#include "lobby/game_launch.h"
#include "lobby/main_window_rules.h"
#include "lobby/settings.h"
#include "platform/file_places.h"
#include "session/lobby_session.h"

class QAction;
class QComboBox;
class QSystemTrayIcon;
class QPushButton;
class QSplitter;
class QTabWidget;
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

class TFormMain : public QMainWindow, public ChatHost {
  Q_OBJECT
 public:
  // The places of the client's files are fixed here and the INI files read at once.
  explicit TFormMain(const FilePlaces& places, QWidget* parent = nullptr);
  // A portable client's two INI files, with sound/ beside the running executable.
  TFormMain(std::string accessPath, std::string settingsPath, QWidget* parent = nullptr);
  ~TFormMain() override;

  LobbySession& session() const { return *session_; }
  Settings& settings() { return settings_; }
  // Saves the settings file (the window's layout, options and open rooms); also
  // done when the window closes. False when the file could not be written.
  bool SaveSettings();
  // The folder of sound/ (the executable's folder when portable); tests set their own.
  void setDataFolder(const QString& folder) { dataFolder_ = folder; }
  // printf-style trace text of the session and the window (--trace, --debug).
  void setTraceSink(LobbySession::TraceSink sink) { session_->setTraceSink(std::move(sink)); }

  // Whether the first activation still opens the login dialog by itself.
  bool autoConnectPending() const { return autoConnectPending_; }
  void setAutoConnectPending(bool pending) { autoConnectPending_ = pending; }

  // The connect command: login dialog, then connect.
  void OpenMenuClick();
  // Step 3 of the connect command: connect with the ID and password held.
  void Connect();
  void CloseMenuClick();
  // GmTalk with the text to the room of the active chat tab.
  void SendTalk(const std::string& text);

  // ChatHost.
  bool ChatTime() const override { return settings_.ChatTime; }
  bool SaveChatLog() const override { return settings_.SaveChatLog; }
  std::string LogsFolder() const override { return logsFolder_; }
  std::string UserInfoAddress() const override { return settings_.Access.UrlUserInfo; }
  std::optional<bool> RememberRoom(const std::string& name, const std::string& password, int32_t teamId) override;
  void SetChatInput(const std::string& text) override;
  void FocusChatInput() override;
  bool PasswordExecute(std::string& password) override;
  QString DataFolder() const override { return dataFolder_; }
  QWidget* MainWindow() const override { return const_cast<TFormMain*>(this); }
  // GmRoomListRequest, then the room list window, modal.
  void ShowRoomList() override;

  // The update notice, built the first time it is needed: most sessions never
  // show it, and its bold link would load a face of the font of its own.
  TFormUpdate* UpdateNotice();

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void CreateMenus();
  // The system tray (form_main_tray.cpp): an icon whose menu shows the window,
  // connects, disconnects and quits; marked while a tab holds unseen talk and
  // the window is hidden or minimised.
  void CreateTray();
  void ShowFromTray();
  void UpdateTrayMark();
  void ExitMenuClick();
  void CreateLayout();
  void CreateDialogs();
  void ConnectSession();
  void LoadSettings();
  FormLayout CurrentLayout() const;
  GameSetup CurrentGameSetup() const;
  void FormActivate();
  void UpdateControlStates();
  void UpdateTitle(int count);

  // What the session reports (form_main_session.cpp).
  void ConnectionChanged();
  void SessionFailed(const QString& reason, const QString& detail);
  void HandshakeRefused(int status, const std::string& text);
  void LoginRefused(int status, const std::string& text);
  void LoggedIn();
  void PingAnswered(int milliseconds);
  void RecvACreateRoom(const GmACreateRoom::Info& info);
  void ShowRefusal(const std::string& refusal);

  // Chat input.
  void EditInputChatChange();
  void ButtonSendChatClick();

  // Menu actions (form_main_menus.cpp).
  void CreateMenuClick();
  void MenuGameListDispClick();
  void MenuPreviewClick();
  void MenuGameOptionClick();
  void MenuPingClick();
  void MenuSaveChatLogToggled(bool on);
  void MenuOpenLogFolderClick();
  void OpenPage(const std::string& address);

  Settings settings_;
  QString dataFolder_;
  QString gameFolder_;
  std::string logsFolder_;
  LobbySession* session_ = nullptr;
  RoomListModel roomRows_;  // the room list window's rows; the chat tabs' captions
  LobbySession::Subscriptions subscriptions_;
  bool autoConnectPending_ = true;
  bool settingsSaved_ = false;
  QSystemTrayIcon* tray_ = nullptr;
  QAction* MenuKeepInTray = nullptr;
  QAction* MenuSaveChatLog = nullptr;
  QAction* MenuOpenLogFolder = nullptr;
  bool trayMarked_ = false;
  bool quitting_ = false;  // the exit command: close even when the tray would keep the window
  int roomHeight_ = FormLayout::DesignRoomHeight;

  // Controls and windows; tests find them by object name.
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
  TFormLogin* FormLogin = nullptr;
  TFormUpdate* FormUpdate = nullptr;
  TFormCreateRoom* FormCreateRoom = nullptr;
  TFormPassword* FormPassword = nullptr;
  TFormGameOption* FormGameOption = nullptr;
  TFormPing* FormPing = nullptr;
  TDebugForm* DebugForm = nullptr;
  TFormRoomList* FormRoomList = nullptr;
  ChatTabs* chatTabs_ = nullptr;
};
