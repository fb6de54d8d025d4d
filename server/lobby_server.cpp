#include "server/lobby_server.h"

#include <QFile>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "server/demo_world.h"
#include "server/qt_server_clock.h"

class LobbyServer::Connection final : public SessionLink {
 public:
  Connection(LobbyServer& server, QTcpSocket* socket) : server_(server), socket_(socket) {}
  ~Connection() override {
    if (socket_ != nullptr) socket_->deleteLater();
  }

  void sendFrame(const uint8_t* bytes, int n) override {
    QTcpSocket* socket = socket_.data();
    if (socket == nullptr || dropping_ || socket->state() != QAbstractSocket::ConnectedState) return;
    if (socket->bytesToWrite() > server_.limits_.connectionOutput) {
      drop("it does not read what it is sent");
      return;
    }
    const qint64 written = socket->write(reinterpret_cast<const char*>(bytes), n);
    if (written > 0) {
      queued += written;
      server_.queued(written);
    }
  }

  void drop(const char* why) {
    if (dropping_) return;
    dropping_ = true;
    if (server_.log_) server_.log_("dropping #" + std::to_string(conn) + ": " + why);
    requestClose(false);
  }

  void requestClose(bool graceful) override {
    // Later, from the event loop: the world may be in the middle of this
    // connection's frames, and abort() reports the disconnect at once.
    QTcpSocket* socket = socket_.data();
    if (socket == nullptr) return;
    QMetaObject::invokeMethod(
        socket,
        [socket, graceful] {
          // Runs only while the socket lives: it is the call's context object.
          if (graceful) {
            socket->disconnectFromHost();
          } else {
            socket->abort();
          }
        },
        Qt::QueuedConnection);
  }

  QTcpSocket* socket() const { return socket_; }
  int conn = 0;
  qint64 queued = 0;  // this connection's part of the server's queued output

 private:
  LobbyServer& server_;
  QPointer<QTcpSocket> socket_;
  bool dropping_ = false;
};

LobbyServer::LobbyServer(ServerOptions options, ServerClock* clock, LobbyWorld::LogFn log, QObject* parent)
    : QObject(parent) {
  if (!log) {
    log = [](const std::string& line) {
      std::fprintf(stderr, "turfwing-lobbyd: %s\n", line.c_str());
      std::fflush(stderr);
    };
  }
  if (clock == nullptr) {
    ownClock_ = std::make_unique<QtServerClock>();
    clock = ownClock_.get();
  }
  const bool demo = options.demo;
  log_ = log;
  world_ = std::make_unique<LobbyWorld>(std::move(options), *clock, std::move(log));
  if (demo) demo_ = std::make_unique<DemoWorld>(*world_);
  setServer(new QTcpServer(this));
  stallTimer_ = new QTimer(this);
  stallTimer_->setSingleShot(true);
  connect(stallTimer_, &QTimer::timeout, this, &LobbyServer::dropStalled);
}

void LobbyServer::setServer(QTcpServer* server) {
  delete server_;
  server_ = server;
  // Qt's default queue of 50 half-open connections overflows when a crowd logs
  // in at once, and a dropped SYN costs its client a second before it tries
  // again: that second was most of a 500-client login.
  server_->setListenBacklogSize(1024);
  // A TLS server has a connection to hand out only once its handshake is done;
  // a plain one reports both at once.
  connect(server_, &QTcpServer::pendingConnectionAvailable, this, &LobbyServer::onNewConnection);
}

bool LobbyServer::useTls(const QString& certificateFile, const QString& keyFile, QString& error) {
  const QList<QSslCertificate> chain = QSslCertificate::fromPath(certificateFile, QSsl::Pem);
  if (chain.isEmpty()) {
    error = QStringLiteral("no certificate in %1").arg(certificateFile);
    return false;
  }
  QFile keyText(keyFile);
  if (!keyText.open(QIODevice::ReadOnly)) {
    error = QStringLiteral("cannot read %1: %2").arg(keyFile, keyText.errorString());
    return false;
  }
  const QByteArray pem = keyText.readAll();
  QSslKey key(pem, QSsl::Ec);
  if (key.isNull()) key = QSslKey(pem, QSsl::Rsa);
  if (key.isNull()) {
    error = QStringLiteral("no EC or RSA private key in %1").arg(keyFile);
    return false;
  }
  QSslConfiguration config = QSslConfiguration::defaultConfiguration();
  config.setLocalCertificateChain(chain);
  config.setPrivateKey(key);
  config.setPeerVerifyMode(QSslSocket::VerifyNone);
  auto* tls = new QSslServer(this);
  tls->setSslConfiguration(config);
  connect(tls, &QSslServer::errorOccurred, this, [this](QSslSocket* socket, QAbstractSocket::SocketError) {
    log_("TLS handshake failed with " + socket->peerAddress().toString().toStdString() + ": " +
         socket->errorString().toStdString());
  });
  setServer(tls);
  return true;
}

