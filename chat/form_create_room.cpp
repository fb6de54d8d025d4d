#include "chat/form_create_room.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_frame.h"
#include "dialogs/entry_checks.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

namespace {

// The team ID field has no width of its own on the wire; keep it to what an
// edit field holds and to characters that have a CP932 form.
constexpr int kTeamIdBytes = 32;

// A field's text as CP932; the validators keep out characters without a CP932
// form, so nothing is dropped here in practice.
std::string TextOf(const QLineEdit* edit) { return ToCp932Lossy(edit->text()); }

}  // namespace

TFormCreateRoom::TFormCreateRoom(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormCreateRoom"));
  setWindowTitle(QStringLiteral("部屋作成"));
  SetDialogBorder(this);

  auto* label1 = new QLabel(QStringLiteral("部屋名"), this);
  label1->setObjectName(QStringLiteral("Label1"));
  EditName = new QLineEdit(this);
  EditName->setObjectName(QStringLiteral("EditName"));
  NameForScreenReaders(EditName, label1->text());
  EditName->setValidator(new Cp932Validator(kNameBytes, EditName));
  EditName->setFixedWidth(229);

  auto* label2 = new QLabel(QStringLiteral("パスワード"), this);
  label2->setObjectName(QStringLiteral("Label2"));
  EditPassword = new QLineEdit(this);
  EditPassword->setObjectName(QStringLiteral("EditPassword"));
  NameForScreenReaders(EditPassword, label2->text());
  EditPassword->setValidator(new Cp932Validator(kPasswordBytes, EditPassword));
  EditPassword->setFixedWidth(121);

  auto* groupBox1 = new QGroupBox(QStringLiteral("チーム"), this);
  groupBox1->setObjectName(QStringLiteral("GroupBox1"));
  auto* label3 = new QLabel(QStringLiteral("チームID"), groupBox1);
  label3->setObjectName(QStringLiteral("Label3"));
  EditTeamID = new QLineEdit(groupBox1);
  EditTeamID->setObjectName(QStringLiteral("EditTeamID"));
  NameForScreenReaders(EditTeamID, label3->text());
  EditTeamID->setValidator(new Cp932Validator(kTeamIdBytes, EditTeamID));
  EditTeamID->setFixedWidth(57);
  auto* label4 = new QLabel(
      QStringLiteral("※チーム用の部屋を作成する時に、自分が所属するチームのID番号を指定してください"), groupBox1);
  label4->setObjectName(QStringLiteral("Label4"));
  label4->setWordWrap(true);
  auto* label5 = new QLabel(
      QStringLiteral("※パスワードを設定しないと、チームメンバー以外のユーザも入室可能となります。"), groupBox1);
  label5->setObjectName(QStringLiteral("Label5"));
  label5->setWordWrap(true);

  auto* teamRow = new QHBoxLayout;
  teamRow->setSpacing(8);
  teamRow->addWidget(label3);
  teamRow->addWidget(EditTeamID);
  teamRow->addStretch(1);
  auto* groupLayout = new QVBoxLayout(groupBox1);
  groupLayout->setContentsMargins(6, 6, 6, 6);
  groupLayout->setSpacing(6);
  groupLayout->addLayout(teamRow);
  groupLayout->addWidget(label4);
  groupLayout->addWidget(label5);
  groupLayout->addStretch(1);

  ButtonOk = new QPushButton(QStringLiteral("OK"), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setDefault(true);
  ButtonOk->setMinimumWidth(75);
  ButtonCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  ButtonCancel->setAutoDefault(false);
  ButtonCancel->setMinimumWidth(75);

  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(8);
  fields->setVerticalSpacing(8);
  fields->addWidget(label1, 0, 0);
  fields->addWidget(EditName, 0, 1, Qt::AlignLeft);
  fields->addWidget(label2, 1, 0);
  fields->addWidget(EditPassword, 1, 1, Qt::AlignLeft);
  fields->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonCancel);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 6, 4);
  layout->setSpacing(8);
  layout->addLayout(fields);
  layout->addWidget(groupBox1, 1);
  layout->addLayout(buttons);

  setTabOrder(EditName, EditPassword);
  setTabOrder(EditPassword, EditTeamID);
  setTabOrder(EditTeamID, ButtonOk);
  setTabOrder(ButtonOk, ButtonCancel);

  connect(EditName, &QLineEdit::textChanged, this, &TFormCreateRoom::EditNameChange);
  connect(EditTeamID, &QLineEdit::textChanged, this, &TFormCreateRoom::EditNameChange);
  connect(ButtonOk, &QPushButton::clicked, this, &TFormCreateRoom::ButtonOkClick);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

  EditNameChange();
  FixToDesignSize(this, QSize(311, 225));
}

bool TFormCreateRoom::CreateRoomExecute(std::string& name, std::string& password, int32_t& teamId) {
  // Already open (a nested event loop asked again): the running call owns the
  // fields; refuse rather than reset them under the user.
  if (isVisible()) return false;
  EditName->clear();
  EditPassword->clear();
  EditTeamID->clear();
  EditNameChange();
  if (exec() != QDialog::Accepted) return false;
  name = TextOf(EditName);
  password = TextOf(EditPassword);
  teamId = TeamIdOf(TextOf(EditTeamID));
  return true;
}

void TFormCreateRoom::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  EditName->setFocus(Qt::OtherFocusReason);
}

void TFormCreateRoom::EditNameChange() { ButtonOk->setEnabled(!EditName->text().isEmpty()); }

void TFormCreateRoom::ButtonOkClick() {
  switch (CheckCreateRoom(TextOf(EditName), TextOf(EditPassword), TextOf(EditTeamID))) {
    case CreateRoomRefusal::BadName:
      Platform::current().errorBox(this, QStringLiteral("部屋名には空白や記号は使えません"));
      return;
    case CreateRoomRefusal::BadPassword:
      Platform::current().errorBox(this, QStringLiteral("パスワードには英数字のみ指定可能です"));
      return;
    case CreateRoomRefusal::BadTeamId:
      Platform::current().errorBox(this, QStringLiteral("チームIDには正数のみ指定可能です"));
      return;
    case CreateRoomRefusal::None:
      accept();
      return;
  }
}
