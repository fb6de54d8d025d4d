#include "dialogs/form_ping.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt_text.h"

TFormPing::TFormPing(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormPing"));
  setWindowTitle(QStringLiteral("PING"));
  // Resizable, with no help button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);

  auto* panel1 = new QFrame(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  EditPing = new QPlainTextEdit(panel1);
  EditPing->setObjectName(QStringLiteral("EditPing"));
  NameForScreenReaders(EditPing, QStringLiteral("PING の結果"));
  EditPing->setReadOnly(true);
  EditPing->setUndoRedoEnabled(false);
  EditPing->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  EditPing->setTabChangesFocus(true);
  // Skipped by Tab; the mouse may still select and copy.
  EditPing->setFocusPolicy(Qt::ClickFocus);
  auto* panel1Layout = new QVBoxLayout(panel1);
  panel1Layout->setContentsMargins(0, 0, 0, 0);
  panel1Layout->addWidget(EditPing);

  auto* panel2 = new QFrame(this);
  panel2->setObjectName(QStringLiteral("Panel2"));
  panel2->setFixedHeight(38);
  ButtonClose = new QPushButton(QStringLiteral("閉じる(&C)"), panel2);
  ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
  ButtonClose->setDefault(true);
  ButtonClose->setMinimumWidth(75);
  auto* panel2Layout = new QHBoxLayout(panel2);
  panel2Layout->setContentsMargins(8, 6, 8, 6);
  panel2Layout->addStretch(1);
  panel2Layout->addWidget(ButtonClose);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(panel1, 1);
  layout->addWidget(panel2);

  // Enter and Escape close the window, as the button does.
  connect(ButtonClose, &QPushButton::clicked, this, &QDialog::reject);

  resize(211, 337);
}

void TFormPing::AddResult(int32_t milliseconds) { EditPing->appendPlainText(QStringLiteral("%1ms").arg(milliseconds)); }

void TFormPing::Clear() { EditPing->clear(); }

QStringList TFormPing::Results() const {
  if (EditPing->document()->isEmpty()) return {};
  return EditPing->toPlainText().split(QLatin1Char('\n'));
}

void TFormPing::Execute() {
  if (!isVisible()) exec();
}
