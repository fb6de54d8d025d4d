// The client's footprint beside a bare Qt window of the same fonts, in one run
// and alternating, on a real X server:
//
//  - start-up: from starting the program until its login dialog opens (the
//    client's --trace line "login dialog"; bench_bare_window says the same);
//  - memory: proportional set size (Pss of /proc/PID/smaps_rollup) at rest,
//    the client after a standard session against a scripted lobby in this
//    process (login, two rooms of 20 members, 200 lines each), the bare
//    window with its dialog open, and the bare window once more showing the
//    client's captions (bench_bare_window --with-captions), which tells the
//    font's pages for the glyphs drawn apart from the rest.
//
//   xvfb-run -a bench_footprint [--runs N] [--client PATH] [--bare PATH] [--where]
//
// --where also lists, for each run, the mappings that hold the most memory.
// The login dialog is answered with Return through the X server (XTEST).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/lobbyd_process.h"
#include "messages.h"
#include "net/net_messages.h"
#include "scripted_server.h"
#include "x11_connection.h"

namespace {

constexpr int kRooms = 2;
constexpr int kMembers = 20;
constexpr int kLines = 200;
constexpr int kSettleMs = 1500;

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

// The lobby's side of a standard session: every login is accepted, and every
// room entered gets its members and its lines. Counts the rooms it has filled.
void AnswerAStandardSession(ScriptedServer& server, int& roomsFilled) {
  QObject::connect(&server, &ScriptedServer::frameReceived, &server, [&server, &roomsFilled](int type) {
    if (type == NetDef::GmReady) {
      GmAReady::Info ready;
      ready.clientId = 5;
      server.send<GmAReady>(ready);
    } else if (type == NetDef::GmConnect) {
      GmAConnect::Info ok;
      CopyText(ok.PlayerName, "Player1001");
      server.send<GmAConnect>(ok);
    } else if (type == NetDef::GmEnterRoom) {
      const auto room = static_cast<int16_t>(++roomsFilled);
      QByteArray s = FrameOf<GmAEnterRoom>(Entered(room));
      GmUserEnter::Info members;
      members.room = room;
      for (int i = 0; i < kMembers; ++i) {
        GmUserEnter::Entry& e = members.entries[members.count++];
        e.clientId = static_cast<int16_t>(100 + i);
        e.userNumber = static_cast<uint32_t>(2000 + i);
        std::snprintf(e.name, sizeof e.name, "Member%02d", i);
      }
      s += FrameOf<GmUserEnter>(members);
      for (int i = 0; i < kLines; ++i) {
        char text[80];
        std::snprintf(text, sizeof text, "line %d of room %d: the quick brown fox jumps over the lazy dog", i, room);
        s += FrameOf<GmTalk>(
            Talk(room, members.entries[i % kMembers].clientId, members.entries[i % kMembers].name, text, 0));
      }
      server.sendRaw(s);
    }
  });
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
  const qint64 kb = ProcessKb(p.processId(), "smaps_rollup", "Pss");
  s.pssMb = kb < 0 ? -1 : static_cast<double>(kb) / 1024.0;
  PrintWhere(who, p.processId());
}

Sample RunBare(const QString& bare, const QTemporaryDir& dir, const QStringList& args = {}) {
  Sample s;
  QProcess p;
  if (StartToDialog(p, bare, args, dir.path(), s)) MeasureAtRest(p, "bare window", s);
  p.kill();
  p.waitForFinished();
  return s;
}

Sample RunClient(const QString& client, const QTemporaryDir& dir) {
  ScriptedServer lobby;
  int roomsFilled = 0;
  AnswerAStandardSession(lobby, roomsFilled);
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
    X11Connection keyboard;
    for (int tries = 0; tries < 20 && !lobby.hasClient(); ++tries) {
      keyboard.Press(0xff0d);  // Return
      RunUntilMs([&] { return lobby.hasClient(); }, 250);
    }
    if (RunUntilMs([&] { return roomsFilled == kRooms; }, 10000)) MeasureAtRest(p, "client", s);
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
  std::vector<double> clientStart, clientPss, bareStart, barePss, captionsPss;
  for (int i = 0; i < runs; ++i) {
    QTemporaryDir dir;
    const Sample b = RunBare(bare, dir);
    const Sample t = RunBare(bare, dir, {QStringLiteral("--with-captions")});
    const Sample c = RunClient(client, dir);
    if (b.pssMb < 0 || t.pssMb < 0 || c.pssMb < 0) {
      std::fprintf(stderr,
                   "bench_footprint: run %d did not finish (bare %.1f MB, with captions %.1f MB, client %.1f MB)\n",
                   i + 1, b.pssMb, t.pssMb, c.pssMb);
      return 1;
    }
    bareStart.push_back(b.startMs);
    barePss.push_back(b.pssMb);
    captionsPss.push_back(t.pssMb);
    clientStart.push_back(c.startMs);
    clientPss.push_back(c.pssMb);
  }
  const double cs = Median(clientStart), bs = Median(bareStart), cp = Median(clientPss), bp = Median(barePss);
  std::printf("bench_footprint: median of %d runs each, alternating\n", runs);
  std::printf("  start-up to the login dialog: client %.0f ms, bare window %.0f ms (%+.0f ms)\n", cs, bs, cs - bs);
  std::printf("  proportional memory at rest:  client %.1f MB, bare window %.1f MB (%.2fx)\n", cp, bp, cp / bp);
  std::printf("  (client after login, %d rooms of %d members, %d lines each)\n", kRooms, kMembers, kLines);
  // The font's pages grow with the glyphs drawn: the same window showing the
  // client's own captions tells them apart from the rest.
  const double tp = Median(captionsPss);
  std::printf("  bare window with the client's captions: %.1f MB (client %.2fx)\n", tp, cp / tp);
  return 0;
}
