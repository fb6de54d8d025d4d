#pragma once
// A small lobby client for tests and tools: it connects over TCP, sends
// messages through the shared codecs and keeps every frame it receives, in
// order. Waits run the event loop (never a fixed sleep), so an in-process
// server keeps working while the client waits.
//
// To show that something did NOT arrive, use barrier(): the server answers
// GmPing in order, so every frame caused by what was sent before is in by the
// time GmAPing comes back.

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>
#include <cstdint>
#include <deque>
#include <vector>

#include "net/net_messages.h"
#include "net/stream_buffer.h"

class ProbeClient final : public QObject {
  Q_OBJECT
 public:
  explicit ProbeClient(quint16 port, QObject* parent = nullptr);
  ~ProbeClient() override;

  bool connectToServer(int timeoutMs = 5000);
  bool isConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
  // True once the server closed the connection (or it failed).
  bool waitClosed(int timeoutMs = 5000);
  void close() { socket_.abort(); }

  template <class M>
  bool send(const typename M::Info& info) {
    NetPacket packet;
    if (!M::encode(packet, info)) return false;
    sendRaw(QByteArray(reinterpret_cast<const char*>(packet.frame_bytes()), packet.wire_length()));
    return true;
  }
  void sendRaw(const QByteArray& bytes);

  // Takes the first received frame of M's type out of the queue (waiting for
  // one when there is none yet) and decodes it; false on time-out or when it
  // does not decode. Frames of other types stay queued.
  template <class M>
  bool next(typename M::Info& out, int timeoutMs = 5000) {
    if (!waitForType(M::Type, timeoutMs)) return false;
    for (auto it = frames_.begin(); it != frames_.end(); ++it) {
      if ((*it)[2] != M::Type) continue;
      NetPacket packet;
      const bool loaded = packet.load(it->data(), static_cast<int>(it->size()));
      frames_.erase(it);
      return loaded && M::decode(packet, out);
    }
    return false;
  }
  // Queued frames of a type, without taking them.
  int count(uint8_t type) const;
  // Every queued frame's type, in arrival order.
  std::vector<uint8_t> types() const;
  void clear() { frames_.clear(); }
  // Sends GmPing and waits for its GmAPing (which is taken out of the queue).
  bool barrier(int timeoutMs = 5000);

  // GmReady then GmConnect; returns the GmAConnect status, or -1 (handshake
  // refused: see readyStatus) or -2 (no answer).
  int login(uint32_t userId, const char* password);
  int16_t clientId() const { return clientId_; }
  int readyStatus() const { return readyStatus_; }
  int framesReceived() const { return received_; }

 private:
  bool waitForType(uint8_t type, int timeoutMs);
  void onReadyRead();

  QTcpSocket socket_;
  quint16 port_;
  StreamBuffer buffer_;
  NetPacket packet_;
  FrameLoop loop_;
  std::deque<std::vector<uint8_t>> frames_;
  int16_t clientId_ = 0;
  int readyStatus_ = -1;
  int received_ = 0;
};
