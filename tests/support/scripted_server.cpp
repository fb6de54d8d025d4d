#include "scripted_server.h"

#include <QHostAddress>

#ifdef __linux__
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

#include "wait.h"

ScriptedServer::ScriptedServer() {
  loop_ = std::make_unique<FrameLoop>(buffer_, packet_, [this] {
    frames_.emplace_back(reinterpret_cast<const char*>(packet_.frame_bytes()), packet_.wire_length());
    Q_EMIT frameReceived(packet_.type());
  });
  server_.listen(QHostAddress::LocalHost, 0);
  connect(&server_, &QTcpServer::newConnection, this, &ScriptedServer::onNewConnection);
}

ScriptedServer::~ScriptedServer() {
  if (client_) client_->abort();
}

void ScriptedServer::onNewConnection() {
  while (QTcpSocket* s = server_.nextPendingConnection()) {
    if (client_) client_->deleteLater();
    client_ = s;
    disconnected_ = false;
    loop_->reset();
    connect(s, &QTcpSocket::readyRead, this, &ScriptedServer::onReadyRead);
    connect(s, &QTcpSocket::disconnected, this, [this, s] {
      if (s == client_) disconnected_ = true;
    });
  }
}

void ScriptedServer::onReadyRead() {
  if (!client_) return;
  const QByteArray bytes = client_->readAll();
  loop_->feed(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size()));
}

bool ScriptedServer::waitForClient(int timeoutMs) {
  return WaitUntil([this] { return hasClient(); }, timeoutMs);
}

bool ScriptedServer::waitForFrames(size_t n, int timeoutMs) {
  return WaitUntil([this, n] { return frames_.size() >= n; }, timeoutMs);
}

bool ScriptedServer::waitForDisconnect(int timeoutMs) {
  return WaitUntil([this] { return disconnected_ || client_ == nullptr; }, timeoutMs);
}

std::vector<uint8_t> ScriptedServer::types() const {
  std::vector<uint8_t> out;
  for (const QByteArray& f : frames_) out.push_back(f.size() > 2 ? static_cast<uint8_t>(f[2]) : 0);
  return out;
}

void ScriptedServer::sendRaw(const QByteArray& bytes) {
  QTcpSocket* client = client_;
  if (client == nullptr) return;
  client->write(bytes);
  client->flush();
}

void ScriptedServer::sendAndClose(const QByteArray& bytes) {
  QTcpSocket* client = client_;
  if (client == nullptr) return;
  client->flush();
#ifdef __linux__
  // Corked, the data and the FIN leave as one segment when the cork is pulled.
  const int fd = static_cast<int>(client->socketDescriptor());
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
  for (qsizetype at = 0; at < bytes.size();) {
    const ssize_t n = ::send(fd, bytes.constData() + at, static_cast<size_t>(bytes.size() - at), MSG_NOSIGNAL);
    if (n <= 0) break;
    at += n;
  }
  ::shutdown(fd, SHUT_WR);
  int off = 0;
  setsockopt(fd, IPPROTO_TCP, TCP_CORK, &off, sizeof off);
#else
  client->write(bytes);
  client->flush();
  client->disconnectFromHost();
#endif
}

void ScriptedServer::dropClient() {
  if (QTcpSocket* client = client_) client->disconnectFromHost();
}
