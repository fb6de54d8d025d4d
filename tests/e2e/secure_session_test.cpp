// The session over TLS against the development server: a login, an authority
// that does not know the server's certificate, TLS asked of a plain server, an
// unreadable authority file, and a relay on the wire that must never see the
// password; and the keep-alive that notices a server gone silent.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "server/lobby_server.h"
#include "server/server_clock.h"
#include "session/lobby_session.h"
#include "wait.h"

namespace {

// A throw-away certificate for 127.0.0.1 and its key, made by openssl.
struct Certificate {
  QString cert, key;
};
bool MakeCertificate(const QTemporaryDir& dir, const QString& name, Certificate& out) {
  out = {dir.filePath(name + QStringLiteral(".crt")), dir.filePath(name + QStringLiteral(".key"))};
  QProcess openssl;
  openssl.start(QStringLiteral("openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                 QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                 QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                 QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"),
                 out.key, QStringLiteral("-out"), out.cert});
  return openssl.waitForFinished(20000) && openssl.exitCode() == 0;
}

// Carries bytes between the client and the server and keeps a copy of both
// directions, as anyone on the path could.
class WireRelay : public QObject {
 public:
  explicit WireRelay(quint16 target) : target_(target) {
    listener_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&listener_, &QTcpServer::newConnection, this, [this] {
      QTcpSocket* client = listener_.nextPendingConnection();
      auto* server = new QTcpSocket(this);
      server->connectToHost(QHostAddress::LocalHost, target_);
      auto pump = [this](QTcpSocket* from, QTcpSocket* to) {
        const QByteArray bytes = from->readAll();
        seen += bytes;
        to->write(bytes);
      };
      QObject::connect(client, &QTcpSocket::readyRead, this, [=] { pump(client, server); });
      QObject::connect(server, &QTcpSocket::readyRead, this, [=] { pump(server, client); });
      QObject::connect(client, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
      QObject::connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
    });
  }
  quint16 port() const { return listener_.serverPort(); }
  QByteArray seen;

 private:
  quint16 target_;
  QTcpServer listener_;
};

// A development server (TLS or plain) and a session that reports what happens.
struct Rig {
  explicit Rig(bool tls, const Certificate& certificate) {
    ServerOptions options;
    options.demo = true;
    options.lifeSeconds = 0;
    server = std::make_unique<LobbyServer>(std::move(options), &clock, [](const std::string&) {});
    QString error;
    if (tls) ready = server->useTls(certificate.cert, certificate.key, error);
    ready = ready && server->listen(QHostAddress::LocalHost, 0);
    QObject::connect(&session, &LobbySession::loggedIn, [this] { events.push_back("loggedIn"); });
    QObject::connect(&session, &LobbySession::closed, [this] { events.push_back("closed"); });
    QObject::connect(&session, &LobbySession::failed, [this](const QString& reason, const QString&) {
      events.push_back("failed " + reason.toStdString());
    });
  }
  LobbySession::Login LoginTo(quint16 port, const QString& authority, bool secure = true) const {
    LobbySession::Login login;
    login.address = "127.0.0.1";
    login.port = port;
    login.userId = 4321;
    login.password = "SECRET77";
    login.secure = secure;
    login.caCertificate = authority.toStdString();
    return login;
  }
  // The first event that came, after waiting for one.
  std::string Outcome() {
    WaitUntil([&] { return !events.empty(); }, 10000);
    return events.empty() ? std::string("nothing") : events.front();
  }

  ManualClock clock;
  std::unique_ptr<LobbyServer> server;
  bool ready = true;
  LobbySession session;
  std::vector<std::string> events;
};

class SecureSessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    made_ = MakeCertificate(*dir_, QStringLiteral("server"), server_) &&
            MakeCertificate(*dir_, QStringLiteral("stranger"), stranger_);
  }
  static void TearDownTestSuite() { delete dir_; }
  void SetUp() override {
    if (!made_) GTEST_SKIP() << "openssl could not make a test certificate (scripts/setup installs it)";
  }

  static inline QTemporaryDir* dir_ = nullptr;
  static inline bool made_ = false;
  static inline Certificate server_, stranger_;
};

TEST_F(SecureSessionTest, LogsInOverTlsAndNothingOfTheLoginCrossesTheWireInClear) {
  Rig rig(true, server_);
  ASSERT_TRUE(rig.ready);
  WireRelay relay(rig.server->port());
  rig.session.open(rig.LoginTo(relay.port(), server_.cert));
  EXPECT_EQ(rig.Outcome(), "loggedIn");
  EXPECT_EQ(rig.session.state(), LobbySession::State::LoggedIn);
  ASSERT_FALSE(relay.seen.isEmpty());
  EXPECT_FALSE(relay.seen.contains("SECRET77")) << "the password crossed the wire in clear";
  EXPECT_FALSE(relay.seen.contains("Player4321")) << "the server's answer crossed in clear";

  // The same relay sees a plain login whole, so it would have seen this one.
  Rig plain(false, server_);
  WireRelay plainRelay(plain.server->port());
  plain.session.open(plain.LoginTo(plainRelay.port(), {}, false));
  EXPECT_EQ(plain.Outcome(), "loggedIn");
  EXPECT_TRUE(plainRelay.seen.contains("SECRET77"));
}

