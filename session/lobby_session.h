#pragma once
// The connection to the lobby server: the socket, the stream buffer and the
// frame loop; the handshake (GmReady, GmAReady) and the login
// (GmConnect, GmAConnect), the rooms entered again after a login, the ping
// cycle, GmClose and the end of the connection.
//
// Windows subscribe to the messages they show and get each received message
// decoded, in one call from the frame loop; they send with send(info). The
// session opens no window: whatever needs a person (a refusal, the update
// notice, a socket error) it reports by signal, and the window decides.
//
//   auto s = session.subscribe<GmTalk>([this](const GmTalk::Info& talk) { ... });
//   auto t = session.subscribe(this, &ChatTabs::RecvTalk);  // the kind from the record
//   session.send(GmLeaveRoom::Info{room});
//
// A subscription ends with its handle; a receiver keeps its handles as members,
// so nothing is delivered to a destroyed receiver.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/message_dispatch.h"
#include "net/net_messages.h"
#include "net/stream_buffer.h"
#include "platform/keep_alive.h"
#include "session/remembered_room.h"

class QTcpSocket;
class QTimer;

class LobbySession : public QObject {
  Q_OBJECT
 public:
  enum class State {
    Idle,         // no connection
    Connecting,   // connectToHost issued, not yet connected
    Handshaking,  // connected: GmReady sent, the login not yet accepted
    LoggedIn,     // GmAConnect accepted
  };
  Q_ENUM(State)

  using Subscription = MessageSubscribers<NetDef::Direction::ToClient>::Subscription;
  using Subscriptions = std::vector<Subscription>;

  struct Login {
    std::string address;  // host name or address, CP932 as access.ini holds it
    int port = 0;
    int32_t userId = 0;
    std::string password;
    std::vector<RememberedRoom> rooms;  // entered again, in this order, once the login is accepted
    // TLS, verified against the system's authorities or, when caCertificate
    // names a PEM file (a native path), against its certificates alone.
    bool secure = false;
    std::string caCertificate;
  };

  // The millisecond tick the pings are timed with; the session has no clock of
  // its own, so the window hands it the platform's and a test its own.
  using Tick = std::function<uint32_t()>;

  // Without a tick, a steady clock's milliseconds.
  explicit LobbySession(QObject* parent = nullptr, Tick tick = {});
  ~LobbySession() override;

  // Drops any connection (reporting its end first), then connects.
  void open(Login login);
  // Drops the connection; its end has been reported when this returns.
  void close();

  State state() const { return state_; }
  // True from the connect event to the disconnect event.
  bool isOpen() const { return state_ == State::Handshaking || state_ == State::LoggedIn; }
  // The client ID of GmAReady; 0 before the first.
  int16_t clientId() const { return clientId_; }
  // The name of the last accepted login (CP932), empty before the first.
  const std::string& playerName() const { return playerName_; }

  // Writes one client message at once; nothing while the connection is not open.
  template <class Info>
  bool send(const Info& info) {
    using M = typename MessageOf<Info>::type;
    if (!isOpen() || !M::encode(outgoing_, info)) return false;
    transmit(outgoing_);
    return true;
  }

  template <class M>
  [[nodiscard]] Subscription subscribe(std::function<void(const typename M::Info&)> handler) {
    return subscribers_.subscribe<M>(std::move(handler));
  }
  // A receiver's handler of one message record: session.subscribe(this, &ChatTabs::RecvTalk).
  template <class R, class Info>
  [[nodiscard]] Subscription subscribe(R* receiver, void (R::*handler)(const Info&)) {
    using M = typename MessageOf<Info>::type;
    return subscribe<M>([receiver, handler](const Info& info) { (receiver->*handler)(info); });
  }

  // How soon the system gives up on a silent server: probes after this much
  // quiet, each so long apart, this many unanswered (about two minutes).
  void setKeepAlive(KeepAlive keepAlive) { keepAlive_ = keepAlive; }

  // The ping cycle: every two seconds a GmPing, unless one is still unanswered.
  void startPing();
  void stopPing();

  // printf-style trace text; discarded unless a sink is set (--trace, --debug).
  using TraceSink = std::function<void(const QString&)>;
  void setTraceSink(TraceSink sink) { traceSink_ = std::move(sink); }
  void trace(const char* format, ...);

 Q_SIGNALS:
  void stateChanged(LobbySession::State state);
  // A connection opened; its GmReady follows at once.
  void opened();
  // An open connection ended; every room and list of it is gone.
  void closed();
  // GmAReady or GmAConnect refused; the connection is already closed. The text
  // is the server's own (CP932), shown for the status that says so.
  void handshakeRefused(int status, const std::string& text);
  void loginRefused(int status, const std::string& text);
  // GmAConnect accepted and the remembered rooms asked for again.
  void loggedIn();
  // The socket failed (not a close by the server): a reason and the system's
  // text. Reported from the event loop, after the socket has finished.
  void failed(const QString& reason, const QString& detail);
  // GmAPing arrived: the round trip in milliseconds, or -1 when no ping of ours
  // was outstanding.
  void pingAnswered(int milliseconds);

 protected:
  // Writes a frame to the socket. A test double records it instead.
  virtual void transmit(const NetPacket& packet);
  // Hands one received frame to the subscribers, as the frame loop does.
  void receive(const NetPacket& packet) { subscribers_.deliver(packet); }
  // A test double stands for a session in any state without a socket.
  void setState(State state);
  // The connection has ended: closed() while the state is already Idle, then
  // stateChanged. The disconnect event ends here, and so does a test double.
  void endConnection();
  void setIdentity(int16_t clientId, std::string playerName) {
    clientId_ = clientId;
    playerName_ = std::move(playerName);
  }

 private:
  void MakeSocket(bool secure);
  void SocketConnected();
  // The connection is open: at once for a plain one, after the handshake for TLS.
  void SocketOpened();
  void SocketDisconnected();
  // A connection begins or ends: the new state holds while `announce` runs and
  // is told after it.
  template <class Announce>
  void ChangeConnection(State next, Announce announce);
  void SocketRead();
  void SocketError();
  void PingTick();
  void RecvAReady(const GmAReady::Info& info);
  void RecvAConnect(const GmAConnect::Info& info);
  void RecvAPing();

  NetPacket received_;
  NetPacket outgoing_;
  StreamBuffer stream_;
  FrameLoop frameLoop_;
  MessageSubscribers<NetDef::Direction::ToClient> subscribers_;
  QTcpSocket* socket_ = nullptr;
  QTimer* pingTimer_ = nullptr;
  State state_ = State::Idle;
  Login login_;
  int16_t clientId_ = 0;
  Tick tick_;
  uint32_t pingSentTime_ = 0;
  std::string playerName_;
  TraceSink traceSink_;
  Subscriptions own_;
  KeepAlive keepAlive_;
  // Why the last TLS handshake refused the server's certificate.
  QString tlsProblems_;
};
