#pragma once
// A team room's formation as the server keeps it: the live board that members
// share while they have it open, and the stored formation they load and save.
// Slot order is the one every board uses: 0 the ball, 1..9 the own players,
// 10..18 the opponents (9 players per side).

#include <array>
#include <cstdint>

#include "net/net_messages.h"

struct BoardSlot {
  int16_t x = 0;
  int16_t y = 0;
  uint8_t posType = 0;  // 1 GK, 2 DF, 3 MF, 4 FW; players only
  char name[NetDef::SlotNameBytes + 1] = {};
};

class TeamBoard {
 public:
  static constexpr int PlayersPerSide = 9;
  static constexpr int SlotCount = 1 + 2 * PlayersPerSide;
  static constexpr uint8_t AllFields =
      GmFormationInfo::HasPosition | GmFormationInfo::HasPosType | GmFormationInfo::HasName;

  TeamBoard();  // the default layout

  static bool isPlayerSlot(int index) { return index >= 1 && index <= PlayersPerSide; }

  // Applies the changes of one received entry as the flags select them, after
  // making them safe: an index outside the slots is refused (false); positions
  // are kept inside the pitch's surround, a position type only sticks to a
  // player and only as 1..4, names are cut to 4 bytes on a character boundary.
  // `entry` is rewritten to what was applied, so it can be relayed as is.
  bool apply(uint8_t flags, GmFormationInfo::Entry& entry);

  // True when the players stand where a saved formation may have them: exactly
  // one goalkeeper, everyone inside the own half one metre from the lines and
  // outside the square around the centre spot.
  bool passesCheck() const;

  // Every slot as entries with all fields flagged.
  GmFormationInfo::Info asInfo(int16_t sender, int16_t room) const;

  const BoardSlot& slot(int index) const { return slots_[static_cast<size_t>(index)]; }
  bool operator==(const TeamBoard& other) const;

 private:
  std::array<BoardSlot, SlotCount> slots_;
};
