#include "formation/formation_image.h"

#include <QAccessible>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "formation/board_accessible.h"
#include "formation/form_board_name.h"
#include "platform/qt_text.h"

namespace {

QColor Rgb(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// Pixel rectangles as the board computes them: left and top inside, right and
// bottom outside.
QRect FillRect(const FieldRect& s) { return QRect(QPoint(s.left, s.top), QPoint(s.right - 1, s.bottom - 1)); }

}  // namespace

TFormationImage::TFormationImage(QWidget* owner) : TMyControl(owner) {
  InstallBoardAccessibleFactory();
  setObjectName(QStringLiteral("FormationImage"));
  setMouseTracking(true);
  // Every pixel is painted, so Qt need not erase the background of a redraw area.
  setAttribute(Qt::WA_OpaquePaintEvent);

  auto addItem = [this](QMenu* menu, const char* caption, int tag) {
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setData(tag);
    // Queued: the name dialog then runs its loop after the menu has finished, not
    // inside the menu's own event handling.
    connect(
        item, &QAction::triggered, this, [this, tag] { MenuItemClick(tag); }, Qt::QueuedConnection);
  };
  playerMenu_ = new QMenu(this);
  playerMenu_->setObjectName(QStringLiteral("PlayerMenu"));
  addItem(playerMenu_, "FW(&F)", TagFW);
  addItem(playerMenu_, "MF(&M)", TagMF);
  addItem(playerMenu_, "DF(&D)", TagDF);
  addItem(playerMenu_, "GK(&G)", TagGK);
  addItem(playerMenu_, "名前変更(&N)..", TagName);
  opponentMenu_ = new QMenu(this);
  opponentMenu_->setObjectName(QStringLiteral("OpponentMenu"));
  addItem(opponentMenu_, "名前変更(&N)..", TagName);

  formation_.Init(TeamFormation::SupportedTeamSize);
  geometry_.scale = 25;
  QFont f = font();
  f.setPointSize(8);
  setFont(f);
}

TFormationImage::~TFormationImage() = default;

BoardTransform TFormationImage::Transform() const { return BoardTransform(width(), geometry_.scale); }

QRect TFormationImage::SlotScreenArea(int index) const {
  const FormationSlot* slot = formation_.SlotOrNull(index);
  if (slot == nullptr) return {};
  const BoardTransform t = Transform();
  QRect area = FillRect(t.FieldToScreen(RedrawArea(*slot)));
  // A long name or a tall font may reach past the disc: take the label in too.
  area |= LabelBox(*slot);
  return area.adjusted(-1, -1, 1, 1);
}

QRect TFormationImage::LabelBox(const FormationSlot& slot) const {
  const QFontMetrics fm(font());
  const FieldPoint c = Transform().FieldToScreen(FieldPoint{slot.x, slot.y});
  const int w = fm.horizontalAdvance(ToQString(LabelOf(slot)));
  // Centred on the disc: half the label's width to the left, the digits' height
  // centred on the disc's middle row. A label that would run off the board's
  // side (the opponents wait at its right edge) is pushed back inside.
  int left = c.x - w / 2;
  left = std::max(0, std::min(left, width() - w));
  const int baseline = c.y + (fm.capHeight() + 1) / 2;
  return QRect(left, baseline - fm.ascent(), w, fm.height());
}

void TFormationImage::RedrawSlot(int index) {
  const QRect area = SlotScreenArea(index);
  if (area.isEmpty()) return;
  update(area);
  if (QAccessible::isActive()) {
    for (QAccessible::Event type : {QAccessible::NameChanged, QAccessible::DescriptionChanged}) {
      QAccessibleEvent event(this, type);
      event.setChild(index);
      QAccessible::updateAccessibility(&event);
    }
  }
}

void TFormationImage::Paint(QPainter& canvas, const QRect& area) {
  const BoardTransform t = Transform();
  canvas.fillRect(rect(), QColor(64, 128, 64));

  const QRect field = FillRect(t.FieldToScreen(geometry_.field));
  canvas.fillRect(field, QColor(0, 160, 0));
  canvas.setPen(Qt::white);
  canvas.setBrush(Qt::NoBrush);
  canvas.drawRect(field.adjusted(0, 0, -1, -1));
  const FieldRect half = t.FieldToScreen(geometry_.halfwayLine);
  canvas.drawLine(half.left, half.top, half.right - 1, half.bottom);
  for (int end = 0; end < 2; ++end) {
    canvas.drawRect(FillRect(t.FieldToScreen(geometry_.goals[end])).adjusted(0, 0, -1, -1));
    canvas.drawRect(FillRect(t.FieldToScreen(geometry_.goalAreas[end])).adjusted(0, 0, -1, -1));
    canvas.drawRect(FillRect(t.FieldToScreen(geometry_.penaltyAreas[end])).adjusted(0, 0, -1, -1));
  }
  canvas.setRenderHint(QPainter::Antialiasing, true);
  canvas.drawEllipse(QRectF(FillRect(t.FieldToScreen(geometry_.centreCircle))).adjusted(0.5, 0.5, -0.5, -0.5));

  for (int i = 0; i < formation_.SlotCount(); ++i) {
    // A drag step repaints two small areas: discs elsewhere need no drawing.
    if (!SlotScreenArea(i).intersects(area)) continue;
    const FormationSlot& slot = formation_.Slot(i);
    const DiscColours colours = ColoursOf(slot);
    canvas.setRenderHint(QPainter::Antialiasing, true);
    canvas.setPen(Rgb(colours.disc));
    canvas.setBrush(Rgb(colours.disc));
    canvas.drawEllipse(QRectF(FillRect(t.FieldToScreen(DiscSquare(slot)))).adjusted(0.5, 0.5, -0.5, -0.5));

    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(Rgb(colours.label));
    canvas.drawText(LabelBox(slot), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                    ToQString(LabelOf(slot)));
  }
}

void TFormationImage::mousePressEvent(QMouseEvent* e) {
  if (formation_.SlotCount() == 0 || dragSlot_ != -1) return;
  const QPoint pos = e->position().toPoint();
  const FieldPoint p = Transform().ScreenToField(pos.x(), pos.y());
  const int i = HitTest(formation_, p);
  if (i == -1) return;
  if (e->button() == Qt::RightButton) {
    menuSlot_ = i;
    const SlotKind kind = formation_.Slot(i).kind;
    if (kind == SlotKind::Player) {
      playerMenu_->popup(mapToGlobal(pos));
    } else if (kind == SlotKind::Opponent) {
      opponentMenu_->popup(mapToGlobal(pos));
    }
    return;
  }
  SetMouseCapture(true);
  dragSlot_ = i;
  setCursor(Qt::PointingHandCursor);
}

void TFormationImage::mouseMoveEvent(QMouseEvent* e) {
  if (formation_.SlotCount() == 0) return;
  const QPoint pos = e->position().toPoint();
  const FieldPoint raw = Transform().ScreenToField(pos.x(), pos.y());
  const FieldPoint p{SnapToMetre(raw.x), SnapToMetre(raw.y)};

  bool reported = false;
  FieldPoint at;
  if (pos.x() >= 0 && pos.x() < width() && pos.y() >= 0 && pos.y() < height()) {
    if (dragSlot_ == -1) {
      const int i = HitTest(formation_, p);
      if (i == -1) {
        unsetCursor();
      } else {
        setCursor(Qt::PointingHandCursor);
        reported = true;
        at = {formation_.Slot(i).x, formation_.Slot(i).y};
      }
    } else {
      FormationSlot& slot = formation_.Slot(dragSlot_);
      if (slot.x != p.x || slot.y != p.y) {
        update(SlotScreenArea(dragSlot_));  // where it was; the reader hears of the move once, below
        slot.SetPosition(p.x, p.y);
        RedrawSlot(dragSlot_);
      }
      reported = true;
      at = {slot.x, slot.y};
    }
  }
  Q_EMIT OnMouseMove(this, e->modifiers(), reported ? at.x / 10 : -1, reported ? at.y / 10 : -1);
}

void TFormationImage::mouseReleaseEvent(QMouseEvent* /*e*/) {
  SetMouseCapture(false);
  EndDrag();
}

void TFormationImage::CaptureLost() { EndDrag(); }

void TFormationImage::EndDrag() {
  if (dragSlot_ == -1) return;
  const int slot = dragSlot_;
  dragSlot_ = -1;
  SetMouseCapture(false);
  Q_EMIT OnChangeItem(this, slot, true, false, false);
}

bool TFormationImage::EditName(std::string& name) {
  if (nameDialog_.isNull()) nameDialog_ = new TFormBoardName(window());
  return nameDialog_->BoardNameExecute(name);
}

void TFormationImage::MenuItemClick(int tag) {
  if (menuSlot_ == -1 || !formation_.HasSlot(menuSlot_)) return;
  const int slotIndex = menuSlot_;
  bool posTypeChanged = false;
  bool nameChanged = false;
  if (tag >= TagFW && tag <= TagGK) {
    // Only own players carry a position type.
    if (formation_.Slot(slotIndex).kind != SlotKind::Player) return;
    static constexpr uint8_t ByTag[] = {0, PosType::FW, PosType::MF, PosType::DF, PosType::GK};
    posTypeChanged = formation_.Slot(slotIndex).SetPosType(ByTag[tag]);
  } else if (tag == TagName) {
    std::string name = formation_.Slot(slotIndex).name;
    QPointer<TFormationImage> self(this);
    const bool confirmed = EditName(name);
    // The dialog ran a nested event loop: the board may be gone (its room was left).
    if (self.isNull() || !confirmed) return;
    update(SlotScreenArea(slotIndex));  // the old label may be wider than the new one
    formation_.Slot(slotIndex).SetName(name);
    nameChanged = true;
  }
  if (!posTypeChanged && !nameChanged) return;
  RedrawSlot(slotIndex);
  Q_EMIT OnChangeItem(this, slotIndex, false, posTypeChanged, nameChanged);
}
