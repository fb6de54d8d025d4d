#include "formation/board_accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <vector>

#include "formation/board_transform.h"
#include "formation/formation_image.h"
#include "platform/accessible_factory.h"
#include "platform/qt_text.h"

QString DiscAccessibleName(const FormationSlot& slot) {
  if (slot.kind == SlotKind::Ball) return QStringLiteral("ボール");
  const std::string label = LabelOf(slot);
  const std::string number = std::to_string(slot.number);
  // The label is the number with the name straight after it; a reader wants a pause.
  if (label.size() == number.size()) return ToQString(number);
  return ToQString(number) + QLatin1Char(' ') + ToQString(label.substr(number.size()));
}

namespace {

// What the disc is, as a reader says it first.
QString WhatTheDiscIs(const FormationSlot& slot) {
  static const char* const kPositions[] = {"GK", "DF", "MF", "FW"};  // PosType 1..4
  switch (slot.kind) {
    case SlotKind::Ball:
      return QStringLiteral("ボール");
    case SlotKind::Opponent:
      return QStringLiteral("相手");
    case SlotKind::Player:
      if (slot.posType >= PosType::GK && slot.posType <= PosType::FW) {
        return QString::fromLatin1(kPositions[slot.posType - PosType::GK]);
      }
      return QStringLiteral("ポジション %1").arg(slot.posType);  // a type only the server can send
    case SlotKind::Empty:
      break;
  }
  return {};
}

}  // namespace

QString DiscAccessibleDescription(const FormationSlot& slot) {
  return QStringLiteral("%1、X %2、Y %3").arg(WhatTheDiscIs(slot)).arg(slot.x / 10).arg(slot.y / 10);
}

namespace {

// One disc; lives while the board's accessible view lives (it deletes its discs).
class DiscAccessible final : public QAccessibleInterface {
 public:
  DiscAccessible(TFormationImage* board, int index) : board_(board), index_(index) {}

  bool isValid() const override { return !board_.isNull() && board_->Formation().HasSlot(index_); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return board_.isNull() ? nullptr : board_->window()->windowHandle(); }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(board_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QAccessible::Role role() const override { return QAccessible::Graphic; }
  QAccessible::State state() const override {
    QAccessible::State s;
    const TFormationImage* board = board_.data();
    s.invisible = board == nullptr || !board->isVisible();
    return s;
  }
  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    const FormationSlot& slot = board_->Formation().Slot(index_);
    if (t == QAccessible::Name) return DiscAccessibleName(slot);
    if (t == QAccessible::Description) return DiscAccessibleDescription(slot);
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return {};
    const QRect area = board_->SlotScreenArea(index_);
    return QRect(board_->mapToGlobal(area.topLeft()), area.size());
  }

 private:
  QPointer<TFormationImage> board_;
  int index_;
};

class BoardAccessible final : public QAccessibleWidget {
 public:
  explicit BoardAccessible(TFormationImage* board) : QAccessibleWidget(board, QAccessible::Canvas) {}
  ~BoardAccessible() override {
    for (QAccessible::Id id : discs_) QAccessible::deleteAccessibleInterface(id);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return QStringLiteral("フォーメーション");
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return Board()->Formation().SlotCount(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    if (discs_.size() <= static_cast<size_t>(index)) discs_.resize(static_cast<size_t>(index) + 1, 0);
    QAccessible::Id& id = discs_[static_cast<size_t>(index)];
    if (id == 0) id = QAccessible::registerAccessibleInterface(new DiscAccessible(Board(), index));
    return QAccessible::accessibleInterface(id);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (size_t i = 0; i < discs_.size(); ++i) {
      if (discs_[i] != 0 && QAccessible::accessibleInterface(discs_[i]) == child) return static_cast<int>(i);
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    // The disc a click at that point would take.
    const QPoint at = Board()->mapFromGlobal(QPoint(x, y));
    const int i = HitTest(Board()->Formation(), Board()->Transform().ScreenToField(at.x(), at.y()));
    return i == -1 ? nullptr : child(i);
  }

 private:
  TFormationImage* Board() const { return static_cast<TFormationImage*>(widget()); }
  mutable std::vector<QAccessible::Id> discs_;  // 0 until a reader asks for the disc
};

}  // namespace

void InstallBoardAccessibleFactory() { InstallAccessibleFactory<TFormationImage, BoardAccessible>(); }