TEST_F(SecureSessionTest, RefusedWithoutSendingAByteOfTheLogin) {
  const struct {
    const char* what;
    bool tlsServer;
    const Certificate* authority;
    bool keyAsAuthority;
    const char* reason;
  } rows[] = {
      {"an authority that does not know the server", true, &stranger_, false,
       "サーバの証明書を確認できなかったため、接続を中止しました。"},
      {"TLS asked of a plain server", false, &server_, false, "暗号化された接続を確立できませんでした。"},
      {"an authority file that holds no certificate", true, &server_, true,
       "サーバの証明書を確認するための CA 証明書を読み込めませんでした。"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Rig rig(row.tlsServer, server_);
    ASSERT_TRUE(rig.ready);
    const int members = rig.server->world().userCount();
    WireRelay relay(rig.server->port());
    rig.session.open(rig.LoginTo(relay.port(), row.keyAsAuthority ? row.authority->key : row.authority->cert));
    EXPECT_EQ(rig.Outcome(), std::string("failed ") + row.reason);
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(rig.events.size(), 1u) << "no login and no close of a connection that never opened";
    EXPECT_EQ(rig.session.state(), LobbySession::State::Idle);
    EXPECT_FALSE(relay.seen.contains("SECRET77"));
    EXPECT_EQ(rig.server->world().userCount(), members);
  }
}

TEST_F(SecureSessionTest, KeepAliveIsOnWithTheSessionsTimings) {
#ifdef _WIN32
  GTEST_SKIP() << "the timings are read back on POSIX only";
#endif
  Rig rig(false, server_);
  rig.session.setKeepAlive({7, 3, 4});
  rig.session.open(rig.LoginTo(rig.server->port(), {}, false));
  ASSERT_EQ(rig.Outcome(), "loggedIn");
  const auto* socket = rig.session.findChild<QTcpSocket*>(QStringLiteral("Socket1"));
  ASSERT_NE(socket, nullptr);
  const KeepAlive set = TcpKeepAliveOf(static_cast<intptr_t>(socket->socketDescriptor()));
  EXPECT_EQ(set.idleSeconds, 7);
  EXPECT_EQ(set.intervalSeconds, 3);
  EXPECT_EQ(set.probes, 4);
}

// A server that vanishes without a word (a cable pulled): the test runs again
// inside a network namespace of its own, logs in over its loopback link, takes
// the link down so that nothing more arrives or leaves, and waits for the
// keep-alive to end the connection, which the client never would by itself.
TEST(DeadServerTest, NoticedByKeepAliveWhenTheLinkGoesSilent) {
#ifndef Q_OS_LINUX
  GTEST_SKIP() << "network namespaces are Linux's";
#else
  if (qEnvironmentVariable("TURFWING_IN_NETNS") != QStringLiteral("1")) {
    if (QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("-n"), QStringLiteral("true")}) != 0) {
      GTEST_SKIP() << "no network namespace may be made here (unshare -n); KeepAliveIsOnWithTheSessionsTimings "
                      "proves the socket options";
    }
    QProcess inner;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TURFWING_IN_NETNS"), QStringLiteral("1"));
    inner.setProcessEnvironment(env);
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.start(QStringLiteral("unshare"),
                {QStringLiteral("-n"), QStringLiteral("--"), QCoreApplication::applicationFilePath(),
                 QStringLiteral("--gtest_filter=DeadServerTest.*")});
    ASSERT_TRUE(inner.waitForFinished(60000));
    const QByteArray out = inner.readAll();
    EXPECT_EQ(inner.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
    return;
  }
  ASSERT_EQ(QProcess::execute(QStringLiteral("ip"), {QStringLiteral("link"), QStringLiteral("set"),
                                                     QStringLiteral("lo"), QStringLiteral("up")}),
            0);
  Rig rig(false, Certificate{});
  ASSERT_TRUE(rig.ready);
  rig.session.setKeepAlive({1, 1, 2});
  rig.session.open(rig.LoginTo(rig.server->port(), {}, false));
  ASSERT_EQ(rig.Outcome(), "loggedIn");
  ASSERT_EQ(QProcess::execute(QStringLiteral("ip"), {QStringLiteral("link"), QStringLiteral("set"),
                                                     QStringLiteral("lo"), QStringLiteral("down")}),
            0);
  QElapsedTimer silence;
  silence.start();
  const auto closed = [&] { return std::find(rig.events.begin(), rig.events.end(), "closed") != rig.events.end(); };
  ASSERT_TRUE(WaitUntil(closed, 20000)) << "the connection outlived a silent link";
  EXPECT_LT(silence.elapsed(), 10000) << "idle 1 s and two probes 1 s apart";
  EXPECT_EQ(rig.session.state(), LobbySession::State::Idle);
#endif
}

}  // namespace
