#include "chat/room_list_model.h"

#include <algorithm>

#include "platform/cp932.h"

RoomCells CellsOf(const RoomEntry& e) {
  static const std::string passwordMark = cp932::FromUtf8("有り");
  static const std::string teamMark = cp932::FromUtf8("※");
  static const std::string people = cp932::FromUtf8("人");
  RoomCells c;
  if (e.passwordFlag != 0) c.password = passwordMark;
  if (e.teamId != 0) c.team = teamMark;
  c.count = std::to_string(e.memberCount) + people;
  return c;
}

int RoomList2Compare(const RoomEntry& a, const RoomEntry& b) {
  if (a.teamId == 0 && b.teamId != 0) return -1;
  if (a.teamId != 0 && b.teamId == 0) return 1;
  if (a.memberCount > b.memberCount) return -1;
  if (a.memberCount < b.memberCount) return 1;
  return 0;
}

void RoomListModel::Sort() {
  // Stable, so rooms that compare equal keep the order in which they came.
  std::stable_sort(rows_.begin(), rows_.end(),
                   [](const Row& a, const Row& b) { return RoomList2Compare(a.entry, b.entry) < 0; });
}

void RoomListModel::ApplyRoomList(const GmRoomList::Info& info) {
  const int n = std::clamp(info.count, 0, NetDef::MaxList16);
  for (int i = 0; i < n; ++i) {
    const GmRoomList::Entry& in = info.entries[i];
    if (in.name[0] != '\0') {
      Row row{};
      row.entry.room = in.room;
      CopyText(row.entry.name, in.name);
      row.entry.passwordFlag = in.passwordFlag;
      row.entry.teamId = static_cast<int32_t>(in.teamId);
      row.entry.memberCount = 0;
      row.shown = CellsOf(row.entry);
      row.serial = nextSerial_++;
      rows_.push_back(row);
      Sort();
    } else {
      const auto it = std::find_if(rows_.begin(), rows_.end(), [&](const Row& r) { return r.entry.room == in.room; });
      if (it != rows_.end()) rows_.erase(it);
    }
  }
}

bool RoomListModel::ApplyRoomUsers(const GmRoomUsers::Info& info) {
  const int n = std::clamp(info.count, 0, NetDef::MaxList16);
  for (int i = 0; i < n; ++i) {
    for (Row& r : rows_) {
      if (r.entry.room == info.entries[i].room) r.entry.memberCount = info.entries[i].userCount;
    }
  }
  if (n != 0) return false;
  for (Row& r : rows_) r.shown = CellsOf(r.entry);
  Sort();
  return true;
}

std::string RoomListModel::RoomNameOf(int16_t room) const {
  for (const Row& r : rows_) {
    if (r.entry.room == room) return r.entry.name;
  }
  return {};
}

int RoomListModel::IndexOfSerial(uint64_t serial) const {
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].serial == serial) return static_cast<int>(i);
  }
  return -1;
}
