#include "dialogs/form_login.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/dialog_frame.h"
#include "dialogs/entry_checks.h"
#include "net/net_def.h"
#include "platform/cp932.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

namespace {

constexpr int kIdBytes = 8;
constexpr int kPasswordBytes = NetDef::PasswordBytes;

}  // namespace

TFormLogin::TFormLogin(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormLogin"));
  setWindowTitle(QStringLiteral("接続"));
  SetDialogBorder(this);

  auto* labelName = new QLabel(QStringLiteral("ID"), this);
  labelName->setObjectName(QStringLiteral("LabelName"));
  EditID = new QLineEdit(this);
  EditID->setObjectName(QStringLiteral("EditID"));
  NameForScreenReaders(EditID, labelName->text());
  idValidator_ = new Cp932Validator(kIdBytes, EditID);
  EditID->setValidator(idValidator_);
  EditID->setFixedWidth(121);

  auto* label1 = new QLabel(QStringLiteral("パスワード"), this);
  label1->setObjectName(QStringLiteral("Label1"));
  EditPassword = new QLineEdit(this);
  EditPassword->setObjectName(QStringLiteral("EditPassword"));
  NameForScreenReaders(EditPassword, label1->text());
  EditPassword->setValidator(new Cp932Validator(kPasswordBytes, EditPassword));
  EditPassword->setFixedWidth(121);
  ShowAsPassword(EditPassword);

  ButtonOk = new QPushButton(QStringLiteral("接続"), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setDefault(true);
  ButtonOk->setMinimumWidth(77);
  ButtonCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  ButtonCancel->setAutoDefault(false);
  ButtonCancel->setMinimumWidth(77);

  auto* panel1 = new QFrame(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFrameShape(QFrame::StyledPanel);
  panel1->setFrameShadow(QFrame::Raised);
  auto* label2 =
      new QLabel(QStringLiteral("\u3000Turfwingでお遊び頂くためには会員登録が必要です。まだ会員登録をされていない方は、"
                                "下記のボタンを押し、ホームページより登録をお願いします。"),
                 panel1);
  label2->setObjectName(QStringLiteral("Label2"));
  label2->setWordWrap(true);
  ButtonNew = new QPushButton(QStringLiteral("新規登録"), panel1);
  ButtonNew->setObjectName(QStringLiteral("ButtonNew"));
  ButtonNew->setAutoDefault(false);
  ButtonNew->setMinimumWidth(75);

  auto* panelLayout = new QVBoxLayout(panel1);
  panelLayout->setContentsMargins(4, 6, 6, 6);
  panelLayout->setSpacing(4);
  panelLayout->addWidget(label2);
  panelLayout->addWidget(ButtonNew, 0, Qt::AlignRight);

  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(8);
  fields->setVerticalSpacing(8);
  fields->addWidget(labelName, 0, 0);
  fields->addWidget(EditID, 0, 1);
  fields->addWidget(label1, 1, 0);
  fields->addWidget(EditPassword, 1, 1);
  fields->setColumnStretch(2, 1);
  auto* buttons = new QVBoxLayout;
  buttons->setSpacing(7);
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonCancel);
  auto* top = new QHBoxLayout;
  top->addLayout(fields, 1);
  top->addLayout(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 6, 7, 6);
  layout->setSpacing(10);
  layout->addLayout(top);
  layout->addWidget(panel1, 1);

  setTabOrder(EditID, EditPassword);
  setTabOrder(EditPassword, ButtonOk);
  setTabOrder(ButtonOk, ButtonCancel);
  setTabOrder(ButtonCancel, ButtonNew);

  connect(EditID, &QLineEdit::textChanged, this, &TFormLogin::IdTextChanged);
  connect(EditPassword, &QLineEdit::textChanged, this, &TFormLogin::UpdateOkState);
  connect(ButtonOk, &QPushButton::clicked, this, &TFormLogin::ButtonOkClick);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonNew, &QPushButton::clicked, this, &TFormLogin::ButtonNewClick);

  UpdateOkState();
  FixToDesignSize(this, QSize(324, 163));
}

bool TFormLogin::Execute(int32_t& userId, std::string& password, const std::string& registrationAddress) {
  // Already open (a nested event loop asked again): the running call owns the
  // fields; refuse rather than reset them under the user.
  if (isVisible()) return false;
  // A stored ID is shown whole, however long: the 8-digit limit is for typing.
  // The field then holds a longer text than the limit allows, so the limit
  // follows the text down as the user shortens it (IdTextChanged). A stored
  // password is cut to the field's width at a character edge.
  const QString idText = userId > 0 ? QString::number(userId) : QString();
  idValidator_->setMaxBytes(std::max(kIdBytes, static_cast<int>(idText.size())));
  EditID->setText(idText);
  EditPassword->setText(ToQString(cp932::CutToBytes(password, kPasswordBytes)));
  registrationAddress_ = registrationAddress;
  UpdateOkState();

  if (exec() != QDialog::Accepted) return false;
  userId = ReadIntegerText(ToCp932Lossy(EditID->text()));
  password = UpperCaseAscii(ToCp932Lossy(EditPassword->text()));
  return true;
}

void TFormLogin::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  EditID->setFocus(Qt::OtherFocusReason);
}

void TFormLogin::IdTextChanged() {
  const int bytes = static_cast<int>(ToCp932Lossy(EditID->text()).size());
  if (bytes < idValidator_->maxBytes()) idValidator_->setMaxBytes(std::max(kIdBytes, bytes));
  UpdateOkState();
}

void TFormLogin::UpdateOkState() {
  ButtonOk->setEnabled(LoginOkEnabled(EditID->text().isEmpty(), EditPassword->text().isEmpty()));
}

void TFormLogin::ButtonOkClick() {
  // A character without a CP932 form (only a stored password can hold one) is no
  // letter or digit either: let it fail the password check rather than vanish.
  const std::string password = ToCp932(EditPassword->text()).value_or(std::string("?"));
  switch (CheckLogin(ToCp932Lossy(EditID->text()), password)) {
    case LoginRefusal::BadId:
      Platform::current().errorBox(this, QStringLiteral("正しいIDを入力してください"));
      return;
    case LoginRefusal::BadPassword:
      Platform::current().errorBox(this, QStringLiteral("正しいパスワードを入力してください"));
      return;
    case LoginRefusal::None:
      accept();
      return;
  }
}

void TFormLogin::ButtonNewClick() {
  if (!registrationAddress_.empty()) Platform::current().openUrl(ToQString(registrationAddress_));
}
