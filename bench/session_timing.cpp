// Two times a player feels, measured on this machine:
//
//  - start-up: from starting the real `turfwing` program until its login
//    dialog opens (its --trace line "login dialog"), over several starts;
//  - log-in: from the connect command of a real main window until the lobby
//    tab is open with its members, against a `turfwing-lobbyd --demo` process
//    on loopback, over several sessions.
//
//   bench_session [--starts N] [--logins N] [--client PATH] [--lobbyd PATH]
//
// Uses the platform Qt picks (offscreen when there is no display). Prints the
// median, the fastest and the slowest of each.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/lobbyd_process.h"
#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/frame_chat_room.h"
#include "lobby/form_main.h"
#include "main_window_parts.h"

namespace {

struct Spread {
  double median = 0, fastest = 0, slowest = 0;
};

Spread SpreadOf(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.front(), ms.back()};
}

// Starts the client with the trace on and waits for its login dialog; the
// milliseconds it took, or -1.
double TimeOneStart(const QString& client, const QString& folder) {
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.setReadChannel(QProcess::StandardError);
  QElapsedTimer timer;
  timer.start();
  p.start(client, {folder + QStringLiteral("/turfwing.INI"), QStringLiteral("--trace")});
  if (!p.waitForStarted()) return -1;
  QByteArray err;
  double ms = -1;
  RunUntil(
      [&] {
        p.waitForReadyRead(20);
        err += p.readAllStandardError();
        if (err.contains("login dialog")) ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        return ms >= 0 || p.state() == QProcess::NotRunning;
      },
      30);
  p.kill();
  p.waitForFinished(5000);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int starts = 10;
  int logins = 20;
  QString client = QStringLiteral(TURFWING_CLIENT_PATH);
  QString lobbyd = QStringLiteral(TURFWING_LOBBYD_PATH);
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QStringLiteral("--starts")) starts = args[i + 1].toInt();
    if (args[i] == QStringLiteral("--logins")) logins = args[i + 1].toInt();
    if (args[i] == QStringLiteral("--client")) client = args[i + 1];
    if (args[i] == QStringLiteral("--lobbyd")) lobbyd = args[i + 1];
  }
  if (starts < 1 || logins < 1) {
    std::fprintf(stderr, "usage: bench_session [--starts N] [--logins N] [--client PATH] [--lobbyd PATH]\n");
    return 2;
  }
  std::printf("bench_session on the \"%s\" platform\n", QApplication::platformName().toLocal8Bit().constData());

  QTemporaryDir dir;
  std::vector<double> startMs;
  for (int i = 0; i < starts; ++i) {
    const double ms = TimeOneStart(client, dir.path());
    if (ms < 0) {
      std::fprintf(stderr, "start %d: %s never opened its login dialog\n", i + 1, client.toLocal8Bit().constData());
      return 1;
    }
    startMs.push_back(ms);
  }
  const Spread start = SpreadOf(startMs);
  std::printf("  start-up to the login dialog: median %.0f ms (fastest %.0f, slowest %.0f) over %d starts\n",
              start.median, start.fastest, start.slowest, starts);

  QProcess server;
  const quint16 port = StartLobbyd(server, lobbyd);
  if (port == 0) {
    std::fprintf(stderr, "%s did not start or did not say where it listens\n", lobbyd.toLocal8Bit().constData());
    return 1;
  }
  TFormMain form((dir.path() + QStringLiteral("/access.ini")).toStdString(),
                 (dir.path() + QStringLiteral("/session.INI")).toStdString());
  form.setAutoConnectPending(false);
  form.settings().Access.IP = "127.0.0.1";
  form.settings().Access.Port = port;
  form.settings().UserID = 77;
  form.settings().Password = "pw77";
  form.show();
  std::vector<double> loginMs;
  for (int i = 0; i < logins; ++i) {
    QElapsedTimer timer;
    timer.start();
    form.Connect();
    const bool open = RunUntil(
        [&] {
          const TChatSheet* lobby = Child<QTabWidget>(form, "PageControl1")->count() > 0
                                        ? Child<ChatTabs>(form, "ChatTabs")->Page(0)
                                        : nullptr;
          return lobby != nullptr && lobby->Frame()->UserRowCount() > 0;
        },
        30);
    if (!open) {
      std::fprintf(stderr, "log-in %d: the lobby tab never opened with its members\n", i + 1);
      return 1;
    }
    loginMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    form.CloseMenuClick();
  }
  const Spread login = SpreadOf(loginMs);
  std::printf(
      "  log-in to the lobby tab with its members: median %.1f ms (fastest %.1f, slowest %.1f) over %d log-ins\n",
      login.median, login.fastest, login.slowest, logins);
  server.terminate();
  server.waitForFinished(5000);
  return 0;
}
