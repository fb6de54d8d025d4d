#pragma once
// Driving real widgets from tests: typing any text, acting on a modal dialog
// from inside its own loop, and picking a menu item whose action is queued.

#include <QAction>
#include <QApplication>
#include <QString>
#include <QTest>
#include <QTimer>
#include <functional>

// Types text as key presses, Japanese characters included (QTest::keyClicks
// takes Latin-1 only).
inline void TypeText(QWidget* w, const QString& text) {
  for (QChar c : text) {
    if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
      QTest::keyClick(w, c.toLatin1());
    } else {
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}

// Runs f on the modal dialog as soon as one is open (it opens from the event loop).
inline void WhenModal(std::function<void(QWidget*)> f) {
  auto* poll = new QTimer;
  poll->setInterval(0);
  QObject::connect(poll, &QTimer::timeout, [poll, f] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    poll->stop();
    poll->deleteLater();
    f(dialog);
  });
  poll->start();
}

// Picks a menu item; its action runs from the event loop, as after a real click.
inline void Choose(QAction* item) {
  item->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}
