#include "server/probe_client.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QThread>
#include <algorithm>

ProbeClient::ProbeClient(quint16 port, QObject* parent)
    : QObject(parent), port_(port), loop_(buffer_, packet_, [this] {
        ++received_;
        frames_.emplace_back(packet_.frame_bytes(), packet_.frame_bytes() + packet_.frame_length());
      }) {
  connect(&socket_, &QTcpSocket::readyRead, this, &ProbeClient::onReadyRead);
}

ProbeClient::~ProbeClient() { socket_.abort(); }

namespace {
template <class Pred>
bool Spin(Pred done, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!done()) QThread::usleep(200);
  }
  return true;
}
}  // namespace

bool ProbeClient::connectToServer(int timeoutMs) {
  socket_.connectToHost(QHostAddress::LocalHost, port_);
  return Spin([this] { return socket_.state() == QAbstractSocket::ConnectedState; }, timeoutMs);
}

bool ProbeClient::waitClosed(int timeoutMs) {
  return Spin([this] { return socket_.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}

void ProbeClient::sendRaw(const QByteArray& bytes) {
  socket_.write(bytes);
  socket_.flush();
}

void ProbeClient::onReadyRead() {
  const QByteArray bytes = socket_.readAll();
  if (loop_.feed(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size())) ==
      FrameLoop::Result::Close) {
    socket_.abort();
  }
}

bool ProbeClient::waitForType(uint8_t type, int timeoutMs) {
  return Spin([this, type] { return count(type) > 0; }, timeoutMs);
}

int ProbeClient::count(uint8_t type) const {
  return static_cast<int>(
      std::count_if(frames_.begin(), frames_.end(), [type](const std::vector<uint8_t>& f) { return f[2] == type; }));
}

std::vector<uint8_t> ProbeClient::types() const {
  std::vector<uint8_t> list;
  for (const auto& f : frames_) list.push_back(f[2]);
  return list;
}

bool ProbeClient::barrier(int timeoutMs) {
  // An earlier GmAPing still queued would end the wait too early.
  frames_.erase(std::remove_if(frames_.begin(), frames_.end(),
                               [](const std::vector<uint8_t>& f) { return f[2] == GmAPing::Type; }),
                frames_.end());
  if (!send<GmPing>(GmPing::Info{})) return false;
  GmAPing::Info pong;
  return next<GmAPing>(pong, timeoutMs);
}

int ProbeClient::login(uint32_t userId, const char* password) {
  if (!send<GmReady>(GmReady::Info{})) return -2;
  GmAReady::Info ready;
  if (!next<GmAReady>(ready)) return -2;
  readyStatus_ = ready.status;
  clientId_ = ready.clientId;
  if (ready.status != 0) return -1;
  GmConnect::Info connectInfo;
  connectInfo.userId = userId;
  CopyText(connectInfo.password, password);
  if (!send<GmConnect>(connectInfo)) return -2;
  GmAConnect::Info answer;
  if (!next<GmAConnect>(answer)) return -2;
  return answer.status;
}
