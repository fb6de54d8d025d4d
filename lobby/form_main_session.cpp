// The lobby connection as the main window runs it: connect, handshake, login,
// dispatch of every received frame, ping, and the end of the connection.
#include <QAbstractSocket>
#include <QTcpSocket>
#include <QTimer>

#include "lobby/form_main.h"
#include "lobby/main_window_rules.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

void TFormMain::OpenMenuClick() {
  // The login dialog comes with the dialogs; until then the held login is used.
  Connect();
}

void TFormMain::Connect() {
  Socket1->abort();
  Socket1->connectToHost(ToQString(ServerAddress_), static_cast<quint16>(ServerPort_));
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
  UpdateControlStates();
}

void TFormMain::SendPacket(NetMessageSet& set) {
  if (!socketActive_) return;
  const NetPacket& p = set.packet();
  Socket1->write(reinterpret_cast<const char*>(p.frame_bytes()), p.wire_length());
}

void TFormMain::Socket1Connect() {
  TraceLine("connect");
  // A new connection never reads what was left of the last one.
  frameLoop_.reset();
  messages_.encode<GmReady>(GmReady::Info{});
  SendPacket(messages_);
  ResetSession();
}

void TFormMain::Socket1Disconnect() {
  TraceLine("disconnect");
  frameLoop_.reset();
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
    login.userId = UserID_;
    CopyText(login.password, Password_.c_str());
    messages_.encode<GmConnect>(login);
    SendPacket(messages_);
    return;
  }
  DeactivateSocket();
  if (info.status == 2) return;  // the update notice comes with the dialogs
  const RefusalText refusal = AReadyRefusal(info.status, info.message);
  Platform::current().errorBox(this,
                               refusal.isServerText ? ToQString(refusal.text) : QString::fromStdString(refusal.text));
}

void TFormMain::RecvAConnect() {
  GmAConnect::Info info;
  if (!messages_.decode<GmAConnect>(info)) return;
  if (info.status == 0) {
    loginText_ = info.loginText;
    PlayerName_ = info.PlayerName;
    TraceLine("aconnect ok");
    return;
  }
  DeactivateSocket();
  if (const auto refusal = AConnectRefusal(info.status, info.message)) {
    Platform::current().errorBox(
        this, refusal->isServerText ? ToQString(refusal->text) : QString::fromStdString(refusal->text));
  }
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
  pingSentTime_ = 0;
  MenuPing->setEnabled(socketActive_);
  TimerPing->stop();
}
