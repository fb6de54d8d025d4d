// The main window in the system tray: the icon and its menu, the mark for
// unseen talk, and the exit command that ends the program even when closing
// only hides the window.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include "chat/chat_tabs.h"
#include "lobby/form_main.h"

namespace {

// The program's icon with a red dot in its lower right corner.
QIcon MarkedIcon() {
  static const QIcon marked = [] {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
      QPixmap pm = QApplication::windowIcon().pixmap(size, size);
      if (pm.isNull()) {
        pm = QPixmap(size, size);
        pm.fill(Qt::transparent);
      }
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(Qt::white, size / 16.0));
      p.setBrush(QColor(220, 30, 30));
      const qreal d = size * 0.5;
      p.drawEllipse(QRectF(size - d - 0.5, size - d - 0.5, d, d));
      p.end();
      icon.addPixmap(pm);
    }
    return icon;
  }();
  return marked;
}

}  // namespace

void TFormMain::CreateTray() {
  tray_ = new QSystemTrayIcon(QApplication::windowIcon(), this);
  tray_->setObjectName(QStringLiteral("TrayIcon"));
  tray_->setToolTip(QStringLiteral("Turfwing"));
  // The menus' own words: the commands are the window's very actions.
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("TrayMenu"));
  QAction* show = menu->addAction(QStringLiteral("表示(&S)"));
  show->setObjectName(QStringLiteral("TrayShow"));
  menu->addSeparator();
  menu->addAction(OpenMenu);
  menu->addAction(CloseMenu);
  menu->addSeparator();
  menu->addAction(ExitMenu);
  tray_->setContextMenu(menu);
  connect(show, &QAction::triggered, this, &TFormMain::ShowFromTray);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) ShowFromTray();
  });
  connect(chatTabs_, &ChatTabs::OnUnseenTalkChange, this, &TFormMain::UpdateTrayMark);
  // Without a tray on this desktop there is nothing to show, and closing ends
  // the program as it always has.
  if (QSystemTrayIcon::isSystemTrayAvailable()) tray_->show();
}

void TFormMain::ShowFromTray() {
  showNormal();
  raise();
  activateWindow();
}

void TFormMain::UpdateTrayMark() {
  if (tray_ == nullptr || chatTabs_ == nullptr) return;
  const bool mark = (isHidden() || isMinimized()) && chatTabs_->HasUnseenTalk();
  if (mark == trayMarked_) return;
  trayMarked_ = mark;
  tray_->setIcon(mark ? MarkedIcon() : QApplication::windowIcon());
}

void TFormMain::ExitMenuClick() {
  quitting_ = true;
  // A window kept in the tray is hidden, and closing a hidden window does not
  // end the program by itself.
  if (close() && tray_ != nullptr && tray_->isVisible()) QCoreApplication::quit();
  quitting_ = false;
}
