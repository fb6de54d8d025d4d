// The client's footprint beside a bare Qt window of the same fonts, in one run
// and alternating, on a real X server:
//
//  - start-up: from starting the program until its login dialog opens (the
//    client's --trace line "login dialog"; bench_bare_window says the same);
//  - memory: proportional set size (Pss of /proc/PID/smaps_rollup) at rest,
//    the client after a standard session against a scripted lobby in this
//    process (login, two rooms of 20 members, 200 lines each), the bare
//    window with its dialog open.
//
//   xvfb-run -a bench_footprint [--runs N] [--client PATH] [--bare PATH] [--where]
//
// --where also lists, for each run, the mappings that hold the most memory.
// The login dialog is answered with Return through the X server (XTEST).
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/lobbyd_process.h"
#include "net/net_messages.h"
#include "net/stream_buffer.h"

namespace {

constexpr int kRooms = 2;
constexpr int kMembers = 20;
constexpr int kLines = 200;
constexpr int kSettleMs = 1500;

double PssMb(qint64 pid) {
  QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
  if (!rollup.open(QIODevice::ReadOnly)) return -1;
  const auto m =
      QRegularExpression(QStringLiteral("\\nPss:\\s+(\\d+) kB")).match(QString::fromLatin1(rollup.readAll()));
  return m.hasMatch() ? m.captured(1).toDouble() / 1024.0 : -1;
}

// With --where: the mappings that hold the most of a process's Pss.
bool gWhere = false;
void PrintWhere(const char* who, qint64 pid) {
  if (!gWhere) return;
  QFile smaps(QStringLiteral("/proc/%1/smaps").arg(pid));
  if (!smaps.open(QIODevice::ReadOnly)) return;
  std::vector<std::pair<double, QString>> parts;
  QString name;
  for (const QByteArray& line : smaps.readAll().split('\n')) {
    const QList<QByteArray> f = line.simplified().split(' ');
    if (f.size() >= 5 && f[0].contains('-') && !line.startsWith("VmFlags")) {
      name = f.size() >= 6 ? QString::fromUtf8(f[5]) : QStringLiteral("[anonymous]");
    } else if (line.startsWith("Pss:") && f.size() >= 2) {
      auto it = std::find_if(parts.begin(), parts.end(), [&](const auto& p) { return p.second == name; });
      if (it == parts.end()) it = parts.insert(parts.end(), {0.0, name});
      it->first += f[1].toDouble() / 1024.0;
    }
  }
  std::sort(parts.begin(), parts.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::fprintf(stderr, "%s:\n", who);
  for (size_t i = 0; i < parts.size() && i < 40; ++i) {
    std::fprintf(stderr, "  %6.2f MB  %s\n", parts[i].first, parts[i].second.toLocal8Bit().constData());
  }
}

// The lobby of a standard session: every login is accepted, every room entered
// gets its members and its lines.
class ScriptedLobby : public QObject {
 public:
  ScriptedLobby() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* s = server_.nextPendingConnection()) {
        socket_.reset(s);
        rooms_ = 0;
        loop_ = std::make_unique<FrameLoop>(buffer_, packet_, [this] { onFrame(); });
        connect(s, &QTcpSocket::readyRead, this, [this] {
          const QByteArray bytes = socket_->readAll();
          loop_->feed(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size()));
        });
      }
    });
  }
  quint16 port() const { return server_.serverPort(); }
  bool done() const { return rooms_ == kRooms; }
  bool connected() const { return socket_ != nullptr; }

 private:
  template <class M>
  void send(const typename M::Info& info) {
    WriteMessage<M>(*socket_, info);
  }
  void onFrame() {
    switch (packet_.type()) {
      case GmReady::Type: {
        GmAReady::Info a;
        a.clientId = 5;
        send<GmAReady>(a);
        break;
      }
      case GmConnect::Type: {
        GmAConnect::Info a;
        CopyText(a.PlayerName, "Player1001");
        send<GmAConnect>(a);
        break;
      }
      case GmEnterRoom::Type: {
        const auto room = static_cast<int16_t>(++rooms_);
        GmAEnterRoom::Info a;
        a.room = room;
        send<GmAEnterRoom>(a);
        GmUserEnter::Info members;
        members.room = room;
        members.count = kMembers;
        for (int i = 0; i < kMembers; ++i) {
          members.entries[i].clientId = static_cast<int16_t>(100 + i);
          members.entries[i].userNumber = static_cast<uint32_t>(2000 + i);
          std::snprintf(members.entries[i].name, sizeof members.entries[i].name, "Member%02d", i);
        }
        send<GmUserEnter>(members);
        for (int i = 0; i < kLines; ++i) {
          GmTalk::Info t;
          t.room = room;
          t.sender = static_cast<int16_t>(100 + i % kMembers);
          std::snprintf(t.name, sizeof t.name, "Member%02d", i % kMembers);
          std::snprintf(t.text, sizeof t.text, "line %d of room %d: the quick brown fox jumps over the lazy dog", i,
                        room);
          send<GmTalk>(t);
        }
        break;
      }
      default:
        break;
    }
  }

  QTcpServer server_;
  std::unique_ptr<QTcpSocket> socket_;
  StreamBuffer buffer_;
  NetPacket packet_;
  std::unique_ptr<FrameLoop> loop_;
  int rooms_ = 0;
};

