// The lobby connection as the main window runs it: connect, handshake, login,
// dispatch of every received frame, ping, and the end of the connection.
#include <QAbstractSocket>
#include <QTcpSocket>
#include <QTimer>

#include "chat/chat_tabs.h"
#include "chat/form_room_list.h"
#include "dialogs/form_login.h"
#include "dialogs/form_ping.h"
#include "dialogs/form_update.h"
#include "lobby/form_main.h"
#include "lobby/game_list_panel.h"
#include "lobby/main_window_rules.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

void TFormMain::OpenMenuClick() {
  int32_t userId = settings_.UserID;
  std::string password = settings_.Password;
  TraceLine("login dialog");
  if (!FormLogin->Execute(userId, password, settings_.Access.UrlNew)) return;
  settings_.UserID = userId;
  settings_.Password = password;
  Connect();
}

void TFormMain::Connect() {
  Socket1->abort();
  Socket1->connectToHost(ToQString(settings_.Access.IP), static_cast<quint16>(settings_.Access.Port));
  UpdateControlStates();
}

void TFormMain::CloseMenuClick() { DeactivateSocket(); }

void TFormMain::DeactivateSocket() {
  // abort() on a connected socket reports the disconnect before it returns, so
  // the disconnect handling has run when the caller goes on.
  Socket1->abort();
}

void TFormMain::ResetSession() {
  pingSentTime_ = 0;
  UpdateTitle(0);
  PanelGameList->LeaveWaitingState();
  UpdateControlStates();
}

void TFormMain::SendPacket(const NetMessageSet& set) {
  if (!socketActive_) return;
  const NetPacket& p = set.packet();
  Socket1->write(reinterpret_cast<const char*>(p.frame_bytes()), p.wire_length());
}

void TFormMain::Socket1Connect() {
  TraceLine("connect");
  // A new connection never reads what was left of the last one.
  frameLoop_.reset();
  PanelGameList->ClearStadiums();
  messages_.encode<GmReady>(GmReady::Info{});
  SendPacket(messages_);
  ResetSession();
}

void TFormMain::Socket1Disconnect() {
  TraceLine("disconnect");
  // Frames still queued belong to the dead connection: never dispatch them.
  frameLoop_.reset();
  PanelGameList->ClearStadiums();
  chatTabs_->DestroyAll();
  FormRoomList->Clear();
  ResetSession();
}

void TFormMain::Socket1Error() {
  TraceLine("error");
  UpdateControlStates();
  const QAbstractSocket::SocketError error = Socket1->error();
  // A close by the server is an ordinary disconnect, not an error to show.
  if (error == QAbstractSocket::RemoteHostClosedError) return;
  QString reason;
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
      reason = QStringLiteral("サーバに接続を拒否されました。");
      break;
    case QAbstractSocket::HostNotFoundError:
      reason = QStringLiteral("サーバが見つかりません。");
      break;
    case QAbstractSocket::SocketTimeoutError:
      reason = QStringLiteral("サーバからの応答がありません。");
      break;
    case QAbstractSocket::NetworkError:
      reason = QStringLiteral("ネットワークに接続できません。");
      break;
    default:
      reason = QStringLiteral("通信エラーが発生しました。");
      break;
  }
  const QString text = reason + QStringLiteral("\n(") + Socket1->errorString() + QStringLiteral(")");
  // The box runs a nested loop; open it after the socket has finished reporting.
  QTimer::singleShot(0, this, [this, text] { Platform::current().errorBox(this, text); });
}

void TFormMain::Socket1Write() { TraceLine("write"); }

void TFormMain::Socket1Read() {
  // Reads are queued: one may come after the disconnect handling ran, while the
  // socket still holds what the server sent before its close. That connection
  // is over; what it left is dropped unread.
  if (!socketActive_) {
    if (Socket1->isOpen()) Socket1->readAll();
    return;
  }
  const QByteArray bytes = Socket1->readAll();
  if (bytes.isEmpty()) return;
  if (frameLoop_.feed(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size())) ==
      FrameLoop::Result::Close) {
    DeactivateSocket();
  }
}

