#include "session/lobby_session.h"

#include <QAbstractSocket>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <utility>

#include "platform/cp932.h"
#include "platform/keep_alive.h"
#include "session/answer_texts.h"

namespace {
// A flood of talk must not hold the window: the socket takes at most this much
// from the system per pass of the event loop (some 700 talk lines), and the rest
// waits in the system's buffer until the window has painted and read its input.
constexpr qint64 kReadChunkBytes = qint64{64} * 1024;
constexpr int kPingIntervalMs = 2000;

// Code page 932 bytes as Qt's text (the widgets' ToQString is not for the session).
QString TextOf(std::string_view cp932Bytes) { return QString::fromStdU16String(cp932::ToUtf16(cp932Bytes)); }

SocketFault FaultOf(QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::SslHandshakeFailedError:
      return SocketFault::TlsCertificate;
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
      return SocketFault::TlsHandshake;
    case QAbstractSocket::ConnectionRefusedError:
      return SocketFault::Refused;
    case QAbstractSocket::HostNotFoundError:
      return SocketFault::HostNotFound;
    case QAbstractSocket::SocketTimeoutError:
      return SocketFault::Timeout;
    case QAbstractSocket::NetworkError:
      return SocketFault::Network;
    default:
      return SocketFault::Other;
  }
}
}  // namespace

LobbySession::LobbySession(QObject* parent, Tick tick)
    : QObject(parent), frameLoop_(stream_, received_, [this] { receive(received_); }), tick_(std::move(tick)) {
  if (!tick_) {
    tick_ = [] {
      const auto now = std::chrono::steady_clock::now().time_since_epoch();
      return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    };
  }
  setObjectName(QStringLiteral("LobbySession"));
  MakeSocket(false);
  pingTimer_ = new QTimer(this);
  pingTimer_->setObjectName(QStringLiteral("TimerPing"));
  pingTimer_->setInterval(kPingIntervalMs);
  connect(pingTimer_, &QTimer::timeout, this, &LobbySession::PingTick);

  // The session's own messages; subscribed first, so a trace line comes before
  // what the windows do with the message.
  own_.push_back(subscribe(this, &LobbySession::RecvAReady));
  own_.push_back(subscribe(this, &LobbySession::RecvAConnect));
  own_.push_back(subscribe<GmAPing>([this](const GmAPing::Info&) { RecvAPing(); }));
  own_.push_back(subscribe<GmLife>([this](const GmLife::Info&) { trace("life"); }));
  own_.push_back(subscribe<GmClose>([this](const GmClose::Info&) {
    trace("recv close");
    close();
  }));
  own_.push_back(subscribe<GmTalk>([this](const GmTalk::Info&) { trace("recv talk"); }));
  own_.push_back(subscribe<GmRoomList>([this](const GmRoomList::Info&) { trace("recv roomlist"); }));
}

LobbySession::~LobbySession() { socket_->disconnect(this); }

void LobbySession::MakeSocket(bool secure) {
  // A plain connection never loads the TLS library: the socket is a TLS one
  // only while the operator asks for it.
  if (socket_ != nullptr) {
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
  }
  QSslSocket* tls = secure ? new QSslSocket(this) : nullptr;
  socket_ = tls != nullptr ? tls : new QTcpSocket(this);
  socket_->setObjectName(QStringLiteral("Socket1"));
  socket_->setReadBufferSize(kReadChunkBytes);
  // A slot connected directly to readyRead that opens a modal box would stall
  // the reads until more bytes come; queued, a frame arriving while a box is
  // open is handled inside the box's nested loop, in order.
  connect(socket_, &QTcpSocket::readyRead, this, &LobbySession::SocketRead, Qt::QueuedConnection);
  connect(socket_, &QTcpSocket::connected, this, &LobbySession::SocketConnected);
  connect(socket_, &QTcpSocket::disconnected, this, &LobbySession::SocketDisconnected);
  connect(socket_, &QTcpSocket::errorOccurred, this, &LobbySession::SocketError);
  connect(socket_, &QTcpSocket::bytesWritten, this, [this] { trace("write"); });
  if (tls == nullptr) return;
  connect(tls, &QSslSocket::encrypted, this, &LobbySession::SocketOpened);
  connect(tls, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
    // Never ignored: the handshake fails and the socket reports it.
    QStringList texts;
    for (const QSslError& e : errors) texts << e.errorString();
    tlsProblems_ = texts.join(QLatin1Char('\n'));
  });
}

void LobbySession::open(Login login) {
  login_ = std::move(login);
  socket_->abort();
  if (login_.secure != (qobject_cast<QSslSocket*>(socket_) != nullptr)) MakeSocket(login_.secure);
  tlsProblems_.clear();
  setState(State::Connecting);
  const QString host = TextOf(login_.address);
  const auto port = static_cast<quint16>(login_.port);
  if (!login_.secure) {
    // A failure reported at once, inside the call, already ends the attempt.
    socket_->connectToHost(host, port);
    return;
  }
  QSslConfiguration config = QSslConfiguration::defaultConfiguration();
  config.setPeerVerifyMode(QSslSocket::VerifyPeer);
  config.setProtocol(QSsl::TlsV1_2OrLater);
  if (!login_.caCertificate.empty()) {
    const QString file = QString::fromLocal8Bit(login_.caCertificate.c_str());
    const QList<QSslCertificate> authorities = QSslCertificate::fromPath(file, QSsl::Pem);
    if (authorities.isEmpty()) {
      setState(State::Idle);
      QTimer::singleShot(0, this,
                         [this, file] { Q_EMIT failed(TextOf(SocketFaultText(SocketFault::TlsAuthority)), file); });
      return;
    }
    config.setCaCertificates(authorities);
  }
  static_cast<QSslSocket*>(socket_)->setSslConfiguration(config);
  static_cast<QSslSocket*>(socket_)->connectToHostEncrypted(host, port);
}