// Presses Return on whatever has the keyboard, as a person would.
void PressReturn() {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) != 0) return;
  const xcb_setup_t* setup = xcb_get_setup(c);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
      c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<uint8_t>(count)), nullptr);
  xcb_keycode_t code = 0;
  if (map != nullptr) {
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    for (int i = 0; i < count && code == 0; ++i) {
      if (syms[i * map->keysyms_per_keycode] == 0xff0d) code = static_cast<xcb_keycode_t>(setup->min_keycode + i);
    }
    free(map);
  }
  xcb_test_fake_input(c, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_test_fake_input(c, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(c);
  xcb_disconnect(c);
}

struct Sample {
  double startMs = -1;
  double pssMb = -1;
};

// Starts a program and waits for its "login dialog" line.
bool StartToDialog(QProcess& p, const QString& program, const QStringList& args, const QString& dir, Sample& s) {
  QByteArray err;
  p.setWorkingDirectory(dir);
  QElapsedTimer clock;
  clock.start();
  p.start(program, args);
  const bool shown = RunUntilMs(
      [&] {
        err += p.readAllStandardError();
        return err.contains("login dialog");
      },
      20000);
  s.startMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  QObject::connect(&p, &QProcess::readyReadStandardError, &p, [&p] { p.readAllStandardError(); });
  return shown;
}

// After the program has settled: its Pss into the sample.
void MeasureAtRest(QProcess& p, const char* who, Sample& s) {
  RunUntilMs([] { return false; }, kSettleMs);
  s.pssMb = PssMb(p.processId());
  PrintWhere(who, p.processId());
}

Sample RunBare(const QString& bare, const QTemporaryDir& dir) {
  Sample s;
  QProcess p;
  if (StartToDialog(p, bare, {}, dir.path(), s)) MeasureAtRest(p, "bare window", s);
  p.kill();
  p.waitForFinished();
  return s;
}

Sample RunClient(const QString& client, const QTemporaryDir& dir) {
  ScriptedLobby lobby;
  // A portable client of its own: access.ini beside it names the lobby.
  const QString exe = dir.filePath(QStringLiteral("turfwing"));
  QFile::remove(exe);
  QFile::copy(client, exe);
  QFile access(dir.filePath(QStringLiteral("access.ini")));
  access.open(QIODevice::WriteOnly | QIODevice::Truncate);
  access.write("[Common]\nIP=127.0.0.1\nPort=" + QByteArray::number(lobby.port()) + "\n");
  access.close();
  QFile settings(dir.filePath(QStringLiteral("turfwing.INI")));
  settings.open(QIODevice::WriteOnly | QIODevice::Truncate);
  settings.write("[Common]\nUserID=1001\nPassword=ABC1\nRoomCount=2\n[Room1]\nName=roomA\n[Room2]\nName=roomB\n");
  settings.close();
  Sample s;
  QProcess p;
  if (StartToDialog(p, exe, {QStringLiteral("--trace")}, dir.path(), s)) {
    RunUntilMs([] { return false; }, 300);  // the dialog takes the keyboard
    PrintWhere("client at its login dialog", p.processId());
    // Return until the dialog has taken one: it may get the keyboard a moment
    // after it says it opened.
    for (int tries = 0; tries < 20 && !lobby.connected(); ++tries) {
      PressReturn();
      RunUntilMs([&] { return lobby.connected(); }, 250);
    }
    if (RunUntilMs([&] { return lobby.done(); }, 10000)) MeasureAtRest(p, "client", s);
  }
  p.kill();
  p.waitForFinished();
  return s;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int runs = 5;
  QString client = QStringLiteral(TURFWING_CLIENT_PATH);
  QString bare = QStringLiteral(TURFWING_BARE_PATH);
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--where")) gWhere = true;
  }
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QStringLiteral("--runs")) runs = args[i + 1].toInt();
    if (args[i] == QStringLiteral("--client")) client = args[i + 1];
    if (args[i] == QStringLiteral("--bare")) bare = args[i + 1];
  }
  if (qEnvironmentVariableIsEmpty("DISPLAY") || runs < 1) {
    std::fprintf(stderr, "usage: xvfb-run -a bench_footprint [--runs N] [--client PATH] [--bare PATH]\n");
    return 2;
  }
  std::vector<double> clientStart, clientPss, bareStart, barePss;
  for (int i = 0; i < runs; ++i) {
    QTemporaryDir dir;
    const Sample b = RunBare(bare, dir);
    const Sample c = RunClient(client, dir);
    if (b.pssMb < 0 || c.pssMb < 0) {
      std::fprintf(stderr, "bench_footprint: run %d did not finish (bare %.1f MB, client %.1f MB)\n", i + 1, b.pssMb,
                   c.pssMb);
      return 1;
    }
    bareStart.push_back(b.startMs);
    barePss.push_back(b.pssMb);
    clientStart.push_back(c.startMs);
    clientPss.push_back(c.pssMb);
  }
  const double cs = Median(clientStart), bs = Median(bareStart), cp = Median(clientPss), bp = Median(barePss);
  std::printf("bench_footprint: median of %d runs each, alternating\n", runs);
  std::printf("  start-up to the login dialog: client %.0f ms, bare window %.0f ms (%+.0f ms)\n", cs, bs, cs - bs);
  std::printf("  proportional memory at rest:  client %.1f MB, bare window %.1f MB (%.2fx)\n", cp, bp, cp / bp);
  std::printf("  (client after login, %d rooms of %d members, %d lines each)\n", kRooms, kMembers, kLines);
  return 0;
}
