#include "server/team_board.h"

#include <cstring>
#include <string_view>

#include "server/text_cut.h"

namespace {

struct Default {
  uint8_t posType;
  int16_t x;
  int16_t y;
};
constexpr Default DefaultPlayers[TeamBoard::PlayersPerSide] = {
    {1, 0, 4950},     {2, -2100, 3750}, {2, 0, 3750},   {2, 2100, 3750}, {3, 0, 2900},
    {3, -1800, 2200}, {3, 1800, 2200},  {4, -900, 750}, {4, 900, 750},
};

int16_t Clamp(int16_t v, int16_t lo, int16_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

TeamBoard::TeamBoard() {
  for (int k = 0; k < PlayersPerSide; ++k) {
    BoardSlot& player = slots_[static_cast<size_t>(k) + 1];
    player.posType = DefaultPlayers[k].posType;
    player.x = DefaultPlayers[k].x;
    player.y = DefaultPlayers[k].y;
    BoardSlot& opponent = slots_[static_cast<size_t>(PlayersPerSide) + static_cast<size_t>(k) + 1];
    opponent.x = 3700;
    opponent.y = static_cast<int16_t>(400 * k);
  }
}

bool TeamBoard::apply(uint8_t flags, GmFormationInfo::Entry& entry) {
  if (entry.index >= SlotCount) return false;
  BoardSlot& s = slots_[entry.index];
  if (flags & GmFormationInfo::HasPosition) {
    // The surround of the pitch; nothing on a board lies beyond it.
    s.x = entry.x = Clamp(entry.x, -4000, 4000);
    s.y = entry.y = Clamp(entry.y, -5750, 5750);
  }
  if (flags & GmFormationInfo::HasPosType) {
    if (isPlayerSlot(entry.index) && entry.posType >= 1 && entry.posType <= 4) {
      s.posType = entry.posType;
    }
    entry.posType = s.posType;
  }
  if (flags & GmFormationInfo::HasName) {
    const std::string cut = WholeChars(entry.name, NetDef::SlotNameBytes);
    std::memset(s.name, 0, sizeof s.name);
    std::memcpy(s.name, cut.data(), cut.size());
    std::memcpy(entry.name, s.name, sizeof s.name);
  }
  return true;
}

bool TeamBoard::passesCheck() const {
  int goalkeepers = 0;
  for (int i = 1; i <= PlayersPerSide; ++i) {
    const BoardSlot& s = slots_[static_cast<size_t>(i)];
    if (s.posType == 1) ++goalkeepers;
    if (!(s.x > -3300 && s.x < 3300 && s.y > 100 && s.y < 5150)) return false;
    if (s.x >= -715 && s.x <= 715 && s.y >= -715 && s.y <= 715) return false;
  }
  return goalkeepers == 1;
}

GmFormationInfo::Info TeamBoard::asInfo(int16_t sender, int16_t room) const {
  GmFormationInfo::Info info;
  info.sender = sender;
  info.room = room;
  info.flags = static_cast<uint8_t>(PlayersPerSide | AllFields);
  info.count = SlotCount;
  for (int i = 0; i < SlotCount; ++i) {
    const BoardSlot& s = slots_[static_cast<size_t>(i)];
    GmFormationInfo::Entry& e = info.entries[i];
    e.index = static_cast<uint8_t>(i);
    e.x = s.x;
    e.y = s.y;
    e.posType = s.posType;
    std::memcpy(e.name, s.name, sizeof e.name);
  }
  return info;
}

bool TeamBoard::operator==(const TeamBoard& other) const {
  for (int i = 0; i < SlotCount; ++i) {
    const BoardSlot& a = slots_[static_cast<size_t>(i)];
    const BoardSlot& b = other.slots_[static_cast<size_t>(i)];
    if (a.x != b.x || a.y != b.y || a.posType != b.posType || std::strcmp(a.name, b.name) != 0) return false;
  }
  return true;
}
