#include "formation/form_board_name.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "platform/qt_text.h"

TFormBoardName::TFormBoardName(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("FormBoardName"));
  setWindowTitle(QString::fromUtf8("選手名設定"));
  setFixedSize(213, 81);

  Label1 = new QLabel(QString::fromUtf8("名前"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(12, 28);

  EditName = new QLineEdit(this);
  EditName->setObjectName(QStringLiteral("EditName"));
  NameForScreenReaders(EditName, Label1->text());
  EditName->setGeometry(52, 24, 49, 20);
  EditName->setValidator(new Cp932Validator(NameBytes, EditName));
  Label1->setBuddy(EditName);

  ButtonOk = new QPushButton(QStringLiteral("OK"), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setGeometry(124, 8, 75, 25);
  ButtonOk->setDefault(true);
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);

  ButtonCancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  ButtonCancel->setGeometry(124, 44, 75, 25);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TFormBoardName::BoardNameExecute(std::string& name) {
  EditName->setText(ToQString(name));
  if (QWidget* owner = parentWidget()) {
    const QRect o = owner->window()->frameGeometry();
    move(o.center() - QPoint(width() / 2, height() / 2));
  }
  if (exec() != QDialog::Accepted) return false;
  // The validator lets through only text that code page 932 holds in 4 bytes.
  name = ToCp932Lossy(EditName->text());
  return true;
}

void TFormBoardName::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FormShow();
}

void TFormBoardName::FormShow() {
  EditName->setFocus();
  EditName->selectAll();
}
