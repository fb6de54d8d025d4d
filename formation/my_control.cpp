#include "formation/my_control.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

TMyControl::TMyControl(QWidget* owner) : QWidget(owner) { setFocusPolicy(Qt::StrongFocus); }

void TMyControl::SetMouseCapture(bool on) {
  // While a button is down Qt already sends every move and the release here
  // (the implicit grab); the flag tells whether that grab is still ours.
  mouseCapture_ = on;
}

void TMyControl::LoseCapture() {
  if (!mouseCapture_) return;
  mouseCapture_ = false;
  CaptureLost();
}

void TMyControl::Paint(QPainter& canvas, const QRect& /*area*/) { Q_EMIT OnPaint(this, canvas); }

bool TMyControl::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::ShortcutOverride: {
      // Arrow keys belong to the control, not to a shortcut or focus move.
      auto* k = static_cast<QKeyEvent*>(e);
      if (k->key() == Qt::Key_Left || k->key() == Qt::Key_Right || k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) {
        e->accept();
        return true;
      }
      break;
    }
    case QEvent::WindowDeactivate:
    case QEvent::UngrabMouse:
      LoseCapture();
      break;
    default:
      break;
  }
  return QWidget::event(e);
}

void TMyControl::paintEvent(QPaintEvent* e) {
  QPainter canvas(this);
  Paint(canvas, e->rect());
}

void TMyControl::keyPressEvent(QKeyEvent* e) {
  Q_EMIT OnKeyDown(this, e->key(), e->modifiers());
  if (e->matches(QKeySequence::Cut)) {
    Q_EMIT OnCut(this);
  } else if (e->matches(QKeySequence::Copy)) {
    Q_EMIT OnCopy(this);
  } else if (e->matches(QKeySequence::Paste)) {
    Q_EMIT OnPaste(this);
  } else if (e->matches(QKeySequence::Delete)) {
    Q_EMIT OnClear(this);
  } else if (e->matches(QKeySequence::SelectAll)) {
    Q_EMIT OnAllSelect(this);
  } else if (!e->text().isEmpty() && e->text().at(0).isPrint()) {
    Q_EMIT OnKeyPress(this, e->text());
  }
  e->accept();
}

void TMyControl::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  Q_EMIT OnEnter(this);
}

void TMyControl::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  // Another window or a popup took over: the mouse is no longer ours either.
  if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) LoseCapture();
  Q_EMIT OnExit(this);
}

void TMyControl::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  LoseCapture();
}
