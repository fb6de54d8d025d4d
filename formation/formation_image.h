#pragma once
// The formation board: draws the pitch and the discs of its TeamFormation and
// lets the user drag discs (any button but the right one) and, with a right
// click, set a player's position type or a disc's name. It reports the pointer
// as a field position in tenths of a metre and every change of a slot; it knows
// nothing of the network.

#include <QPointer>

#include "formation/board_transform.h"
#include "formation/my_control.h"
#include "formation/team_formation.h"

class QMenu;
class TFormBoardName;

class TFormationImage final : public TMyControl {
  Q_OBJECT
 public:
  // Menu item tags.
  enum MenuTag { TagFW = 1, TagMF = 2, TagDF = 3, TagGK = 4, TagName = 5 };

  explicit TFormationImage(QWidget* owner = nullptr);
  ~TFormationImage() override;

  TeamFormation& Formation() { return formation_; }
  const TeamFormation& Formation() const { return formation_; }
  const PitchGeometry& Geometry() const { return geometry_; }
  BoardTransform Transform() const;

  // Repaints the area of one slot (nothing for an index outside the slots) and
  // tells a screen reader that the disc changed.
  void RedrawSlot(int index);
  // The area a slot's disc and label take on the board; empty outside the slots.
  QRect SlotScreenArea(int index) const;

  int DragSlot() const { return dragSlot_; }
  int MenuSlot() const { return menuSlot_; }
  QMenu* PlayerMenu() const { return playerMenu_; }
  QMenu* OpponentMenu() const { return opponentMenu_; }

  // Runs a menu item's action on menuSlot, as a click on the item does (a click
  // reaches it from the event loop, after the menu has closed). The name item
  // opens the modal player-name dialog, which the board creates on first use.
  void MenuItemClick(int tag);

 Q_SIGNALS:
  // The pointer's field position in tenths of a metre; -1, -1 when it is over no
  // disc (or outside the board).
  void OnMouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
  // A slot changed: after every press-and-release on a disc (also without
  // movement), when a drag ends because the mouse was lost, and after a menu
  // choice that changed the position type or confirmed a name.
  void OnChangeItem(QObject* Sender, int nItem, bool bChangePos, bool bChangePosType, bool bChangeName);

 protected:
  void Paint(QPainter& canvas, const QRect& area) override;
  void CaptureLost() override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QRect LabelBox(const FormationSlot& slot) const;
  void EndDrag();
  bool EditName(std::string& name);

  PitchGeometry geometry_;
  TeamFormation formation_;
  int dragSlot_ = -1;
  int menuSlot_ = -1;
  QMenu* playerMenu_ = nullptr;
  QMenu* opponentMenu_ = nullptr;
  QPointer<TFormBoardName> nameDialog_;
};