LobbyServer::~LobbyServer() {
  // The world forgets the links before the sockets go.
  demo_.reset();
  for (auto& [conn, c] : connections_) {
    if (QTcpSocket* socket = c->socket()) {
      socket->disconnect(this);
      socket->abort();
    }
  }
  world_.reset();
  connections_.clear();
}

bool LobbyServer::listen(const QHostAddress& address, quint16 port) { return server_->listen(address, port); }

quint16 LobbyServer::port() const { return server_->serverPort(); }

QString LobbyServer::errorString() const { return server_->errorString(); }

void LobbyServer::onNewConnection() {
  while (QTcpSocket* socket = server_->nextPendingConnection()) {
    if (shuttingDown_) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    socket->setParent(this);
    // Qt reads no further ahead than this; while input is paused the rest
    // stays with the system, whose window then holds the sender back.
    socket->setReadBufferSize(limits_.inputBuffer);
    auto link = std::make_unique<Connection>(*this, socket);
    const std::string peer = socket->peerAddress().toString().toStdString() + ":" + std::to_string(socket->peerPort());
    const int conn = world_->open(link.get(), peer);
    link->conn = conn;
    connections_[conn] = std::move(link);
    connect(socket, &QTcpSocket::readyRead, this, [this, conn] { readFrom(conn); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, conn](qint64 n) {
      const auto it = connections_.find(conn);
      if (it == connections_.end()) return;
      it->second->queued -= n;
      drained(n);
    });
    connect(
        socket, &QTcpSocket::disconnected, this, [this, conn] { onDisconnected(conn); }, Qt::QueuedConnection);
  }
}

void LobbyServer::readFrom(int conn) {
  // One read at a time: the world may ask to close while it works on it, and
  // a read may fill the output past the budget.
  while (!inputPaused_) {
    const auto it = connections_.find(conn);
    if (it == connections_.end()) return;
    QTcpSocket* socket = it->second->socket();
    if (socket == nullptr || socket->bytesAvailable() <= 0) return;
    char chunk[16384];
    const qint64 n = socket->read(chunk, sizeof chunk);
    if (n <= 0) return;
    world_->receive(conn, reinterpret_cast<const uint8_t*>(chunk), static_cast<int>(n));
  }
}

void LobbyServer::queued(qint64 bytes) {
  queued_ += bytes;
  peakQueued_ = std::max(peakQueued_, queued_);
  if (inputPaused_ || queued_ <= limits_.outputBudget) return;
  inputPaused_ = true;
  stallTimer_->start(limits_.stallMs);
}

void LobbyServer::drained(qint64 bytes) {
  queued_ -= bytes;
  if (inputPaused_ && queued_ <= limits_.outputBudget / 2) resumeInput();
}

void LobbyServer::resumeInput() {
  inputPaused_ = false;
  stallTimer_->stop();
  // What arrived meanwhile waits in the sockets, and no new readyRead comes
  // for it: read it from the event loop, one connection after the other.
  for (const auto& [conn, link] : connections_) {
    QTcpSocket* socket = link->socket();
    if (socket != nullptr && socket->bytesAvailable() > 0) {
      QMetaObject::invokeMethod(
          this, [this, id = conn] { readFrom(id); }, Qt::QueuedConnection);
    }
  }
}

void LobbyServer::dropStalled() {
  if (!inputPaused_) return;
  // A reading client takes its output well within the stall time; those that
  // still hold a pile do not read, and the others should not wait for them.
  for (const auto& [conn, link] : connections_) {
    QTcpSocket* socket = link->socket();
    if (socket != nullptr && socket->bytesToWrite() > limits_.stalledBytes) link->drop("it stopped reading");
  }
  stallTimer_->start(limits_.stallMs);
}

void LobbyServer::onDisconnected(int conn) {
  auto it = connections_.find(conn);
  if (it == connections_.end()) return;
  // What was never sent is gone with the connection.
  drained(it->second->queued);
  world_->closed(conn);
  connections_.erase(it);
#if defined(__GLIBC__)
  // After a burst the freed send buffers stay with the allocator; hand them
  // back to the system once the crowd has gone.
  if (connections_.empty() || ++closedSinceTrim_ >= 200) {
    closedSinceTrim_ = 0;
    malloc_trim(0);
  }
#endif
  if (shuttingDown_ && connections_.empty()) Q_EMIT allClosed();
}

void LobbyServer::shutdown() {
  if (shuttingDown_) return;
  shuttingDown_ = true;
  server_->close();
  world_->shutdown();
  if (connections_.empty()) {
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT allClosed(); }, Qt::QueuedConnection);
  }
}
