#pragma once
// The chat rooms to enter after login, in order: a fixed table of 500 entries
// and a count. Filled from the settings file at start-up and from the open chat
// tabs at exit; a new chat tab takes its talk-sound setting from the entry of
// the same name.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "session/remembered_room.h"

class RememberedRooms {
 public:
  static constexpr int Capacity = 500;

  // The index of the entry named name: the existing one (left unchanged) when
  // the name is already listed, else a new last entry. -1 when the list is full.
  int AddRoom(std::string_view name, std::string_view password, int32_t teamId, bool chatSound);
  // Appends without the duplicate test (the settings file may list a name
  // twice, and then both are entered). -1 when the list is full.
  int Append(const RememberedRoom& room);
  // The index of the first entry whose name equals name byte for byte, or -1.
  int FindRoom(std::string_view name) const;

  int Count() const { return count_; }
  bool Empty() const { return count_ == 0; }
  void Clear() { count_ = 0; }
  // The entry at index; throws std::out_of_range outside 0..Count()-1.
  const RememberedRoom& At(int index) const;

  const RememberedRoom* begin() const { return entries_.data(); }
  const RememberedRoom* end() const { return entries_.data() + count_; }

 private:
  std::array<RememberedRoom, Capacity> entries_{};
  int count_ = 0;
};

// Rebuilds rooms from the open tabs, in tab order: the first tab of a name wins;
// a page that is not remembered (IsRemembered) is skipped; the private-talk tab
// counts like any room.
void CollectOpenRooms(const std::vector<RememberedRoom>& tabs, RememberedRooms& rooms);
