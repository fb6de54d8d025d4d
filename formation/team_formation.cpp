#include "formation/team_formation.h"

#include <algorithm>
#include <cstring>

#include "platform/cp932.h"

const PitchGeometry& ProgramPitchGeometry() {
  static const PitchGeometry geometry;
  return geometry;
}

bool FormationSlot::SetPosType(uint8_t value) {
  if (posType == value) return false;
  posType = value;
  return true;
}

void FormationSlot::SetName(std::string_view text) {
  // A name stops at its terminator, whatever length the caller claims.
  text = text.substr(0, std::min(text.size(), text.find('\0')));
  std::string_view kept = cp932::CutToBytes(text, NameBytes);
  // A lead byte left standing alone at the end is half a character: drop it too.
  if (!kept.empty() && kept.size() == text.size()) {
    size_t pos = 0;
    size_t last = 0;
    while (pos < kept.size()) {
      last = pos;
      pos += cp932::CharLength(kept, pos);
    }
    if (pos - last == 1 && cp932::IsLeadByte(static_cast<uint8_t>(kept[last]))) kept = kept.substr(0, last);
  }
  std::memset(name, 0, sizeof name);
  std::memcpy(name, kept.data(), kept.size());
}

namespace {

struct DefaultPlace {
  uint8_t posType;
  int32_t x;
  int32_t y;
};

constexpr DefaultPlace DefaultLayout[TeamFormation::SupportedTeamSize] = {
    {PosType::GK, 0, 4950},    {PosType::DF, -2100, 3750}, {PosType::DF, 0, 3750},
    {PosType::DF, 2100, 3750}, {PosType::MF, 0, 2900},     {PosType::MF, -1800, 2200},
    {PosType::MF, 1800, 2200}, {PosType::FW, -900, 750},   {PosType::FW, 900, 750},
};

// The opponents wait in a column outside the right touch line.
constexpr int32_t OpponentColumnX = 3700;
constexpr int32_t OpponentColumnStep = 400;

}  // namespace

void TeamFormation::Init(int teamSize) {
  for (auto& slot : slots_) slot.Clear();
  slotCount_ = 0;
  playersPerSide_ = 0;
  if (teamSize != SupportedTeamSize) return;

  slots_[0].kind = SlotKind::Ball;
  for (int n = 1; n <= teamSize; ++n) {
    FormationSlot& player = slots_[n];
    player.kind = SlotKind::Player;
    player.number = n;
    const DefaultPlace& place = DefaultLayout[n - 1];
    player.posType = place.posType;
    player.SetPosition(place.x, place.y);

    FormationSlot& opponent = slots_[teamSize + n];
    opponent.kind = SlotKind::Opponent;
    opponent.number = n;
    opponent.SetPosition(OpponentColumnX, OpponentColumnStep * (n - 1));
  }
  slotCount_ = 1 + 2 * teamSize;
  playersPerSide_ = teamSize;
}

FormationCheck TeamFormation::Check(int& badSlot) const { return Check(badSlot, ProgramPitchGeometry()); }

FormationCheck TeamFormation::Check(int& badSlot, const PitchGeometry& geometry) const {
  // Own half, one metre inside the touch lines, the own goal line and the halfway line.
  constexpr int32_t Margin = 100;
  const int32_t left = geometry.field.left + Margin;
  const int32_t right = geometry.field.right - Margin;
  const int32_t top = geometry.halfwayLine.top + Margin;
  const int32_t bottom = geometry.field.bottom - Margin;
  // Nobody may stand in the square around the centre spot (the circle's box less 2 m a side).
  constexpr int32_t CentreShrink = 200;
  const FieldRect centre{geometry.centreCircle.left + CentreShrink, geometry.centreCircle.top + CentreShrink,
                         geometry.centreCircle.right - CentreShrink, geometry.centreCircle.bottom - CentreShrink};

  int goalkeepers = 0;
  for (int i = 0; i < slotCount_; ++i) {
    const FormationSlot& s = slots_[i];
    if (s.kind != SlotKind::Player) continue;
    if (s.posType == PosType::GK) ++goalkeepers;
    const bool inside = left < s.x && s.x < right && top < s.y && s.y < bottom;
    const bool inCentre = centre.left <= s.x && s.x <= centre.right && centre.top <= s.y && s.y <= centre.bottom;
    if (!inside || inCentre) {
      badSlot = i;
      return FormationCheck::BadPosition;
    }
  }
  return goalkeepers == 1 ? FormationCheck::Ok : FormationCheck::GoalkeeperCount;
}
