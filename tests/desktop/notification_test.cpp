// Desktop notifications as a desktop receives them: a private D-Bus session bus
// (dbus-daemon started by this program before Qt connects to any bus), a
// notification service of the test's own on it, and the real notifier. What
// reaches the service, what clicking the notification does, and that nothing
// breaks or waits without a service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMainWindow>
#include <QVariantMap>

#include "platform/desktop_notifier.h"
#include "private_bus.h"
#include "wait.h"

namespace {

QString gBusAddress;

// The desktop's side: records each Notify and answers with a new id.
class FakeNotifications final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  struct Call {
    QString app, icon, summary, body;
    QStringList actions;
    QVariantMap hints;
  };
  std::vector<Call> calls;

 public Q_SLOTS:
  uint Notify(const QString& app, uint, const QString& icon, const QString& summary, const QString& body,
              const QStringList& actions, const QVariantMap& hints, int) {
    calls.push_back({app, icon, summary, body, actions, hints});
    return static_cast<uint>(calls.size()) + 40;
  }
  QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("actions")}; }
};

// What the desktop says when the player clicks notification id.
QDBusMessage DefaultActionInvoked(uint id) {
  QDBusMessage clicked =
      QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                 QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
  clicked << id << QStringLiteral("default");
  return clicked;
}

QDBusConnection ServiceBus() { return QDBusConnection::connectToBus(gBusAddress, QStringLiteral("service")); }

TEST(NotificationTest, TheServiceGetsTheNotificationAndItsClickRaisesTheWindow) {
  ASSERT_FALSE(gBusAddress.isEmpty()) << "no private bus: dbus-daemon is missing (scripts/setup installs it)";
  FakeNotifications service;
  QDBusConnection bus = ServiceBus();
  ASSERT_TRUE(
      bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service, QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));

  QMainWindow window;
  QMainWindow other;  // the window the player is using instead
  window.show();
  other.show();
  other.activateWindow();
  QApplication::setActiveWindow(&other);
  ASSERT_TRUE(WaitUntil([&] { return !window.isActiveWindow(); }));

  DesktopNotifier notifier;
  notifier.notify(&window, QStringLiteral("個別チャット"), QStringLiteral("<b>hanako</b> > a&b"));
  ASSERT_TRUE(WaitUntil([&] { return service.calls.size() == 1; }));
  const FakeNotifications::Call& call = service.calls[0];
  EXPECT_EQ(call.app, QStringLiteral("Turfwing"));
  EXPECT_EQ(call.summary, QStringLiteral("個別チャット"));
  EXPECT_EQ(call.body, QStringLiteral("&lt;b&gt;hanako&lt;/b&gt; &gt; a&amp;b")) << "server text is never markup";
  EXPECT_EQ(call.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("org.turfwing.Turfwing"));
  ASSERT_GE(call.actions.size(), 2);
  EXPECT_EQ(call.actions[0], QStringLiteral("default"));

  // The player clicks it: the desktop says so on the bus, the window comes up.
  WaitUntil([] { return false; }, 100);  // the id's answer has arrived
  ASSERT_TRUE(bus.send(DefaultActionInvoked(41)));
  EXPECT_TRUE(WaitUntil([&] { return window.isActiveWindow(); })) << "the click did not raise the window";

  // While the window is active nothing is sent.
  notifier.notify(&window, QStringLiteral("個別チャット"), QStringLiteral("again"));
  WaitUntil([] { return false; }, 200);
  EXPECT_EQ(service.calls.size(), 1u);
  bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
}

TEST(NotificationTest, WithoutAServiceNothingFailsOrWaits) {
  QMainWindow window;
  QMainWindow other;
  window.show();
  other.show();
  QApplication::setActiveWindow(&other);
  ASSERT_TRUE(WaitUntil([&] { return !window.isActiveWindow(); }));
  DesktopNotifier notifier;
  for (int i = 0; i < 20; ++i) notifier.notify(&window, QStringLiteral("試合の準備ができました"), QStringLiteral("x"));
  WaitUntil([] { return false; }, 300);  // the bus's errors come back and are dropped
  // A stray click for an id never given raises nothing.
  ServiceBus().send(DefaultActionInvoked(1));
  WaitUntil([] { return false; }, 200);
  EXPECT_FALSE(window.isActiveWindow());
}

}  // namespace

int main(int argc, char** argv) {
  // The bus comes first: Qt connects to the session bus once, on first use.
  const PrivateSessionBus bus;
  gBusAddress = bus.address();
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "notification_test.moc"
