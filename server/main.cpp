// turfwing-lobbyd: the development lobby server.
//
// Options:
//   --listen ADDR:PORT    address and port to listen on (default 127.0.0.1:9010;
//                         port 0 picks a free one, printed on stderr; ADDR is
//                         an IPv4 address, [IPv6], localhost or 0.0.0.0)
//   --demo                the demo world: rooms, chatting members, simulated
//                         matches; any positive member ID with a password of
//                         letters and digits logs in as "Player<ID>"
//   --accounts FILE       member accounts (below); checked before the demo rule
//   --min-version X.Y.Z   refuse older clients with GmAReady status 2 (default 0.0.0)
//   --max-users N         refuse connections past N with status 4 (default 1000)
//   --life-seconds N      GmLife to every client each N seconds; 0 for none (default 30)
//   --tls-cert FILE       serve TLS with this certificate (PEM, the chain after it)
//   --tls-key FILE        and this private key (PEM); the two go together
//
// The accounts file is UTF-8 text, one member per line; blank lines and lines
// starting with # are skipped:
//   ID:PASSWORD:NAME:TEAMS:LEVEL
//   1001:secret1:たろう:7001,7002:1
// ID is a positive number; PASSWORD 0 to 12 ASCII letters and digits; NAME the
// player name (at most 18 bytes in code page 932); TEAMS team IDs separated by
// commas, may be empty; LEVEL 0..255 (1 lets the member grant "/o" in any room),
// may be left out together with its colon.
//
// SIGINT and SIGTERM send GmClose to every client, then the server exits.
// One line per connection event goes to stderr.

#include <sys/socket.h>
#include <unistd.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "net/net_def.h"
#include "server/accounts.h"
#include "server/lobby_server.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
  // Only async-signal-safe work here: one byte into the pipe.
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

bool ParseVersion(const QString& text, uint8_t (&out)[3]) {
  const QStringList parts = text.split(QLatin1Char('.'));
  if (parts.size() != 3) return false;
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    const uint v = parts[i].toUInt(&ok);
    if (!ok || v > 255) return false;
    out[i] = static_cast<uint8_t>(v);
  }
  return true;
}

int Fail(const QString& message) {
  std::fprintf(stderr, "turfwing-lobbyd: %s\n", message.toLocal8Bit().constData());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("turfwing-lobbyd"));
  // The client version it was built with: the two ship together.
  QCoreApplication::setApplicationVersion(
      QStringLiteral("%1.%2.%3").arg(NetDef::VersionMajor).arg(NetDef::VersionMinor).arg(NetDef::VersionBuild));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Development lobby server for the Turfwing client."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption listenOpt(QStringLiteral("listen"), QStringLiteral("Address and port (127.0.0.1:9010)."),
                                     QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:9010"));
  const QCommandLineOption demoOpt(QStringLiteral("demo"), QStringLiteral("Run the demo world."));
  const QCommandLineOption accountsOpt(QStringLiteral("accounts"), QStringLiteral("Member accounts file."),
                                       QStringLiteral("FILE"));
  const QCommandLineOption minVersionOpt(QStringLiteral("min-version"), QStringLiteral("Oldest client accepted."),
                                         QStringLiteral("X.Y.Z"), QStringLiteral("0.0.0"));
  const QCommandLineOption maxUsersOpt(QStringLiteral("max-users"), QStringLiteral("Most connections at once."),
                                       QStringLiteral("N"), QStringLiteral("1000"));
  const QCommandLineOption lifeOpt(QStringLiteral("life-seconds"), QStringLiteral("Keep-alive interval, 0 for none."),
                                   QStringLiteral("N"), QStringLiteral("30"));
  const QCommandLineOption certOpt(QStringLiteral("tls-cert"), QStringLiteral("Serve TLS with this certificate (PEM)."),
                                   QStringLiteral("FILE"));
  const QCommandLineOption keyOpt(QStringLiteral("tls-key"), QStringLiteral("The TLS certificate's private key (PEM)."),
                                  QStringLiteral("FILE"));
  parser.addOptions({listenOpt, demoOpt, accountsOpt, minVersionOpt, maxUsersOpt, lifeOpt, certOpt, keyOpt});
  parser.process(app);

  ServerOptions options;
  options.demo = parser.isSet(demoOpt);
  if (!ParseVersion(parser.value(minVersionOpt), options.minVersion)) {
    return Fail(QStringLiteral("--min-version wants X.Y.Z with numbers 0..255"));
  }
  bool ok = false;
  options.maxUsers = parser.value(maxUsersOpt).toInt(&ok);
  if (!ok || options.maxUsers < 0) return Fail(QStringLiteral("--max-users wants a number from 0 up"));
  options.lifeSeconds = parser.value(lifeOpt).toInt(&ok);
  if (!ok || options.lifeSeconds < 0) return Fail(QStringLiteral("--life-seconds wants a number from 0 up"));

  if (parser.isSet(accountsOpt)) {
    QFile file(parser.value(accountsOpt));
    if (!file.open(QIODevice::ReadOnly)) {
      return Fail(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
    }
    const QByteArray text = file.readAll();
    AccountsParse parsed = ParseAccounts(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    for (const std::string& error : parsed.errors) {
      std::fprintf(stderr, "turfwing-lobbyd: %s: %s\n", file.fileName().toLocal8Bit().constData(), error.c_str());
    }
    options.accounts = std::move(parsed.accounts);
  }

  const QString listen = parser.value(listenOpt);
  const qsizetype colon = listen.lastIndexOf(QLatin1Char(':'));
  QString host = colon > 0 ? listen.left(colon) : QString();
  if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) host = host.mid(1, host.size() - 2);
  const QHostAddress address =
      host == QStringLiteral("localhost") ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(host);
  const uint port = colon > 0 ? listen.mid(colon + 1).toUInt(&ok) : 0;
  if (colon <= 0 || !ok || port > 65535 || address.isNull()) {
    return Fail(QStringLiteral("--listen wants ADDR:PORT, for example 127.0.0.1:9010"));
  }

  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return Fail(QStringLiteral("socketpair failed"));
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  LobbyServer server(std::move(options));
  if (parser.isSet(certOpt) != parser.isSet(keyOpt))
    return Fail(QStringLiteral("--tls-cert and --tls-key go together"));
  if (parser.isSet(certOpt)) {
    QString error;
    if (!server.useTls(parser.value(certOpt), parser.value(keyOpt), error)) return Fail(error);
  }
  if (!server.listen(address, static_cast<quint16>(port))) {
    return Fail(QStringLiteral("cannot listen on %1: %2").arg(listen, server.errorString()));
  }
  std::fprintf(stderr, "turfwing-lobbyd: listening on %s:%u%s%s\n", address.toString().toLocal8Bit().constData(),
               static_cast<unsigned>(server.port()), parser.isSet(demoOpt) ? " (demo)" : "",
               parser.isSet(certOpt) ? " (TLS)" : "");
  std::fflush(stderr);

  QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
    notifier.setEnabled(false);
    std::fprintf(stderr, "turfwing-lobbyd: shutting down\n");
    server.shutdown();
    // Clients that do not close their end get two seconds.
    QTimer::singleShot(2000, &app, &QCoreApplication::quit);
  });
  QObject::connect(&server, &LobbyServer::allClosed, &app, &QCoreApplication::quit);
  return app.exec();
}
