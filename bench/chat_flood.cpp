// The chat log flooded end to end: the real `turfwing` program, started with a
// fresh folder (access.ini naming this program's port, a settings file with a
// login), logs in to a small scripted lobby on loopback, enters one room of three
// members and is sent N talk lines of about 70 bytes with one web address each,
// three senders in turn, four colours (kinds 0 to 3), the client's own time
// prefix on. After every tenth of the lines comes a GmLife, which the client
// answers with its trace line "life": the time of the last one is when the flood
// was taken in and shown, and the tenths give the cost per 1,000 lines at the
// start and at the end of the flood.
//
//   xvfb-run -a build/default/bench/bench_chat_flood [--lines N] [--client PATH] [--no-wm] [--shot DIR]
//                                                   [--compare-logging ROUNDS]
//
// --compare-logging ROUNDS: the flood is run 2 x ROUNDS times in this one
// invocation, each on a fresh client, alternately with the chat logs off and on
// (SaveChatLog in the client's settings file), and the median lines/s of each
// is reported with their ratio; the logged runs' files are counted to show that
// every line reached the disk. Without it the client runs as its settings
// default (logging on).
//
// --shot DIR: after the figures, a few Japanese lines follow and the screen is
// saved as DIR/flood.png, then once more with the find bar open (DIR/find.png).
//
// Needs an X display (xcb), xdotool to confirm the login dialog, and starts
// openbox on that display unless --no-wm (the windows then get no manager).
// Reported: lines/s, resident bytes per line (VmRSS of the client before and
// after, divided by N), ms per 1,000 lines over the first and the last tenth,
// and the longest gap of the client's event loop during the flood (its --trace
// reports every pass that held the loop for 8 ms or more, with the CPU time the
// client itself spent in it); also the CPU time of the client's GUI thread, per
// 1,000 lines over the first and last tenth, which other load disturbs less.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/lobbyd_process.h"
#include "messages.h"
#include "net/net_messages.h"
#include "platform/cp932.h"
#include "scripted_server.h"

namespace {

constexpr int16_t Room = 1;
constexpr int16_t OwnId = 10;
constexpr int16_t Senders[] = {11, 12, 13};

long ResidentKb(qint64 pid) { return static_cast<long>(std::max<qint64>(ProcessKb(pid, "status", "VmRSS"), 0)); }

// The lobby's side of the session: the scripted server answers the handshake and
// the login with one room of four members, then sends whatever the benchmark sends.
void AnswerTheLogin(ScriptedServer& server, bool& loggedIn) {
  QObject::connect(&server, &ScriptedServer::frameReceived, &server, [&server, &loggedIn](int type) {
    if (type == NetDef::GmReady) {
      GmAReady::Info ready;
      ready.clientId = OwnId;
      server.send<GmAReady>(ready);
    } else if (type == NetDef::GmConnect) {
      GmAConnect::Info ok;
      CopyText(ok.PlayerName, "flood");
      QByteArray s = FrameOf<GmAConnect>(ok);
      s += FrameOf<GmUserCount>({4});
      s += FrameOf<GmAEnterRoom>(Entered(Room));
      s += FrameOf<GmUserEnter>(Enter(Room, {{OwnId, 1000, "flood", 0},
                                             {Senders[0], 1001, "taro", 0},
                                             {Senders[1], 1002, "hanako", 0},
                                             {Senders[2], 1003, "jiro", 0}}));
      s += FrameOf<GmLife>({});
      server.sendRaw(s);
      loggedIn = true;
    }
  });
}

// The client's stderr, cut into lines with the time each was read.
// CPU time of the client's main (GUI) thread in ns; the wall clock on a shared
// machine counts other people's builds too.
qint64 MainThreadCpuNs(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/task/%1/schedstat").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  return f.readAll().split(' ').value(0).toLongLong();
}

struct TraceReader {
  qint64 pid = 0;
  std::vector<qint64> lifeCpuNs;  // the client's CPU time when each "life" was read
  QByteArray pending;
  std::vector<qint64> lifeUs;                    // each "life"
  std::vector<std::pair<qint64, int>> gaps;      // time read, gap ms
  std::vector<std::pair<qint64, int>> busyGaps;  // time read, CPU ms of the client within the gap  // time read, gap ms
  bool loginDialog = false;

