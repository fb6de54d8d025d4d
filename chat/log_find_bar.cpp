#include "chat/log_find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "chat/rich_edit_ex.h"
#include "platform/qt_text.h"

TLogFindBar::TLogFindBar(TRichEditEx* log) : QFrame(log), log_(log) {
  setObjectName(QStringLiteral("FindBar"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 2, 4, 2);
  row->setSpacing(2);
  edit_ = new QLineEdit(this);
  edit_->setPlaceholderText(QStringLiteral("ログを検索"));
  NameForScreenReaders(edit_, edit_->placeholderText());
  edit_->setMinimumWidth(160);
  edit_->installEventFilter(this);
  previous_ = new QToolButton(this);
  previous_->setText(QStringLiteral("前へ"));
  previous_->setToolTip(QStringLiteral("前を検索 (Shift+Enter)"));
  next_ = new QToolButton(this);
  next_->setText(QStringLiteral("次へ"));
  next_->setToolTip(QStringLiteral("次を検索 (Enter)"));
  status_ = new QLabel(this);
  close_ = new QToolButton(this);
  close_->setText(QStringLiteral("×"));
  close_->setToolTip(QStringLiteral("閉じる (Esc)"));
  close_->setAutoRaise(true);
  row->addWidget(edit_);
  row->addWidget(previous_);
  row->addWidget(next_);
  row->addWidget(status_);
  row->addWidget(close_);
  connect(edit_, &QLineEdit::textEdited, this, [this] { Run(false); });
  connect(previous_, &QToolButton::clicked, this, [this] { Run(true); });
  connect(next_, &QToolButton::clicked, this, [this] { Run(false); });
  connect(close_, &QToolButton::clicked, this, &TLogFindBar::Close);
}

void TLogFindBar::Open() {
  show();
  raise();
  edit_->setFocus(Qt::ShortcutFocusReason);
  edit_->selectAll();
  if (!edit_->text().isEmpty()) Run(false);
}

void TLogFindBar::Close() {
  hide();
  log_->ClearFind();
  log_->setFocus(Qt::OtherFocusReason);
}

void TLogFindBar::Run(bool backward) {
  const bool found = log_->Find(edit_->text(), backward);
  status_->setText(found || edit_->text().isEmpty() ? QString() : QStringLiteral("見つかりません"));
  // The bar sits at the log's right edge: keep it there as the note comes and goes.
  const int right = geometry().right();
  adjustSize();
  move(right - width() + 1, y());
}

bool TLogFindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
      Close();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Run((key->modifiers() & Qt::ShiftModifier) != 0);
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}
