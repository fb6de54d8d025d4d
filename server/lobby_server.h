#pragma once
// The development lobby server on TCP: one QTcpServer, one socket per client,
// everything on the thread that owns it. The rules live in LobbyWorld; this
// class carries bytes between the sockets and the world.

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "server/lobby_world.h"

class QTcpServer;
class QTcpSocket;
class QtServerClock;
class DemoWorld;

class QTimer;

// How much the server holds for its clients before it pushes back.
struct FlowLimits {
  // Output waiting in the server for all clients together. Past it, the server
  // stops reading what clients send (their talk makes most of the output)
  // until half of it has gone out; the system's buffers then hold the rest.
  qint64 outputBudget = qint64{16} * 1024 * 1024;
  // A client whose own unsent output passes this is dropped at once.
  qint64 connectionOutput = qint64{4} * 1024 * 1024;
  // Still over the budget after this long: the clients with more than
  // stalledBytes unsent are not reading and are dropped, so the rest go on.
  int stallMs = 3000;
  qint64 stalledBytes = qint64{256} * 1024;
  // What the server reads from one client ahead of the world.
  qint64 inputBuffer = qint64{64} * 1024;
};

class LobbyServer final : public QObject {
  Q_OBJECT
 public:
  // clock: null for the real clock; tests pass a ManualClock they advance.
  // log: one line per connection event; null writes them to stderr.
  explicit LobbyServer(ServerOptions options, ServerClock* clock = nullptr, LobbyWorld::LogFn log = {},
                       QObject* parent = nullptr);
  ~LobbyServer() override;

  // Serves TLS with this certificate chain and key (PEM files) from the next
  // listen() on. False, with the reason in error, when either cannot be read.
  bool useTls(const QString& certificateFile, const QString& keyFile, QString& error);

  // Port 0 picks a free port; port() tells which.
  bool listen(const QHostAddress& address = QHostAddress::LocalHost, quint16 port = 0);
  quint16 port() const;
  QString errorString() const;

  LobbyWorld& world() { return *world_; }
  int connectionCount() const { return static_cast<int>(connections_.size()); }

  // Before listen(); tests shrink them.
  void setFlowLimits(const FlowLimits& limits) { limits_ = limits; }
  // Output waiting in the server now, and the most it ever waited.
  qint64 queuedBytes() const { return queued_; }
  qint64 peakQueuedBytes() const { return peakQueued_; }
  bool inputPaused() const { return inputPaused_; }

  // GmClose to everyone, stop listening and close every connection;
  // allClosed() follows once the last one is gone (at once when there is none).
  void shutdown();

 Q_SIGNALS:
  void allClosed();

 private:
  class Connection;
  void setServer(QTcpServer* server);
  void onNewConnection();
  void onDisconnected(int conn);
  void readFrom(int conn);
  // Output accounting: written to a socket's buffer, and gone to the system.
  void queued(qint64 bytes);
  void drained(qint64 bytes);
  void resumeInput();
  void dropStalled();

  LobbyWorld::LogFn log_;
  std::unique_ptr<QtServerClock> ownClock_;
  std::unique_ptr<LobbyWorld> world_;
  std::unique_ptr<DemoWorld> demo_;
  QTcpServer* server_ = nullptr;
  std::map<int, std::unique_ptr<Connection>> connections_;
  bool shuttingDown_ = false;
  int closedSinceTrim_ = 0;
  FlowLimits limits_;
  qint64 queued_ = 0;
  qint64 peakQueued_ = 0;
  bool inputPaused_ = false;
  QTimer* stallTimer_ = nullptr;
};
