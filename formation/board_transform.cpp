#include "formation/board_transform.h"

int32_t SnapToMetre(int32_t v) {
  constexpr int32_t Metre = 100;
  // Floor division of v + 50 gives "halfway goes up" on both sides of zero.
  const int64_t shifted = static_cast<int64_t>(v) + Metre / 2;
  int64_t q = shifted / Metre;
  if (shifted % Metre != 0 && shifted < 0) --q;
  return static_cast<int32_t>(q * Metre);
}

FieldRect DiscSquare(const FormationSlot& slot) {
  return {slot.x - DiscRadius, slot.y - DiscRadius, slot.x + DiscRadius, slot.y + DiscRadius};
}

FieldRect RedrawArea(const FormationSlot& slot) {
  FieldRect r = DiscSquare(slot);
  r.left -= 2 * DiscRadius;
  r.right += 2 * DiscRadius;
  return r;
}

int HitTest(const TeamFormation& formation, FieldPoint p) {
  for (int i = 0; i < formation.SlotCount(); ++i) {
    const FieldRect r = DiscSquare(formation.Slot(i));
    if (r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom) return i;
  }
  return -1;
}

DiscColours ColoursOf(const FormationSlot& slot) {
  constexpr uint32_t White = 0xFFFFFF;
  switch (slot.kind) {
    case SlotKind::Ball:
      return {White, White};
    case SlotKind::Opponent:
      return {0xFFFF00, 0x000000};
    case SlotKind::Player:
      switch (slot.posType) {
        case PosType::GK:
          return {0x000000, White};
        case PosType::DF:
          return {0x0000FF, White};
        case PosType::MF:
          return {0xFF00FF, White};
        case PosType::FW:
          return {0xFF0000, White};
        default:
          return {GreyDisc, White};
      }
    case SlotKind::Empty:
      break;
  }
  return {GreyDisc, White};
}

std::string LabelOf(const FormationSlot& slot) {
  // name is zero-terminated within its array; never read past it.
  size_t n = 0;
  while (n < sizeof slot.name && slot.name[n] != '\0') ++n;
  return std::to_string(slot.number) + std::string(slot.name, n);
}
