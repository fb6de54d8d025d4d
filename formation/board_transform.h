#pragma once
// The board's arithmetic, free of widgets: field units to pixels and back (pixel
// row 220 is the halfway line whatever the board's height), snapping to whole
// metres, hit-testing in slot order, disc and redraw squares, disc colours and
// labels.

#include <cstdint>
#include <string>

#include "formation/team_formation.h"

struct FieldPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const FieldPoint&, const FieldPoint&) = default;
};

class BoardTransform {
 public:
  static constexpr int OriginRow = 220;

  // width: the board's width in pixels; scale: field units per pixel.
  BoardTransform(int width, int32_t scale) : halfWidth_(width / 2), scale_(scale > 0 ? scale : 1) {}

  // Integer divisions truncate toward zero.
  FieldPoint FieldToScreen(FieldPoint p) const { return {p.x / scale_ + halfWidth_, p.y / scale_ + OriginRow}; }
  FieldRect FieldToScreen(const FieldRect& r) const {
    return {r.left / scale_ + halfWidth_, r.top / scale_ + OriginRow, r.right / scale_ + halfWidth_,
            r.bottom / scale_ + OriginRow};
  }
  FieldPoint ScreenToField(int sx, int sy) const { return {(sx - halfWidth_) * scale_, (sy - OriginRow) * scale_}; }

 private:
  int halfWidth_;
  int32_t scale_;
};

// The nearest multiple of 100 (one metre); exactly halfway goes to the greater.
int32_t SnapToMetre(int32_t v);

// A disc is the square of 3.4 m around its slot's position.
inline constexpr int32_t DiscRadius = 170;
FieldRect DiscSquare(const FormationSlot& slot);
// The disc square widened by 3.4 m to the left and to the right (room for the label).
FieldRect RedrawArea(const FormationSlot& slot);

// The first slot in slot order whose disc square holds the point (left and top
// edges inside, right and bottom outside); -1 when none.
int HitTest(const TeamFormation& formation, FieldPoint p);

struct DiscColours {
  uint32_t disc;   // 0xRRGGBB
  uint32_t label;  // 0xRRGGBB
};
inline constexpr uint32_t GreyDisc = 0x808080;
// Ball white, GK black, DF blue, MF fuchsia, FW red, opponents yellow with a
// black label; a player whose position type is not one of the four is grey.
DiscColours ColoursOf(const FormationSlot& slot);

// The disc's number in decimal followed by its name (code page 932).
std::string LabelOf(const FormationSlot& slot);
