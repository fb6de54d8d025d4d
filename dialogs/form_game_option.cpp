#include "dialogs/form_game_option.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/dialog_frame.h"
#include "dialogs/entry_checks.h"
#include "platform/qt_text.h"

TFormGameOption::TFormGameOption(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormGameOption"));
  setWindowTitle(QStringLiteral("設定"));
  SetDialogBorder(this);

  GroupBoxGame = new QGroupBox(QStringLiteral("ゲーム設定(&G)"), this);
  GroupBoxGame->setObjectName(QStringLiteral("GroupBoxGame"));

  QGroupBox* mode =
      AddRadioGroup("RadioGroupMode", QStringLiteral("画面モード"), RadioGroupMode, {"ウインドウ", "フルスクリーン"});

  auto* sizeBox = new QGroupBox(QStringLiteral("画面サイズ"), GroupBoxGame);
  sizeBox->setObjectName(QStringLiteral("GroupBoxSize"));
  RadioGroupSize = new QComboBox(sizeBox);
  RadioGroupSize->setObjectName(QStringLiteral("RadioGroupSize"));
  NameForScreenReaders(RadioGroupSize, sizeBox->title());
  for (const char* item :
       {"640×480", "800×600", "1024×768", "1280×1024", "1400×1050", "1600×1200", "800×450 (Wide)", "1024×576 (Wide)",
        "1280×720 (Wide)", "1366×768 (Wide)", "1680×1050 (Wide)", "1920×1080 (Wide)", "1920×1200 (Wide)"}) {
    RadioGroupSize->addItem(QString::fromUtf8(item));
  }
  RadioGroupSize->setMaxVisibleItems(kSizeCount);
  auto* sizeLayout = new QVBoxLayout(sizeBox);
  sizeLayout->setContentsMargins(8, 2, 8, 6);
  sizeLayout->addWidget(RadioGroupSize);

  QGroupBox* frameRate = AddRadioGroup("RadioGroupFrameRate", QStringLiteral("フレームレート"), RadioGroupFrameRate,
                                       {"30フレーム/秒", "60フレーム/秒"});
  QGroupBox* shadow =
      AddRadioGroup("RadioGroupShadow", QStringLiteral("影"), RadioGroupShadow, {"無し", "ボールのみ", "ボールと人体"});
  QGroupBox* model =
      AddRadioGroup("RadioGroupModel", QStringLiteral("ポリゴン品質"), RadioGroupModel, {"ロースペック", "高品質"});
  QGroupBox* fog = AddRadioGroup("RadioGroupFog", QStringLiteral("フォグ"), RadioGroupFog, {"無し", "有り"});

  auto* left = new QVBoxLayout;
  left->setSpacing(4);
  left->addWidget(mode);
  left->addWidget(sizeBox);
  left->addWidget(frameRate);
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->setSpacing(4);
  right->addWidget(shadow);
  right->addWidget(model);
  right->addWidget(fog);
  right->addStretch(1);
  auto* gameLayout = new QHBoxLayout(GroupBoxGame);
  gameLayout->setContentsMargins(6, 2, 6, 6);
  gameLayout->addLayout(left, 145);
  gameLayout->addLayout(right, 113);

  GroupBoxChat = new QGroupBox(QStringLiteral("チャット設定(&C)"), this);
  GroupBoxChat->setObjectName(QStringLiteral("GroupBoxChat"));
  CheckBoxChatTime = new QCheckBox(QStringLiteral("チャットの発言に時刻を表示"), GroupBoxChat);
  CheckBoxChatTime->setObjectName(QStringLiteral("CheckBoxChatTime"));
  auto* chatLayout = new QVBoxLayout(GroupBoxChat);
  chatLayout->setContentsMargins(8, 4, 8, 4);
  chatLayout->addWidget(CheckBoxChatTime);
  chatLayout->addStretch(1);
  GroupBoxChat->setMinimumHeight(65);

  ButtonOK = new QPushButton(QStringLiteral("OK"), this);
  ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
  ButtonOK->setDefault(true);
  ButtonOK->setMinimumWidth(75);
  ButtonCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  ButtonCancel->setAutoDefault(false);
  ButtonCancel->setMinimumWidth(75);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ButtonOK);
  buttons->addWidget(ButtonCancel);
  auto* side = new QVBoxLayout;
  side->addWidget(GroupBoxChat);
  side->addStretch(1);
  side->addLayout(buttons);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 6);
  layout->addWidget(GroupBoxGame, 281);
  layout->addLayout(side, 193);

  // Game group (mode, size, frame rate, shadow, model, fog), chat group, OK, Cancel.
  QWidget* order[] = {RadioGroupMode->button(0),
                      RadioGroupMode->button(1),
                      RadioGroupSize,
                      RadioGroupFrameRate->button(0),
                      RadioGroupFrameRate->button(1),
                      RadioGroupShadow->button(0),
                      RadioGroupShadow->button(1),
                      RadioGroupShadow->button(2),
                      RadioGroupModel->button(0),
                      RadioGroupModel->button(1),
                      RadioGroupFog->button(0),
                      RadioGroupFog->button(1),
                      CheckBoxChatTime,
                      ButtonOK,
                      ButtonCancel};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

  FixToDesignSize(this, QSize(480, 252));
}

QGroupBox* TFormGameOption::AddRadioGroup(const char* objectName, const QString& caption, QButtonGroup*& group,
                                          std::initializer_list<const char*> items) {
  auto* box = new QGroupBox(caption, GroupBoxGame);
  box->setObjectName(QString::fromLatin1(objectName));
  group = new QButtonGroup(box);
  group->setObjectName(QString::fromLatin1(objectName));
  auto* boxLayout = new QVBoxLayout(box);
  boxLayout->setContentsMargins(8, 2, 8, 4);
  boxLayout->setSpacing(0);
  int id = 0;
  for (const char* item : items) {
    auto* radio = new QRadioButton(QString::fromUtf8(item), box);
    group->addButton(radio, id++);
    boxLayout->addWidget(radio);
  }
  return box;
}

void TFormGameOption::SelectIndex(QButtonGroup* group, int index, int count) {
  group->button(ClampIndex(index, count))->setChecked(true);
}

bool TFormGameOption::Execute(int32_t& mode, int32_t& size, int32_t& frameRate, int32_t& shadow, int32_t& model,
                              int32_t& fog, bool& chatTime) {
  // Already open (a nested event loop asked again): the running call owns the
  // fields; refuse rather than reset them under the user.
  if (isVisible()) return false;
  SelectIndex(RadioGroupMode, mode, kModeCount);
  RadioGroupSize->setCurrentIndex(ClampIndex(size, kSizeCount));
  SelectIndex(RadioGroupFrameRate, frameRate, kFrameRateCount);
  SelectIndex(RadioGroupShadow, shadow, kShadowCount);
  SelectIndex(RadioGroupModel, model, kModelCount);
  SelectIndex(RadioGroupFog, fog, kFogCount);
  CheckBoxChatTime->setChecked(chatTime);

  if (exec() != QDialog::Accepted) return false;
  mode = RadioGroupMode->checkedId();
  size = RadioGroupSize->currentIndex();
  frameRate = RadioGroupFrameRate->checkedId();
  shadow = RadioGroupShadow->checkedId();
  model = RadioGroupModel->checkedId();
  fog = RadioGroupFog->checkedId();
  chatTime = CheckBoxChatTime->isChecked();
  return true;
}
