#include "dialogs/form_update.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_frame.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {
  // The address comes from a settings file: never let it become markup.
  setTextFormat(Qt::PlainText);
  QFont f = font();
  f.setBold(true);
  f.setUnderline(true);
  setFont(f);
  ApplyLinkColor();
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TLinkLabel::ApplyLinkColor() {
  // Blue as a link has always been, lightened within its hue on a dark window.
  const QColor link = ReadableOn(QColor(0, 0, 255), palette().color(QPalette::Window));
  // Setting the same colour again would not tell of a change; another would,
  // and this runs once more to find it already set.
  if (palette().color(QPalette::WindowText) == link) return;
  QPalette p = palette();
  p.setColor(QPalette::WindowText, link);
  setPalette(p);
}

void TLinkLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) ApplyLinkColor();
}

void TLinkLabel::setAddress(const QString& address) {
  address_ = address;
  setToolTip(address);
  updateShownText();
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    Q_EMIT clicked();
    return;
  }
  QLabel::mouseReleaseEvent(event);
}

void TLinkLabel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space) {
    Q_EMIT clicked();
    return;
  }
  QLabel::keyPressEvent(event);
}

void TLinkLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  updateShownText();
}

void TLinkLabel::updateShownText() {
  // A long address is shortened in the middle rather than cut off at the edge;
  // the tool tip and the click keep the whole of it.
  setText(fontMetrics().elidedText(address_, Qt::ElideMiddle, qMax(0, contentsRect().width())));
}

TFormUpdate::TFormUpdate(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormUpdate"));
  setWindowTitle(QStringLiteral("バージョンアップ告知"));
  SetDialogBorder(this);

  auto* label1 = new QLabel(
      QStringLiteral(
          "プログラムのバージョンアップが必要です。下記のURLより新しいプログラムをダウンロードしてください。"),
      this);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setWordWrap(true);

  auto* groupBox1 = new QGroupBox(QStringLiteral("ダウンロードURL"), this);
  groupBox1->setObjectName(QStringLiteral("GroupBox1"));
  LabelURL = new TLinkLabel(groupBox1);
  LabelURL->setObjectName(QStringLiteral("LabelURL"));
  LabelURL->setAddress(QStringLiteral("url:"));
  auto* groupLayout = new QVBoxLayout(groupBox1);
  groupLayout->setContentsMargins(9, 4, 9, 6);
  groupLayout->addWidget(LabelURL);

  ButtonOk = new QPushButton(QStringLiteral("OK"), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setDefault(true);
  ButtonOk->setMinimumWidth(75);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ButtonOk);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 14, 12);
  layout->setSpacing(8);
  layout->addWidget(label1);
  layout->addWidget(groupBox1);
  layout->addStretch(1);
  layout->addLayout(buttons);

  setTabOrder(ButtonOk, LabelURL);

  connect(LabelURL, &TLinkLabel::clicked, this, &TFormUpdate::LabelURLClick);
  // OK, Enter and Escape all end the notice the same way.
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);

  FixToDesignSize(this, QSize(319, 151));
}

void TFormUpdate::Execute(const std::string& downloadAddress) {
  LabelURL->setAddress(ToQString(downloadAddress));
  // A second notice while one is open only refreshes its address.
  if (isVisible()) return;
  ButtonOk->setFocus(Qt::OtherFocusReason);
  exec();
}

void TFormUpdate::reject() { accept(); }

void TFormUpdate::LabelURLClick() {
  const QString address = LabelURL->address();
  if (!address.isEmpty()) Platform::current().openUrl(address);
}
