#pragma once
// The formation of a team room's board: the pitch in field units (one unit is
// one centimetre, origin at the centre spot, y growing towards the own goal at
// the bottom), the discs on it and the check a formation must pass before the
// server is asked to store it. Plain data; the board draws it, the window sends
// and applies it.

#include <cstdint>
#include <string_view>

// A rectangle in field units: left, top, right, bottom.
struct FieldRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend bool operator==(const FieldRect&, const FieldRect&) = default;
};

struct PitchGeometry {
  int32_t scale = 25;                            // field units per screen pixel on a board
  FieldRect outer{-4000, -5750, 4000, 5750};     // pitch and surround; neither drawn nor checked
  FieldRect field{-3400, -5250, 3400, 5250};     // touch lines and goal lines
  FieldRect centreCircle{-915, -915, 915, 915};  // box of the 9.15 m circle
  FieldRect halfwayLine{-3400, 0, 3400, 0};      // two end points
  FieldRect goals[2]{{-366, -5494, 366, -5250}, {-366, 5250, 366, 5494}};
  FieldRect goalAreas[2]{{-916, -5250, 916, -4700}, {-916, 4700, 916, 5250}};
  FieldRect penaltyAreas[2]{{-2016, -5250, 2016, -3600}, {-2016, 3600, 2016, 5250}};
};

// The program-wide geometry the check reads; each board draws with its own copy.
const PitchGeometry& ProgramPitchGeometry();

enum class SlotKind : uint8_t { Empty = 0, Ball = 1, Player = 2, Opponent = 3 };

// Position type of an own player; 0 for the ball and the opponents. A value
// outside 1..4 can only come from the server and is kept as it came.
namespace PosType {
inline constexpr uint8_t None = 0;
inline constexpr uint8_t GK = 1;
inline constexpr uint8_t DF = 2;
inline constexpr uint8_t MF = 3;
inline constexpr uint8_t FW = 4;
}  // namespace PosType

enum class FormationCheck : int { Ok = 0, GoalkeeperCount = 1, BadPosition = 2 };

struct FormationSlot {
  static constexpr int NameBytes = 4;

  SlotKind kind = SlotKind::Empty;
  uint8_t posType = PosType::None;
  int32_t number = 0;
  char name[NameBytes + 1] = {};  // code page 932, zero-terminated
  int32_t x = 0;
  int32_t y = 0;

  void SetPosition(int32_t newX, int32_t newY) {
    x = newX;
    y = newY;
  }
  // False (and nothing stored) when the slot already has this value.
  bool SetPosType(uint8_t value);
  // Keeps at most 4 bytes and never the first half of a double-byte character.
  void SetName(std::string_view text);
  void Clear() { *this = FormationSlot{}; }
};

class TeamFormation {
 public:
  static constexpr int Capacity = 23;
  static constexpr int SupportedTeamSize = 9;

  // Builds the ball, the own players in their default layout and the opponents'
  // column beside the right touch line. Only a team of 9 is supported; any other
  // size leaves the formation without slots.
  void Init(int teamSize);

  // Walks the own players in slot order; the first misplaced one ends the walk.
  // badSlot is set only for BadPosition.
  FormationCheck Check(int& badSlot) const;
  FormationCheck Check(int& badSlot, const PitchGeometry& geometry) const;

  int SlotCount() const { return slotCount_; }
  int PlayersPerSide() const { return playersPerSide_; }
  bool HasSlot(int index) const { return index >= 0 && index < slotCount_; }
  // index must satisfy HasSlot; callers with outside input check first.
  FormationSlot& Slot(int index) { return slots_[index]; }
  const FormationSlot& Slot(int index) const { return slots_[index]; }
  // nullptr for an index outside the slots in use.
  FormationSlot* SlotOrNull(int index) { return HasSlot(index) ? &slots_[index] : nullptr; }
  const FormationSlot* SlotOrNull(int index) const { return HasSlot(index) ? &slots_[index] : nullptr; }

 private:
  FormationSlot slots_[Capacity];
  int32_t slotCount_ = 0;
  int32_t playersPerSide_ = 0;
};
