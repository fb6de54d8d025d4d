#include "formation/form_formation.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "formation/formation_image.h"
#include "formation/formation_sync.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

namespace {

QLabel* AddLabel(QWidget* parent, const char* text, const QColor& colour, int x, int y) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setTextFormat(Qt::PlainText);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, colour);
  label->setPalette(p);
  label->move(x, y);
  label->adjustSize();
  return label;
}

// Drawn for the screen's device pixel ratio, so it stays sharp at any scale.
QPixmap DiscSwatch(const QColor& colour, qreal scale) {
  QPixmap pixmap(qRound(11 * scale), qRound(11 * scale));
  pixmap.setDevicePixelRatio(scale);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(64, 64, 64));
  p.setBrush(colour);
  p.drawEllipse(QRectF(0.5, 0.5, 10, 10));
  return pixmap;
}

}  // namespace

TFormFormation::TFormFormation(LobbySession& session, QWidget* owner, QWidget* centre)
    : QWidget(owner, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                         Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      session_(session),
      centre_(centre) {
  setObjectName(QStringLiteral("FormFormation"));
  setWindowTitle(QString::fromUtf8("フォーメーション"));
  setFixedSize(ClientWidth, ClientHeight);
  // A closed window is never shown again: release it.
  setAttribute(Qt::WA_DeleteOnClose);
  BuildLayout();
  connect(board_, &TFormationImage::OnMouseMove, this, &TFormFormation::BoardMouseMove);
  connect(board_, &TFormationImage::OnChangeItem, this, &TFormFormation::BoardChangeItem);
}

// Destroyed with its frame (the room was left): nothing is sent. The board may be
// mid-drag and would report the drag when it is hidden during destruction; by
// then this window is half destroyed, so it stops listening first.
TFormFormation::~TFormFormation() { board_->disconnect(this); }

void TFormFormation::BuildLayout() {
  PanelLeft = new QFrame(this);
  PanelLeft->setObjectName(QStringLiteral("PanelLeft"));
  PanelLeft->setGeometry(0, 0, ClientWidth, 445);
  PanelLeft->setFrameStyle(QFrame::Panel | QFrame::Raised);
  PanelLeft->setLineWidth(1);
  auto* fill = new QVBoxLayout(PanelLeft);
  fill->setContentsMargins(0, 0, 0, 0);  // the panel's bevel is its one-pixel frame
  board_ = new TFormationImage(PanelLeft);
  fill->addWidget(board_);

  Panel3 = new QFrame(this);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setGeometry(0, ClientHeight - 29, ClientWidth, 29);
  Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);

  TextPos = new QLabel(Panel3);
  TextPos->setObjectName(QStringLiteral("TextPos"));
  TextPos->setGeometry(8, 5, 85, 16);
  TextPos->setAlignment(Qt::AlignCenter);
  TextPos->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  TextPos->setTextFormat(Qt::PlainText);

  CheckExtra = new QCheckBox(QString::fromUtf8("拡張メニュー(&E)"), Panel3);
  CheckExtra->setObjectName(QStringLiteral("CheckExtra"));
  CheckExtra->move(100, 4);
  CheckExtra->resize(136, 21);
  // The panel follows the box, whether the user or the program changes it.
  connect(CheckExtra, &QCheckBox::toggled, this, &TFormFormation::CheckExtraClick);

  ButtonClose = new QPushButton(QString::fromUtf8("閉じる(&C)"), Panel3);
  ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
  ButtonClose->setGeometry(240, 4, 75, 21);
  connect(ButtonClose, &QPushButton::clicked, this, &QWidget::close);

  PanelExtra = new QFrame(this);
  PanelExtra->setObjectName(QStringLiteral("PanelExtra"));
  PanelExtra->setGeometry(0, Panel3->y() - 70, ClientWidth, 70);
  PanelExtra->setFrameStyle(QFrame::Panel | QFrame::Raised);
  PanelExtra->setAutoFillBackground(true);
  PanelExtra->hide();

  // The panel's texts are a size smaller, so both help lines and the long button
  // captions fit the window's fixed width.
  QFont small = PanelExtra->font();
  small.setPointSize(8);
  PanelExtra->setFont(small);

  // The legend: a disc of each colour, then its text in that colour. Pure yellow
  // text cannot be read on the window's light grey, so the opponents' text is a
  // dark yellow; the disc beside it shows the real colour.
  struct Legend {
    const char* text;
    QColor disc;
    QColor ink = {};  // the disc's colour when not set
  };
  const Legend legends[] = {{"赤－FW", QColor(255, 0, 0)},
                            {"桃－MF", QColor(255, 0, 255)},
                            {"青－DF", QColor(0, 0, 255)},
                            {"黒－GK", QColor(0, 0, 0)},
                            {"黄－敵", QColor(255, 255, 0), QColor(150, 120, 0)}};
  int x = 6;
  for (const Legend& l : legends) {
    auto* swatch = new QLabel(PanelExtra);
    swatch->setPixmap(DiscSwatch(l.disc, devicePixelRatioF()));
    swatch->setGeometry(x, 5, 11, 11);
    QLabel* label = AddLabel(PanelExtra, l.text, l.ink.isValid() ? l.ink : l.disc, x + 13, 3);
    x += 13 + label->width() + 10;
  }
  const QColor text = palette().color(QPalette::WindowText);
  AddLabel(PanelExtra, "左ボタンドラッグ－選手移動", text, 6, 22);
  AddLabel(PanelExtra, "右ボタンクリック－種別設定", text, 166, 22);

  ButtonLoad = new QPushButton(QString::fromUtf8("チームフォーメーション読込"), PanelExtra);
  ButtonLoad->setObjectName(QStringLiteral("ButtonLoad"));
  ButtonLoad->setGeometry(4, 40, 153, 25);
  connect(ButtonLoad, &QPushButton::clicked, this, &TFormFormation::ButtonLoadClick);
  ButtonSave = new QPushButton(QString::fromUtf8("チームフォーメーション保存"), PanelExtra);
  ButtonSave->setObjectName(QStringLiteral("ButtonSave"));
  ButtonSave->setGeometry(165, 40, 153, 25);
  connect(ButtonSave, &QPushButton::clicked, this, &TFormFormation::ButtonSaveClick);
  PanelExtra->raise();
}

