// Load on turfwing-lobbyd: N loopback clients connect, log in, enter the lobby,
// each send L chat lines (every line reaches every client in the lobby), leave
// and disconnect. The server runs as its own process so its resident memory is
// measured alone: before the clients, at the peak and after they are gone.
//
//   bench_server_load [--clients N] [--lines L] [--lobbyd PATH] [--limit SECONDS]
//
// Prints connections per second, lines per second in and messages per second
// out. Every phase is bounded by --limit; a run that hits it says so and fails.
#include <unistd.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/lobbyd_process.h"
#include "net/net_messages.h"
#include "net/stream_buffer.h"

namespace {

struct Totals {
  int loggedIn = 0;
  int linesComplete = 0;  // clients that heard every load line
  int gone = 0;
  long long talkFrames = 0;
  int failures = 0;
};

class LoadClient final : public QObject {
 public:
  LoadClient(int index, quint16 port, int expectedLines, Totals& totals)
      : index_(index), port_(port), expected_(expectedLines), totals_(totals), loop_(buffer_, packet_, [this] {
          onFrame();
        }) {
    QObject::connect(&socket_, &QTcpSocket::connected, this, [this] { send<GmReady>(GmReady::Info{}); });
    QObject::connect(&socket_, &QTcpSocket::readyRead, this, [this] {
      const QByteArray bytes = socket_.readAll();
      if (loop_.feed(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size())) ==
          FrameLoop::Result::Close) {
        ++totals_.failures;
        socket_.abort();
      }
    });
    QObject::connect(&socket_, &QTcpSocket::disconnected, this, [this] {
      if (!gone_) {
        gone_ = true;
        ++totals_.gone;
      }
    });
  }
  void start() { socket_.connectToHost(QHostAddress::LocalHost, port_); }
  void talk(int lines) {
    for (int i = 0; i < lines; ++i) {
      GmTalk::Info t;
      t.room = 1;
      t.sender = clientId_;
      std::snprintf(t.text, sizeof t.text, "load %d line %d: the quick brown fox jumps over the lazy dog", index_, i);
      send<GmTalk>(t);
    }
  }
  void leave() {
    GmLeaveRoom::Info l;
    l.room = 1;
    send<GmLeaveRoom>(l);
  }

 private:
  template <class M>
  void send(const typename M::Info& info) {
    WriteMessage<M>(socket_, info);
  }
  void onFrame() {
    switch (packet_.type()) {
      case GmAReady::Type: {
        GmAReady::Info a;
        if (!GmAReady::decode(packet_, a) || a.status != 0) return fail();
        clientId_ = a.clientId;
        GmConnect::Info c;
        c.userId = static_cast<uint32_t>(100000 + index_);
        CopyText(c.password, "load");
        send<GmConnect>(c);
        break;
      }
      case GmAConnect::Type: {
        GmAConnect::Info a;
        if (!GmAConnect::decode(packet_, a) || a.status != 0) return fail();
        GmEnterRoom::Info e;
        e.room = 1;
        send<GmEnterRoom>(e);
        break;
      }
      case GmAEnterRoom::Type: {
        GmAEnterRoom::Info a;
        if (!GmAEnterRoom::decode(packet_, a) || a.status != 0) return fail();
        ++totals_.loggedIn;
        break;
      }
      case GmTalk::Type: {
        ++totals_.talkFrames;
        GmTalk::Info t;
        if (GmTalk::decode(packet_, t) && std::strncmp(t.text, "load ", 5) == 0 && ++heard_ == expected_) {
          ++totals_.linesComplete;
        }
        break;
      }
      case GmUserLeave::Type: {
        GmUserLeave::Info l;
        if (GmUserLeave::decode(packet_, l) && l.count > 0 && l.entries[0].clientId == clientId_) {
          socket_.disconnectFromHost();
        }
        break;
      }
      default:
        break;
    }
  }
  void fail() {
    ++totals_.failures;
    socket_.abort();
  }

  int index_;
  quint16 port_;
  int expected_;
  Totals& totals_;
  QTcpSocket socket_;
  StreamBuffer buffer_;
  NetPacket packet_;
  FrameLoop loop_;
  int16_t clientId_ = 0;
  int heard_ = 0;
  bool gone_ = false;
};

// CPU time (user and system) a process has used so far, in seconds.
double CpuSeconds(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  // The fields after the command name, which may hold blanks, are after its ')'.
  const QByteArray text = stat.readAll();
  const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13) return -1;
  return (fields[11].toDouble() + fields[12].toDouble()) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Where a phase's time went: the server's own work, and this program's clients.
