#pragma once
// Desktop notifications over D-Bus (org.freedesktop.Notifications), for the
// moments a player away from the window must not miss: a match ready, a private
// talk. Nothing is sent while the window is active, nothing waits for the
// service, and without one nothing happens. Clicking the notification raises
// the window.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class DesktopNotifier final : public QObject {
  Q_OBJECT
 public:
  explicit DesktopNotifier(QObject* parent = nullptr);

  // summary and body are plain text; the body is escaped for services that read markup.
  void notify(QWidget* window, const QString& summary, const QString& body);

 private Q_SLOTS:
  // The service's signals, which QtDBus connects by name and signature only.
  void ActionInvoked(uint id, const QString& action);
  void NotificationClosed(uint id, uint reason);

 private:
  bool connected_ = false;
  QHash<uint, QPointer<QWidget>> shown_;  // notification id -> the window it raises
};
