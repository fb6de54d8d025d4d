#include "dialogs/debug_form.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/qt_text.h"

TDebugForm::TDebugForm(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("DebugForm"));
  setWindowTitle(QStringLiteral("Debug"));

  Output = new QPlainTextEdit(this);
  Output->setObjectName(QStringLiteral("Output"));
  NameForScreenReaders(Output, QStringLiteral("デバッグ出力"));
  Output->setReadOnly(true);
  Output->setUndoRedoEnabled(false);
  Output->setLineWrapMode(QPlainTextEdit::NoWrap);
  Output->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Output->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Output->setMaximumBlockCount(kMaxLines);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Output);

  setGeometry(1079, 23, 250, 987);
}

void TDebugForm::AddLine(const QString& line) { Output->appendPlainText(line); }

void TDebugForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The design place suits a wide desktop; on a smaller one pull the window back
  // onto the screen instead of opening it out of sight.
  if (QScreen* s = screen()) {
    const QRect avail = s->availableGeometry();
    QRect g = frameGeometry();
    if (!avail.contains(g)) {
      g.setHeight(qMin(g.height(), avail.height()));
      g.moveRight(qMin(g.right(), avail.right()));
      g.moveBottom(qMin(g.bottom(), avail.bottom()));
      g.moveLeft(qMax(g.left(), avail.left()));
      g.moveTop(qMax(g.top(), avail.top()));
      move(g.topLeft());
      resize(width(), qMin(height(), avail.height() - (frameGeometry().height() - height())));
    }
  }
}

void TDebugForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}
