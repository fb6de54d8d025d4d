#pragma once
// A lobby server scripted by the test: it listens on loopback, records every
// frame the client sends, and sends whatever frames the test chooses.

#include <QByteArray>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <vector>

#include "messages.h"
#include "net/net_messages.h"
#include "net/stream_buffer.h"

// One message as the bytes of its frame; empty when it cannot be encoded.
template <class M>
QByteArray FrameOf(const typename M::Info& info) {
  NetPacket p;
  if (!M::encode(p, info)) return {};
  return QByteArray(reinterpret_cast<const char*>(p.frame_bytes()), p.wire_length());
}

class ScriptedServer : public QObject {
  Q_OBJECT
 public:
  ScriptedServer();
  ~ScriptedServer() override;

  quint16 port() const { return server_.serverPort(); }

  // Waits until a client is connected (true) or the limit passes.
  bool waitForClient(int timeoutMs = 5000);
  // The server's end of the client connection (socket options), or null.
  QTcpSocket* clientSocket() const { return client_; }
  bool hasClient() const { return client_ != nullptr && client_->state() == QAbstractSocket::ConnectedState; }
  // Waits until the client has sent at least n frames in all.
  bool waitForFrames(size_t n, int timeoutMs = 5000);
  // Waits until the client's connection is closed.
  bool waitForDisconnect(int timeoutMs = 5000);

  // Every frame received so far, whole (length, type, payload).
  const std::vector<QByteArray>& frames() const { return frames_; }
  std::vector<uint8_t> types() const;
  // Decodes received frame i as M; false when it is of another type or malformed.
  template <class M>
  bool decodeFrame(size_t i, typename M::Info& info) const {
    if (i >= frames_.size()) return false;
    NetPacket p;
    if (!p.load(reinterpret_cast<const uint8_t*>(frames_[i].constData()), static_cast<int>(frames_[i].size())))
      return false;
    return p.type() == M::Type && M::decode(p, info);
  }
  void clearFrames() { frames_.clear(); }

  template <class M>
  void send(const typename M::Info& info) {
    const QByteArray frame = FrameOf<M>(info);
    if (!frame.isEmpty()) sendRaw(frame);
  }
  void sendRaw(const QByteArray& bytes);
  // Closes the client's connection from the server side.
  void dropClient();
  // Sends bytes and the close together, in one TCP segment where the system
  // allows it: the client finds its last frames and the end in the same read.
  void sendAndClose(const QByteArray& bytes);

 Q_SIGNALS:
  // A frame of this message type came from the client (a server that answers
  // by itself, like the flood benchmark's, reacts here).
  void frameReceived(int type);

 private:
  void onNewConnection();
  void onReadyRead();

  QTcpServer server_;
  QPointer<QTcpSocket> client_;
  StreamBuffer buffer_;
  NetPacket packet_;
  std::unique_ptr<FrameLoop> loop_;
  std::vector<QByteArray> frames_;
  bool disconnected_ = false;
};
