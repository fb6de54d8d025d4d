#pragma once
// The rows of the room list window: one RoomEntry per room the server announced,
// kept in display order, with the texts each row shows. Member counts reach the
// entries at once but the shown cells only when the server ends a run of counts
// with an empty GmRoomUsers; that message also re-sorts the rows.
// Texts are code page 932 bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "net/net_messages.h"

struct RoomEntry {
  int16_t room = 0;
  char name[NetDef::NameBytes + 1] = {};
  uint8_t passwordFlag = 0;
  int32_t teamId = 0;
  int32_t memberCount = 0;
};

// The three cells after the name: "有り" for a password, "※" for a team room,
// the member count followed by "人".
struct RoomCells {
  std::string password;
  std::string team;
  std::string count;
  friend bool operator==(const RoomCells&, const RoomCells&) = default;
};

RoomCells CellsOf(const RoomEntry& e);

// Row order: rooms without team first, then the fuller room first. Negative when
// a goes before b, positive when after, 0 when either may go first.
int RoomList2Compare(const RoomEntry& a, const RoomEntry& b);

class RoomListModel {
 public:
  struct Row {
    RoomEntry entry;
    RoomCells shown;  // what the window draws; lags the entry until a redraw
    uint64_t serial;  // stays with the row while it moves, so a view can keep its selection
  };

  // Adds every named entry as a row (no duplicate test: the server may announce
  // a room twice) and removes, for every unnamed entry, the first row with its
  // number. Rows are re-sorted after each addition.
  void ApplyRoomList(const GmRoomList::Info& info);
  // Stores counts for every row with a listed number; an empty message redraws
  // every row's cells and re-sorts. Returns true when shown cells or order may
  // have changed.
  bool ApplyRoomUsers(const GmRoomUsers::Info& info);
  void Clear() { rows_.clear(); }

  // Name of the first row with this number in row order, or an empty text.
  std::string RoomNameOf(int16_t room) const;

  const std::vector<Row>& Rows() const { return rows_; }
  // Index of the row with this serial, or -1.
  int IndexOfSerial(uint64_t serial) const;

 private:
  void Sort();

  std::vector<Row> rows_;
  uint64_t nextSerial_ = 1;
};
