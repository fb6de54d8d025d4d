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

class LobbyServer final : public QObject {
  Q_OBJECT
 public:
  // A client whose unsent output grows past this is too slow to keep.
  static constexpr qint64 MaxPendingBytes = qint64{8} * 1024 * 1024;

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

  LobbyWorld::LogFn log_;
  std::unique_ptr<QtServerClock> ownClock_;
  std::unique_ptr<LobbyWorld> world_;
  std::unique_ptr<DemoWorld> demo_;
  QTcpServer* server_ = nullptr;
  std::map<int, std::unique_ptr<Connection>> connections_;
  bool shuttingDown_ = false;
  int closedSinceTrim_ = 0;
};