struct Cpu {
  double server = 0, clients = 0;
  static Cpu Now(qint64 serverPid) { return {CpuSeconds(serverPid), CpuSeconds(QCoreApplication::applicationPid())}; }
  Cpu operator-(const Cpu& o) const { return {server - o.server, clients - o.clients}; }
};

// Resident memory now (VmRSS), or the most it ever was (VmHWM).
double RssMb(qint64 pid, const char* field = "VmRSS") {
  const qint64 kb = ProcessKb(pid, "status", field);
  return kb < 0 ? -1 : static_cast<double>(kb) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int clients = 500;
  int lines = 20;
  int limit = 120;
  QString lobbyd = QStringLiteral(TURFWING_LOBBYD_PATH);
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QStringLiteral("--clients")) clients = args[i + 1].toInt();
    if (args[i] == QStringLiteral("--lines")) lines = args[i + 1].toInt();
    if (args[i] == QStringLiteral("--limit")) limit = args[i + 1].toInt();
    if (args[i] == QStringLiteral("--lobbyd")) lobbyd = args[i + 1];
  }
  if (clients < 1 || lines < 0 || limit < 1) {
    std::fprintf(stderr, "usage: bench_server_load [--clients N] [--lines L] [--lobbyd PATH] [--limit SECONDS]\n");
    return 2;
  }

  QProcess server;
  const quint16 port = StartLobbyd(server, lobbyd, {QStringLiteral("--max-users"), QString::number(clients + 10)});
  if (port == 0) {
    std::fprintf(stderr, "%s did not start or did not say where it listens\n", lobbyd.toLocal8Bit().constData());
    return 1;
  }
  const qint64 pid = server.processId();
  QThread::msleep(200);
  const double rssStart = RssMb(pid);

  Totals totals;
  std::vector<std::unique_ptr<LoadClient>> pool;
  const int expected = clients * lines;
  for (int i = 0; i < clients; ++i) pool.push_back(std::make_unique<LoadClient>(i, port, expected, totals));

  bool ok = true;
  // Phase 1: connect, log in, enter the lobby; at most 64 handshakes in flight.
  QElapsedTimer timer;
  timer.start();
  Cpu cpu = Cpu::Now(pid);
  int started = 0;
  ok &= RunUntil(
      [&] {
        while (started < clients && started - totals.loggedIn - totals.failures < 64) pool[started++]->start();
        return totals.loggedIn + totals.failures >= clients;
      },
      limit);
  const double loginSeconds = timer.nsecsElapsed() / 1e9;
  const Cpu loginCpu = Cpu::Now(pid) - cpu;
  cpu = Cpu::Now(pid);

  // Phase 2: every client talks; done when each has heard every load line.
  const long long framesBefore = totals.talkFrames;
  timer.restart();
  for (auto& c : pool) c->talk(lines);
  ok &= RunUntil([&] { return totals.linesComplete + totals.failures >= clients; }, limit);
  const double talkSeconds = timer.nsecsElapsed() / 1e9;
  const Cpu talkCpu = Cpu::Now(pid) - cpu;
  const long long delivered = totals.talkFrames - framesBefore;
  const double rssPeak = RssMb(pid, "VmHWM");

  // Phase 3: leave and disconnect.
  timer.restart();
  for (auto& c : pool) c->leave();
  ok &= RunUntil([&] { return totals.gone >= clients; }, limit);
  const double leaveSeconds = timer.nsecsElapsed() / 1e9;
  pool.clear();
  RunUntil([] { return false; }, 1);  // let the server finish its clean-up
  const double rssAfter = RssMb(pid);

  server.terminate();
  server.waitForFinished(5000);

  std::printf("bench_server_load: %d clients, %d lines each\n", clients, lines);
  std::printf("  connect + login + enter lobby: %.2f s, %.0f connections/s (cpu: server %.2f s, clients %.2f s)\n",
              loginSeconds, clients / loginSeconds, loginCpu.server, loginCpu.clients);
  std::printf(
      "  talk: %d lines in, %lld messages out in %.2f s: %.0f lines/s in, %.0f messages/s out"
      " (cpu: server %.2f s, clients %.2f s)\n",
      expected, delivered, talkSeconds, expected / talkSeconds, delivered / talkSeconds, talkCpu.server,
      talkCpu.clients);
  std::printf("  leave + disconnect: %.2f s\n", leaveSeconds);
  std::printf("  server resident memory: %.1f MB before, %.1f MB at the peak, %.1f MB after\n", rssStart, rssPeak,
              rssAfter);
  if (!ok || totals.failures != 0) {
    std::printf("  INCOMPLETE: %d failures, a phase hit the %d s limit: %s\n", totals.failures, limit,
                ok ? "no" : "yes");
    return 1;
  }
  return 0;
}