  void Feed(const QByteArray& bytes, qint64 nowUs) {
    pending += bytes;
    qsizetype start = 0;
    for (qsizetype nl = pending.indexOf('\n'); nl >= 0; nl = pending.indexOf('\n', start)) {
      const QByteArrayView line(pending.constData() + start, nl - start);
      // Most lines are "recv talk": look no further at them.
      if (line.size() != 9 || line[0] != 'r') {
        if (line == "life") {
          lifeUs.push_back(nowUs);
          lifeCpuNs.push_back(MainThreadCpuNs(pid));
        } else if (line.startsWith("loop gap ")) {
          const QList<QByteArray> words = line.sliced(9).toByteArray().split(' ');  // N ms cpu M ms
          gaps.emplace_back(nowUs, words.value(0).toInt());
          busyGaps.emplace_back(nowUs, words.value(3).toInt());
        } else if (line == "login dialog") {
          loginDialog = true;
        }
      }
      start = nl + 1;
    }
    pending.remove(0, start);
  }
};

bool Xdotool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("xdotool"), args);
  return p.waitForFinished(10000) && p.exitCode() == 0;
}

struct FloodResult {
  double linesPerSecond = -1;  // -1: the run failed
  double cpuSeconds = 0;       // of the client's GUI thread over the flood
};

