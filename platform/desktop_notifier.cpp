#include "platform/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
}  // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

void DesktopNotifier::notify(QWidget* window, const QString& summary, const QString& body) {
  if (window == nullptr || window->isActiveWindow()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  if (!connected_) {
    connected_ = true;
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this, SLOT(ActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                SLOT(NotificationClosed(uint, uint)));
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral(TURFWING_APP_ID));
  // The server's text is never markup, whatever the service makes of the body.
  call << QStringLiteral("Turfwing") << uint{0} << QStringLiteral(TURFWING_APP_ID) << summary << body.toHtmlEscaped()
       << QStringList{QStringLiteral("default"), QStringLiteral("表示")} << hints << int{-1};
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, target = QPointer<QWidget>(window)](auto* w) {
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isValid()) shown_.insert(reply.value(), target);
    w->deleteLater();
  });
}

void DesktopNotifier::ActionInvoked(uint id, const QString& action) {
  const QPointer<QWidget> window = shown_.value(id);
  if (action != QStringLiteral("default") || window.isNull()) return;
  window->showNormal();
  window->raise();
  window->activateWindow();
}

void DesktopNotifier::NotificationClosed(uint id, uint) { shown_.remove(id); }
