#include "chat/form_password.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/dialog_frame.h"
#include "dialogs/entry_checks.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

TFormPassword::TFormPassword(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormPassword"));
  setWindowTitle(QStringLiteral("部屋パスワード入力"));
  SetDialogBorder(this);

  RadioPass = new QRadioButton(QStringLiteral("チームメンバーなのでパスワード無しで入室する"), this);
  RadioPass->setObjectName(QStringLiteral("RadioPass"));
  RadioPass->setChecked(true);
  RadioPass2 = new QRadioButton(QStringLiteral("パスワードを入力する"), this);
  RadioPass2->setObjectName(QStringLiteral("RadioPass2"));

  Label1 = new QLabel(QStringLiteral("パスワード"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  EditPassword = new QLineEdit(this);
  EditPassword->setObjectName(QStringLiteral("EditPassword"));
  NameForScreenReaders(EditPassword, QStringLiteral("パスワード"));
  EditPassword->setValidator(new Cp932Validator(kPasswordBytes, EditPassword));
  EditPassword->setFixedWidth(121);
  ShowAsPassword(EditPassword);

  ButtonOk = new QPushButton(QStringLiteral("OK"), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setDefault(true);
  ButtonOk->setMinimumWidth(75);
  ButtonCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  ButtonCancel->setAutoDefault(false);
  ButtonCancel->setMinimumWidth(75);

  auto* passwordRow = new QHBoxLayout;
  passwordRow->setContentsMargins(24, 0, 0, 0);
  passwordRow->setSpacing(8);
  passwordRow->addWidget(Label1);
  passwordRow->addWidget(EditPassword);
  passwordRow->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonCancel);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 6);
  layout->setSpacing(8);
  layout->addWidget(RadioPass);
  layout->addWidget(RadioPass2);
  layout->addLayout(passwordRow);
  layout->addStretch(1);
  layout->addLayout(buttons);

  setTabOrder(RadioPass, RadioPass2);
  setTabOrder(RadioPass2, EditPassword);
  setTabOrder(EditPassword, ButtonOk);
  setTabOrder(ButtonOk, ButtonCancel);

  // toggled rather than clicked: however the second choice is made, it leads
  // on to the password. The arrow keys are handled here (eventFilter), since
  // Qt would move the focus back to the button after the handler moved it on.
  connect(RadioPass, &QRadioButton::toggled, this, &TFormPassword::ApplyRule);
  connect(RadioPass2, &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) RadioPass2Click();
  });
  RadioPass->installEventFilter(this);
  RadioPass2->installEventFilter(this);
  connect(EditPassword, &QLineEdit::textChanged, this, &TFormPassword::ApplyRule);
  connect(ButtonOk, &QPushButton::clicked, this, &TFormPassword::ButtonOkClick);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

  ApplyRule();
  FixToDesignSize(this, QSize(312, 126));
}

bool TFormPassword::PasswordExecute(std::string& password) {
  // Already open (a nested event loop asked again): the running call owns the
  // fields; refuse rather than reset them under the user.
  if (isVisible()) return false;
  RadioPass->setChecked(true);
  EditPassword->clear();
  ApplyRule();
  if (exec() != QDialog::Accepted) return false;
  password = ToCp932Lossy(EditPassword->text());
  return true;
}

void TFormPassword::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  RadioPass->setFocus(Qt::OtherFocusReason);
}

bool TFormPassword::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == RadioPass || watched == RadioPass2)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool forward = key == Qt::Key_Down || key == Qt::Key_Right;
    const bool back = key == Qt::Key_Up || key == Qt::Key_Left;
    if (forward || back) {
      QRadioButton* choice = forward ? RadioPass2 : RadioPass;
      choice->setFocus(Qt::TabFocusReason);
      choice->setChecked(true);  // the second choice then focuses the password
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormPassword::ApplyRule() {
  const PasswordDialogState state = PasswordDialogRule(RadioPass2->isChecked(), EditPassword->text().isEmpty());
  ButtonOk->setEnabled(state.okEnabled);
  Label1->setEnabled(state.passwordEnabled);
  EditPassword->setEnabled(state.passwordEnabled);
}

void TFormPassword::RadioPass2Click() {
  ApplyRule();
  EditPassword->setFocus(Qt::OtherFocusReason);
}

void TFormPassword::ButtonOkClick() {
  if (!IsAcceptedPassword(ToCp932Lossy(EditPassword->text()))) {
    Platform::current().errorBox(this, QStringLiteral("パスワードには英数字のみ指定可能です"));
    return;
  }
  accept();
}