// One client, one flood, its figures printed. saveChatLog: -1 leaves the key out
// of the settings file.
FloodResult FloodOnce(int lines, const QString& client, bool wm, const QString& shots, int saveChatLog) {
  ScriptedServer server;
  bool loggedIn = false;
  AnswerTheLogin(server, loggedIn);
  QTemporaryDir dir;
  // The client reads access.ini beside its executable: give it a folder of its own.
  const QString exe = dir.filePath(QStringLiteral("turfwing"));
  if (!QFile::copy(client, exe)) {
    std::fprintf(stderr, "cannot copy %s\n", client.toLocal8Bit().constData());
    return {};
  }
  QFile access(dir.filePath(QStringLiteral("access.ini")));
  access.open(QIODevice::WriteOnly);
  access.write(QStringLiteral("[Common]\r\nIP=127.0.0.1\r\nPort=%1\r\n").arg(server.port()).toLatin1());
  access.close();
  QFile settings(dir.filePath(QStringLiteral("turfwing.INI")));
  settings.open(QIODevice::WriteOnly);
  settings.write("[Common]\r\nUserID=1001\r\nPassword=flood1\r\nChatTime=1\r\n");
  if (saveChatLog >= 0) settings.write(saveChatLog != 0 ? "SaveChatLog=1\r\n" : "SaveChatLog=0\r\n");
  settings.close();

  QElapsedTimer clock;
  clock.start();
  TraceReader trace;
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.setReadChannel(QProcess::StandardError);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  p.setProcessEnvironment(env);
  QObject::connect(&p, &QProcess::readyReadStandardError,
                   [&] { trace.Feed(p.readAllStandardError(), clock.nsecsElapsed() / 1000); });
  QObject::connect(&p, &QProcess::readyReadStandardOutput, [&] { p.readAllStandardOutput(); });
  p.start(exe, {settings.fileName(), QStringLiteral("--trace")});
  auto stop = [&](const char* why) {
    std::fprintf(stderr, "bench_chat_flood: %s\n", why);
    p.kill();
    p.waitForFinished(5000);
    return FloodResult{};
  };
  if (!p.waitForStarted()) return stop("the client did not start");
  if (!RunUntil([&] { return trace.loginDialog; }, 30)) return stop("no login dialog");
  // Confirm the login dialog (its fields hold the login of the settings file).
  RunUntil(
      [&] {
        const QStringList find = {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                  QStringLiteral("--name"), QStringLiteral("^接続$")};
        Xdotool(find + QStringList{wm ? QStringLiteral("windowactivate") : QStringLiteral("windowfocus"),
                                   QStringLiteral("--sync")});
        Xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        return RunUntil([&] { return loggedIn; }, 2);
      },
      20);
  if (!loggedIn) return stop("the client never logged in");
  if (!RunUntil([&] { return !trace.lifeUs.empty(); }, 20)) return stop("the room never opened");
  // Let the window settle before the first look at its memory.
  RunUntil([] { return false; }, 2);
  const long beforeKb = ResidentKb(p.processId());

  const std::string names[] = {"taro", "hanako", "jiro"};
  QByteArray flood;
  flood.reserve(static_cast<qsizetype>(lines) * 90);
  const int tenth = lines / 10;
  for (int i = 0; i < lines; ++i) {
    GmTalk::Info talk;
    talk.room = Room;
    talk.sender = Senders[i % 3];
    talk.kind = static_cast<uint8_t>(i % 4);
    char text[160];
    std::snprintf(text, sizeof text, "line %06d see https://example.com/x/%06d and more text", i, i);
    CopyText(talk.text, text);
    flood += FrameOf<GmTalk>(talk);
    if ((i + 1) % tenth == 0) flood += FrameOf<GmLife>({});
  }
  const size_t lifeBefore = trace.lifeUs.size();
  trace.pid = p.processId();
  const qint64 cpu0 = MainThreadCpuNs(trace.pid);
  const qint64 t0 = clock.nsecsElapsed() / 1000;
  server.sendRaw(flood);
  const size_t marks = static_cast<size_t>(lines / tenth);
  if (!RunUntil([&] { return trace.lifeUs.size() >= lifeBefore + marks; }, 600)) return stop("the flood never ended");
  const qint64 t1 = trace.lifeUs.back();
  RunUntil([] { return false; }, 1);
  const long afterKb = ResidentKb(p.processId());

  int longestGap = 0;
  for (const auto& [at, ms] : trace.gaps) {
    if (at >= t0 && at <= t1 + 20000) longestGap = std::max(longestGap, ms);
  }
  int longestBusy = 0;
  for (const auto& [at, ms] : trace.busyGaps) {
    if (at >= t0 && at <= t1 + 20000) longestBusy = std::max(longestBusy, ms);
  }
  auto tenthUs = [&](size_t k) {  // time of tenth k (0-based) of the flood
    const qint64 start = k == 0 ? t0 : trace.lifeUs[lifeBefore + k - 1];
    return trace.lifeUs[lifeBefore + k] - start;
  };
  const double firstMs = static_cast<double>(tenthUs(0)) / 1000.0 / (tenth / 1000.0);
  const double lastMs = static_cast<double>(tenthUs(marks - 1)) / 1000.0 / (tenth / 1000.0);
  auto tenthCpuNs = [&](size_t k) {
    const qint64 start = k == 0 ? cpu0 : trace.lifeCpuNs[lifeBefore + k - 1];
    return trace.lifeCpuNs[lifeBefore + k] - start;
  };
  const double firstCpu = static_cast<double>(tenthCpuNs(0)) / 1e6 / (tenth / 1000.0);
  const double lastCpu = static_cast<double>(tenthCpuNs(marks - 1)) / 1e6 / (tenth / 1000.0);
  const double seconds = static_cast<double>(t1 - t0) / 1e6;
  const double cpuSeconds = static_cast<double>(trace.lifeCpuNs.back() - cpu0) / 1e9;
  std::printf(
      "turfwing N=%d ingest_s=%.3f lines_per_s=%.0f rss_before_kb=%ld rss_after_kb=%ld bytes_per_line=%.0f "
      "first_tenth_ms_per_1000=%.2f last_tenth_ms_per_1000=%.2f last_over_first=%.2f longest_loop_gap_ms=%d%s\n"
      "  GUI thread CPU: %.3f s (%.0f lines per CPU second); per 1,000 lines %.2f ms over the first tenth, %.2f ms "
      "over the last (ratio %.2f); longest loop gap spent working %d ms\n",
      lines, seconds, lines / seconds, beforeKb, afterKb, static_cast<double>(afterKb - beforeKb) * 1024.0 / lines,
      firstMs, lastMs, lastMs / firstMs, longestGap, longestGap == 0 ? " (none of 8 ms or more)" : "", cpuSeconds,
      lines / cpuSeconds, firstCpu, lastCpu, lastCpu / firstCpu, longestBusy);
  if (!shots.isEmpty()) {
    const char* japanese[] = {
        "こんにちは、今夜の試合に参加しませんか？ http://example.com/match?id=42",
        "日本語の長い発言は単語の切れ目がないので、ログの幅に合わせて文字と文字の間で折り返されます。英単語 "
        "international はそのまま残ります。",
        "了解です。ﾌｫｰﾒｰｼｮﾝを確認します www.example.jp",
    };
    QByteArray s;
    for (int i = 0; i < 3; ++i) {
      GmTalk::Info talk;
      talk.room = Room;
      talk.sender = Senders[i];
      talk.kind = static_cast<uint8_t>(i);
      CopyText(talk.text, cp932::FromUtf8(japanese[i]).c_str());
      s += FrameOf<GmTalk>(talk);
    }
    server.sendRaw(s);
    RunUntil([] { return false; }, 1);
    QDir().mkpath(shots);
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"), shots + QStringLiteral("/flood.png")});
    // Click into the log (left part of the main window) and open the find bar.
    Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
             QStringLiteral("turfwing"), QStringLiteral("windowactivate"), QStringLiteral("--sync"),
             QStringLiteral("mousemove"), QStringLiteral("--window"), QStringLiteral("%1"), QStringLiteral("150"),
             QStringLiteral("330"), QStringLiteral("click"), QStringLiteral("1")});
    Xdotool({QStringLiteral("key"), QStringLiteral("ctrl+f")});
    Xdotool({QStringLiteral("type"), QStringLiteral("example")});
    RunUntil([] { return false; }, 1);
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"), shots + QStringLiteral("/find.png")});
  }
  p.kill();
  p.waitForFinished(5000);
  if (saveChatLog == 1) {
    // Every line of the flood in the room's log, beside the entry header.
    long logged = 0;
    QDirIterator files(dir.filePath(QStringLiteral("logs")), {QStringLiteral("*.txt")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
      QFile f(files.next());
      if (f.open(QIODevice::ReadOnly)) logged += f.readAll().count('\n');
    }
    std::printf("  chat log: %ld lines on disk\n", logged);
  }
  return {lines / seconds, cpuSeconds};
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int lines = 100000;
  QString client = QStringLiteral(TURFWING_CLIENT_PATH);
  bool wm = true;
  QString shots;
  int rounds = 0;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--lines") && i + 1 < args.size())
      lines = args[++i].toInt();
    else if (args[i] == QStringLiteral("--client") && i + 1 < args.size())
      client = args[++i];
    else if (args[i] == QStringLiteral("--no-wm"))
      wm = false;
    else if (args[i] == QStringLiteral("--shot") && i + 1 < args.size())
      shots = args[++i];
    else if (args[i] == QStringLiteral("--compare-logging") && i + 1 < args.size())
      rounds = args[++i].toInt();
  }
  if (lines < 10 || qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fprintf(stderr,
                 "usage: xvfb-run -a bench_chat_flood [--lines N>=10] [--client PATH] [--no-wm] [--shot DIR] "
                 "[--compare-logging ROUNDS]\n");
    return 2;
  }

  QProcess windowManager;
  if (wm) {
    windowManager.start(QStringLiteral("openbox"), {});
    if (!windowManager.waitForStarted()) wm = false;
    QThread::msleep(500);
  }

  int status = 0;
  if (rounds <= 0) {
    status = FloodOnce(lines, client, wm, shots, -1).linesPerSecond < 0 ? 1 : 0;
  } else {
    std::vector<double> off, on, cpuOff, cpuOn;
    for (int r = 0; r < rounds && status == 0; ++r) {
      // Alternating, so a neighbour's build slows both alike, and which goes
      // first changes every round, so neither always runs on the other's heels.
      const std::array<int, 2> order = r % 2 == 0 ? std::array<int, 2>{0, 1} : std::array<int, 2>{1, 0};
      for (const int logging : order) {
        std::printf("round %d, chat log %s:\n", r + 1, logging != 0 ? "on" : "off");
        std::fflush(stdout);
        const FloodResult run = FloodOnce(lines, client, wm, QString(), logging);
        if (run.linesPerSecond < 0) {
          status = 1;
          break;
        }
        (logging != 0 ? on : off).push_back(run.linesPerSecond);
        (logging != 0 ? cpuOn : cpuOff).push_back(run.cpuSeconds);
      }
    }
    if (status == 0) {
      auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 != 0 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
      };
      // The wall clock counts the neighbours' builds too; the client's own CPU
      // time is the steadier figure.
      const double a = median(off), b = median(on);
      const double ca = median(cpuOff), cb = median(cpuOn);
      std::printf(
          "compare-logging N=%d rounds=%d median_lines_per_s off=%.0f on=%.0f on_over_off=%.3f "
          "median_gui_cpu_s off=%.3f on=%.3f cpu_lines_per_s_on_over_off=%.3f\n",
          lines, rounds, a, b, b / a, ca, cb, ca / cb);
    }
  }
  if (wm) {
    windowManager.kill();
    windowManager.waitForFinished(2000);
  }
  return status;
}
