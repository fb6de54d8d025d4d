#pragma once
// The development lobby server as a child process of a benchmark: started on a
// free loopback port that it reports on stderr, with that pipe kept drained.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

#include "net/net_messages.h"

// A kB figure of another process from /proc/PID/<file>: "status" for VmRSS and
// VmHWM, "smaps_rollup" for Pss; -1 when it cannot be read.
inline qint64 ProcessKb(qint64 pid, const char* file, const char* field) {
  QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray key = QByteArray(field) + ':';
  for (const QByteArray& line : f.readAll().split('\n')) {
    if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
  }
  return -1;
}

// Writes one message to a socket; nothing when it does not encode.
template <class M>
void WriteMessage(QTcpSocket& socket, const typename M::Info& info) {
  NetPacket p;
  if (M::encode(p, info)) socket.write(reinterpret_cast<const char*>(p.frame_bytes()), p.wire_length());
}

// Runs the event loop until done() holds; false when the limit passed first.
// It sleeps between events: a loop that spins takes the processor from the
// server it measures (that once halved the connection rate on two cores).
inline bool RunUntilMs(const std::function<bool()>& done, int limitMs) {
  QDeadlineTimer deadline(limitMs);
  QTimer wake;  // so that the limit is looked at while nothing arrives
  wake.start(5);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

inline bool RunUntil(const std::function<bool()>& done, int limitSeconds) {
  return RunUntilMs(done, limitSeconds * 1000);
}

// Starts `lobbyd --demo --listen 127.0.0.1:0 extra...` and returns the port it
// listens on; 0 when it did not start or never said where it listens.
inline quint16 StartLobbyd(QProcess& server, const QString& lobbyd, const QStringList& extra = {}) {
  server.setProcessChannelMode(QProcess::SeparateChannels);
  server.start(
      lobbyd, QStringList{QStringLiteral("--demo"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} + extra);
  if (!server.waitForStarted()) return 0;
  quint16 port = 0;
  QByteArray err;
  const QRegularExpression listening(QStringLiteral("listening on [0-9.]+:(\\d+)"));
  RunUntil(
      [&] {
        server.waitForReadyRead(50);
        err += server.readAllStandardError();
        const auto m = listening.match(QString::fromUtf8(err));
        if (m.hasMatch()) port = static_cast<quint16>(m.captured(1).toUInt());
        return port != 0;
      },
      10);
  // The server logs every connection on stderr; keep the pipe drained.
  QObject::connect(&server, &QProcess::readyReadStandardError, &server, [&server] { server.readAllStandardError(); });
  return port;
}