void TFormFormation::CentreOn(QWidget* window) {
  if (window == nullptr) return;
  const QRect target = window->frameGeometry();
  move(target.center() - QPoint(width() / 2, height() / 2));
}

template <class Info>
LobbySession::Subscription TFormFormation::SubscribeRoom(void (TFormFormation::*handler)(const Info&)) {
  using M = typename MessageOf<Info>::type;
  return session_.subscribe<M>([this, handler](const Info& info) {
    if (info.room == roomNumber_) (this->*handler)(info);
  });
}

void TFormFormation::Open(const std::string& roomName, int16_t roomNumber) {
  roomNumber_ = roomNumber;
  QString caption = ToQString(roomName) + QString::fromUtf8(" - フォーメーション盤");
  // "[*]" in a title is Qt's modified-mark placeholder; a room name may hold it literally.
  caption.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
  setWindowTitle(caption);
  QWidget* centre = centre_;
  if (centre == nullptr && parentWidget() != nullptr) centre = parentWidget()->window();
  CentreOn(centre);
  show();
  // The messages of this room, from the session straight to this window.
  subscriptions_.push_back(SubscribeRoom(&TFormFormation::RecvFormationAOpen));
  subscriptions_.push_back(SubscribeRoom(&TFormFormation::RecvFormationInfo));
  subscriptions_.push_back(SubscribeRoom(&TFormFormation::RecvFormationFile));
  GmFormationOpen::Info info;
  info.room = roomNumber_;
  session_.send(info);
}

void TFormFormation::RoomLeft() { subscriptions_.clear(); }

void TFormFormation::closeEvent(QCloseEvent* e) {
  e->accept();
  if (closing_) return;
  closing_ = true;
  GmFormationClose::Info info;
  info.room = roomNumber_;
  session_.send(info);
  Q_EMIT OnClose(this);
}

void TFormFormation::BoardMouseMove(QObject* /*Sender*/, Qt::KeyboardModifiers /*Shift*/, int X, int Y) {
  if (X == -1 && Y == -1) {
    TextPos->clear();
  } else {
    TextPos->setText(QStringLiteral("%1,%2").arg(X).arg(Y));
  }
}

void TFormFormation::BoardChangeItem(QObject* /*Sender*/, int nItem, bool bChangePos, bool bChangePosType,
                                     bool bChangeName) {
  const TeamFormation& formation = board_->Formation();
  // A drag cut short by the window closing is not sent after GmFormationClose.
  if (closing_ || !formation.HasSlot(nItem)) return;
  session_.send(
      MakeSlotChange(formation, session_.clientId(), roomNumber_, nItem, bChangePos, bChangePosType, bChangeName));
}

void TFormFormation::CheckExtraClick() { PanelExtra->setVisible(CheckExtra->isChecked()); }

void TFormFormation::SendFormationFile(uint8_t action) {
  GmFormationFile::Info info;
  info.action = action;
  info.result = 0;
  info.room = roomNumber_;
  info.playersPerSide = static_cast<uint8_t>(board_->Formation().PlayersPerSide());
  info.reserved = 0;
  session_.send(info);
}

void TFormFormation::ButtonLoadClick() {
  SendFormationFile(GmFormationFile::ActionLoad);
  CheckExtra->setChecked(false);
}

void TFormFormation::ButtonSaveClick() {
  CheckExtra->setChecked(false);
  int badSlot = -1;
  const TeamFormation& formation = board_->Formation();
  const FormationCheck result = formation.Check(badSlot);
  const std::string error = CheckErrorText(formation, result, badSlot);
  if (!error.empty()) {
    Platform::current().errorBox(this, ToQString(error));
    return;
  }
  SendFormationFile(GmFormationFile::ActionSave);
}

void TFormFormation::RecvFormationAOpen(const GmFormationAOpen::Info& info) {
  if (closing_ || info.result == 0) return;
  QPointer<TFormFormation> self(this);
  Platform::current().errorBox(this, ToQString(OpenRefusedText()));
  // The box ran a nested event loop: the window may have been closed or destroyed.
  if (self.isNull() || closing_) return;
  close();
}

void TFormFormation::RecvFormationInfo(const GmFormationInfo::Info& info) {
  if (closing_) return;
  ApplyFormationInfo(board_->Formation(), info, [this](int index) { board_->RedrawSlot(index); });
}

void TFormFormation::RecvFormationFile(const GmFormationFile::Info& info) {
  if (closing_) return;
  const FormationAnswerBox box = FileAnswerBox(info.action, info.result);
  switch (box.kind) {
    case FormationAnswerBox::None:
      break;
    case FormationAnswerBox::Information:
      Platform::current().informationBox(this, ToQString(box.caption), ToQString(box.text));
      break;
    case FormationAnswerBox::Error:
      Platform::current().errorBox(this, ToQString(box.text));
      break;
  }
}
