#pragma once
// A D-Bus session bus of the test program's own: a dbus-daemon started before
// Qt connects to any bus (it connects once, on first use), with
// DBUS_SESSION_BUS_ADDRESS pointing at it, so what the program says on the bus
// reaches the test's services and no one else's. Services the bus starts on
// demand (the accessibility bus among them) end when it ends.

#include <QProcess>
#include <QString>

class PrivateSessionBus {
 public:
  PrivateSessionBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000)) {
      address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
      qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    }
  }
  ~PrivateSessionBus() {
    daemon_.kill();
    daemon_.waitForFinished();
  }
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  // Empty when dbus-daemon could not be started.
  const QString& address() const { return address_; }

 private:
  QProcess daemon_;
  QString address_;
};
