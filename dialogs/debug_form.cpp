#include "dialogs/debug_form.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TDebugForm::TDebugForm(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("DebugForm"));
  setWindowTitle(QStringLiteral("Debug"));

  Output = new QPlainTextEdit(this);
  Output->setObjectName(QStringLiteral("Output"));
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

void TDebugForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}