void LobbySession::close() {
  // abort() on a connected socket reports the disconnect before it returns, so
  // the end of the connection has been handled when the caller goes on.
  socket_->abort();
}

void LobbySession::setState(State state) {
  if (state == state_) return;
  state_ = state;
  Q_EMIT stateChanged(state_);
}

void LobbySession::transmit(const NetPacket& packet) {
  socket_->write(reinterpret_cast<const char*>(packet.frame_bytes()), packet.wire_length());
}

void LobbySession::startPing() { pingTimer_->start(); }

void LobbySession::stopPing() { pingTimer_->stop(); }

void LobbySession::trace(const char* format, ...) {
  if (!traceSink_) return;
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  traceSink_(QString::fromLatin1(line));
}

template <class Announce>
void LobbySession::ChangeConnection(State next, Announce announce) {
  const State before = std::exchange(state_, next);
  // Neither a new connection nor the end of one reads what the last one left.
  frameLoop_.reset();
  pingSentTime_ = 0;
  announce();
  if (before != state_) Q_EMIT stateChanged(state_);
}

void LobbySession::SocketConnected() {
  trace("connect");
  // A server that vanishes without closing (a cable pulled, a NAT timing out)
  // is noticed by the system's keep-alive probes; the protocol has none of its own.
  if (!SetTcpKeepAlive(static_cast<intptr_t>(socket_->socketDescriptor()), keepAlive_)) trace("keep-alive not set");
  // A TLS connection opens once its handshake is done.
  if (!login_.secure) SocketOpened();
}

void LobbySession::SocketOpened() {
  if (login_.secure) trace("encrypted");
  ChangeConnection(State::Handshaking, [this] {
    Q_EMIT opened();
    send(GmReady::Info{});
  });
}

void LobbySession::SocketDisconnected() {
  trace("disconnect");
  // A TLS handshake that failed: the connection never opened, so nothing closes.
  if (!isOpen()) {
    setState(State::Idle);
    return;
  }
  endConnection();
}

void LobbySession::endConnection() {
  ChangeConnection(State::Idle, [this] { Q_EMIT closed(); });
}

void LobbySession::SocketError() {
  trace("error");
  const bool opening = state_ == State::Connecting;
  // A connection that never opened ends here; an open one ends with its disconnect.
  if (opening) setState(State::Idle);
  const QAbstractSocket::SocketError error = socket_->error();
  SocketFault fault = FaultOf(error);
  const QString detail = tlsProblems_.isEmpty() ? socket_->errorString() : tlsProblems_;
  if (error == QAbstractSocket::RemoteHostClosedError) {
    // A close by the server is an ordinary disconnect, not an error to show;
    // but one in the middle of the TLS handshake is a server that speaks none.
    if (!(opening && login_.secure)) return;
    fault = SocketFault::TlsHandshake;
  }
  const QString reason = TextOf(SocketFaultText(fault));
  // A box runs a nested loop; report after the socket has finished reporting.
  QTimer::singleShot(0, this, [this, reason, detail] { Q_EMIT failed(reason, detail); });
}

void LobbySession::SocketRead() {
  // Reads are queued: one may come after the disconnect handling ran, while the
  // socket still holds what the server sent before its close. That connection
  // is over; what it left is dropped unread.
  if (!isOpen()) {
    if (socket_->isOpen()) socket_->readAll();
    return;
  }
  const QByteArray bytes = socket_->readAll();
  if (bytes.isEmpty()) return;
  if (frameLoop_.feed(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size())) ==
      FrameLoop::Result::Close) {
    close();
  }
}

void LobbySession::RecvAReady(const GmAReady::Info& info) {
  clientId_ = info.clientId;
  trace("recv aready sts:%d  clientID:%d", info.status, info.clientId);
  if (info.status == NetDef::StatusOk) {
    trace("send connect");
    GmConnect::Info login;
    login.userId = static_cast<uint32_t>(login_.userId);
    CopyText(login.password, login_.password.c_str());
    send(login);
    return;
  }
  close();
  Q_EMIT handshakeRefused(info.status, info.message);
}

void LobbySession::RecvAConnect(const GmAConnect::Info& info) {
  if (info.status != NetDef::StatusOk) {
    close();
    Q_EMIT loginRefused(info.status, info.message);
    return;
  }
  playerName_ = info.PlayerName;
  trace("aconnect ok");
  setState(State::LoggedIn);
  // Enter again the rooms that were open at the last exit, in their order.
  for (const RememberedRoom& room : login_.rooms) {
    GmEnterRoom::Info enter;
    enter.room = 0;  // by name: a number of the last run means nothing now
    CopyText(enter.name, room.Name.c_str());
    CopyText(enter.password, room.Password.c_str());
    enter.teamId = static_cast<uint32_t>(room.TeamID);
    send(enter);
  }
  Q_EMIT loggedIn();
}

void LobbySession::PingTick() {
  if (pingSentTime_ != 0) return;  // one ping at a time, with no time-out
  send(GmPing::Info{});
  // 0 means "none outstanding": a tick of exactly 0 is taken as 1.
  const uint32_t now = tick_();
  pingSentTime_ = now != 0 ? now : 1;
}

void LobbySession::RecvAPing() {
  // An answer without a ping of ours outstanding has no round trip to show.
  const int roundTrip = pingSentTime_ != 0 ? static_cast<int32_t>(tick_() - pingSentTime_) : -1;
  pingSentTime_ = 0;
  Q_EMIT pingAnswered(roundTrip);
}
