// What the main window does with what the session reports: the connect and
// close commands, the window's state at the start and end of a connection, and
// the boxes and dialogs of refusals, errors and pings.
#include <QAction>

#include "chat/chat_tabs.h"
#include "chat/form_room_list.h"
#include "dialogs/form_login.h"
#include "dialogs/form_ping.h"
#include "dialogs/form_update.h"
#include "lobby/form_main.h"
#include "lobby/game_list_panel.h"
#include "platform/platform.h"
#include "platform/qt_text.h"
#include "session/answer_texts.h"

void TFormMain::ConnectSession() {
  connect(session_, &LobbySession::stateChanged, this, &TFormMain::UpdateControlStates);
  connect(session_, &LobbySession::opened, this, &TFormMain::ConnectionChanged);
  connect(session_, &LobbySession::closed, this, &TFormMain::ConnectionChanged);
  connect(session_, &LobbySession::failed, this, &TFormMain::SessionFailed);
  connect(session_, &LobbySession::handshakeRefused, this, &TFormMain::HandshakeRefused);
  connect(session_, &LobbySession::loginRefused, this, &TFormMain::LoginRefused);
  connect(session_, &LobbySession::loggedIn, this, &TFormMain::LoggedIn);
  connect(session_, &LobbySession::pingAnswered, this, &TFormMain::PingAnswered);
  subscriptions_.push_back(
      session_->subscribe<GmUserCount>([this](const GmUserCount::Info& info) { UpdateTitle(info.count); }));
  subscriptions_.push_back(session_->subscribe(this, &TFormMain::RecvACreateRoom));
}

void TFormMain::OpenMenuClick() {
  int32_t userId = settings_.UserID;
  std::string password = settings_.Password;
  session_->trace("login dialog");
  if (!FormLogin->Execute(userId, password, settings_.Access.UrlNew)) return;
  settings_.UserID = userId;
  settings_.Password = password;
  Connect();
}

void TFormMain::Connect() {
  LobbySession::Login login;
  login.address = settings_.Access.IP;
  login.port = settings_.Access.Port;
  login.userId = settings_.UserID;
  login.password = settings_.Password;
  login.secure = settings_.Access.Secure;
  login.caCertificate = settings_.Access.CACertificate;
  login.rooms.assign(settings_.Rooms.begin(), settings_.Rooms.end());
  session_->open(std::move(login));
}

void TFormMain::CloseMenuClick() { session_->close(); }

// The stadium list, the chat tabs and the room list follow the session
// themselves; the window's own part is the title and its commands.
void TFormMain::ConnectionChanged() {
  UpdateTitle(0);
  UpdateControlStates();
}

void TFormMain::SessionFailed(const QString& reason, const QString& detail) {
  Platform::current().errorBox(this, reason + QStringLiteral("\n(") + detail + QStringLiteral(")"));
}

void TFormMain::HandshakeRefused(int status, const std::string& text) {
  if (status == NetDef::ReadyNeedsUpdate) {
    UpdateNotice()->Execute(settings_.Access.UrlDownload);
    return;
  }
  ShowRefusal(AReadyRefusal(static_cast<uint8_t>(status), text.c_str()));
}

void TFormMain::LoginRefused(int status, const std::string& text) {
  if (const auto refusal = AConnectRefusal(static_cast<uint8_t>(status), text.c_str())) ShowRefusal(*refusal);
}

void TFormMain::LoggedIn() {
  if (!settings_.SaveLogin()) {
    Platform::current().errorBox(this, QStringLiteral("ログイン情報を設定ファイルに保存できませんでした。"));
  }
}

void TFormMain::PingAnswered(int milliseconds) {
  if (milliseconds >= 0) FormPing->AddResult(milliseconds);
  if (!FormPing->isVisible()) {
    MenuPing->setEnabled(session_->isOpen());
    session_->stopPing();
  }
}

void TFormMain::RecvACreateRoom(const GmACreateRoom::Info& info) {
  if (const auto refusal = ACreateRoomRefusal(info.status, info.message)) ShowRefusal(*refusal);
}

void TFormMain::ShowRefusal(const std::string& refusal) { Platform::current().errorBox(this, ToQString(refusal)); }