void TFormMain::DispatchPacket() {
  switch (messages_.packet().type()) {
    case NetDef::GmAReady:
      RecvAReady();
      break;
    case NetDef::GmLife:
      TraceLine("life");
      break;
    case NetDef::GmClose:
      TraceLine("recv close");
      DeactivateSocket();
      break;
    case NetDef::GmAConnect:
      RecvAConnect();
      break;
    case NetDef::GmUserCount: {
      GmUserCount::Info info;
      if (messages_.decode<GmUserCount>(info)) UpdateTitle(info.count);
      break;
    }
    case NetDef::GmRoomList:
      TraceLine("recv roomlist");
      FormRoomList->Dispatch(messages_);
      break;
    case NetDef::GmRoomUsers:
      FormRoomList->Dispatch(messages_);
      break;
    case NetDef::GmTalk:
      TraceLine("recv talk");
      chatTabs_->Dispatch(messages_);
      break;
    case NetDef::GmAEnterRoom:
    case NetDef::GmUserEnter:
    case NetDef::GmUserLeave:
    case NetDef::GmUserChange:
    case NetDef::GmFormationAOpen:
    case NetDef::GmFormationInfo:
    case NetDef::GmFormationFile:
      chatTabs_->Dispatch(messages_);
      break;
    case NetDef::GmACreateRoom:
      RecvACreateRoom();
      break;
    case NetDef::GmStadiumAdd:
    case NetDef::GmStadiumDelete:
    case NetDef::GmStadiumState:
    case NetDef::GmStadiumTeams:
    case NetDef::GmWaiting:
      PanelGameList->DispatchStadiumMessage(messages_);
      break;
    case NetDef::GmAPing:
      RecvAPing();
      break;
    default:
      break;
  }
}

void TFormMain::RecvAReady() {
  GmAReady::Info info;
  if (!messages_.decode<GmAReady>(info)) return;
  clientId_ = info.clientId;
  TraceLine("recv aready sts:%d  clientID:%d", info.status, info.clientId);
  if (info.status == 0) {
    TraceLine("send connect");
    GmConnect::Info login;
    login.userId = static_cast<uint32_t>(settings_.UserID);
    CopyText(login.password, settings_.Password.c_str());
    messages_.encode<GmConnect>(login);
    SendPacket(messages_);
    return;
  }
  DeactivateSocket();
  if (info.status == 2) {
    FormUpdate->Execute(settings_.Access.UrlDownload);
    return;
  }
  ShowRefusal(AReadyRefusal(info.status, info.message));
}

void TFormMain::RecvAConnect() {
  GmAConnect::Info info;
  if (!messages_.decode<GmAConnect>(info)) return;
  if (info.status == 0) {
    loginText_ = info.loginText;
    PlayerName_ = info.PlayerName;
    TraceLine("aconnect ok");
    // Enter again the rooms that were open at the last exit, in their order.
    for (const RememberedRoom& room : settings_.Rooms) {
      GmEnterRoom::Info enter;
      enter.room = 0;
      CopyText(enter.name, room.Name.c_str());
      CopyText(enter.password, room.Password.c_str());
      enter.teamId = static_cast<uint32_t>(room.TeamID);
      messages_.encode<GmEnterRoom>(enter);
      SendPacket(messages_);
    }
    if (!settings_.SaveLogin()) {
      Platform::current().errorBox(this, QStringLiteral("ログイン情報を設定ファイルに保存できませんでした。"));
    }
    return;
  }
  DeactivateSocket();
  if (const auto refusal = AConnectRefusal(info.status, info.message)) ShowRefusal(*refusal);
}

void TFormMain::TimerPingTimer() {
  if (pingSentTime_ != 0) return;  // one ping at a time, with no time-out
  messages_.encode<GmPing>(GmPing::Info{});
  SendPacket(messages_);
  // 0 means "none outstanding": a tick of exactly 0 is taken as 1.
  const uint32_t now = Platform::current().tick();
  pingSentTime_ = now != 0 ? now : 1;
}

void TFormMain::RecvAPing() {
  GmAPing::Info info;
  if (!messages_.decode<GmAPing>(info)) return;
  // An answer without a ping of ours outstanding has no round trip to show.
  if (pingSentTime_ != 0) {
    FormPing->AddResult(static_cast<int32_t>(Platform::current().tick() - pingSentTime_));
  }
  pingSentTime_ = 0;
  if (!FormPing->isVisible()) {
    MenuPing->setEnabled(socketActive_);
    TimerPing->stop();
  }
}

void TFormMain::RecvACreateRoom() {
  GmACreateRoom::Info info;
  if (!messages_.decode<GmACreateRoom>(info)) return;
  if (const auto refusal = ACreateRoomRefusal(info.status, info.message)) ShowRefusal(*refusal);
}

void TFormMain::ShowRefusal(const RefusalText& refusal) {
  // Fixed texts are UTF-8 literals; the server's own text is CP932.
  Platform::current().errorBox(this,
                               refusal.isServerText ? ToQString(refusal.text) : QString::fromStdString(refusal.text));
}
