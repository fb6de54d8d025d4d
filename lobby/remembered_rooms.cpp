#include "lobby/remembered_rooms.h"

#include <stdexcept>

int RememberedRooms::AddRoom(std::string_view name, std::string_view password, int32_t teamId, bool chatSound) {
  if (count_ >= Capacity) return -1;
  const int found = FindRoom(name);
  if (found >= 0) return found;
  return Append(RememberedRoom{0, std::string(name), std::string(password), teamId, chatSound});
}

int RememberedRooms::Append(const RememberedRoom& room) {
  if (count_ >= Capacity) return -1;
  entries_[static_cast<size_t>(count_)] = room;
  return count_++;
}

int RememberedRooms::FindRoom(std::string_view name) const {
  for (int i = 0; i < count_; ++i) {
    if (entries_[static_cast<size_t>(i)].Name == name) return i;
  }
  return -1;
}

const RememberedRoom& RememberedRooms::At(int index) const {
  if (index < 0 || index >= count_) throw std::out_of_range("remembered room index out of range");
  return entries_[static_cast<size_t>(index)];
}

void CollectOpenRooms(const std::vector<RememberedRoom>& tabs, RememberedRooms& rooms) {
  rooms.Clear();
  for (const RememberedRoom& tab : tabs) {
    if (IsRemembered(tab)) rooms.AddRoom(tab.Name, tab.Password, tab.TeamID, tab.ChatSound);
  }
}
