#pragma once
// The messages tests build, in one place: each builder fills a record of the
// message catalogue from a short list, texts given as they are (CP932 bytes, or
// Sjis() of a UTF-8 literal). Plain C++, for the unit suite as for the others.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "net/net_messages.h"
#include "platform/cp932.h"

// A UTF-8 literal as the code page 932 bytes the program holds.
inline std::string Sjis(std::string_view utf8) { return cp932::FromUtf8(utf8); }

inline GmAEnterRoom::Info Entered(int16_t room, const char* password = "", uint32_t teamId = 0) {
  GmAEnterRoom::Info info;
  info.room = room;
  info.status = NetDef::StatusOk;
  CopyText(info.password, password);
  info.teamId = teamId;
  return info;
}

inline GmTalk::Info Talk(int16_t room, int16_t sender, const char* name, const char* text, uint8_t kind) {
  GmTalk::Info t;
  t.room = room;
  t.sender = sender;
  CopyText(t.name, name);
  CopyText(t.text, text);
  t.kind = kind;
  return t;
}

struct Member {
  int16_t clientId;
  uint32_t userNumber;
  const char* name;
  uint8_t level;
};

inline GmUserEnter::Info Enter(int16_t room, std::initializer_list<Member> members) {
  GmUserEnter::Info info;
  info.room = room;
  for (const Member& m : members) {
    GmUserEnter::Entry& e = info.entries[info.count++];
    e.clientId = m.clientId;
    e.userNumber = m.userNumber;
    CopyText(e.name, m.name);
    e.level = m.level;
  }
  return info;
}

inline GmUserLeave::Info Leave(std::initializer_list<std::pair<int16_t, int16_t>> roomAndClient) {
  GmUserLeave::Info info;
  for (auto [room, client] : roomAndClient) info.entries[info.count++] = {room, client};
  return info;
}

// A room list row; an empty name removes the room's row.
struct RoomRow {
  int16_t room;
  const char* name;
  uint8_t password;
  uint32_t team;
};

inline GmRoomList::Info RoomRows(std::initializer_list<RoomRow> rows) {
  GmRoomList::Info info;
  for (const RoomRow& r : rows) {
    GmRoomList::Entry& e = info.entries[info.count++];
    e.room = r.room;
    CopyText(e.name, r.name);
    e.passwordFlag = r.password;
    e.teamId = r.team;
  }
  return info;
}

// A room list that announces one chat room (no team).
inline GmRoomList::Info OneRoomList(int16_t room, const char* name, bool password) {
  GmRoomList::Info rooms = RoomRows({{room, name, static_cast<uint8_t>(password ? 1 : 0), 0}});
  rooms.entries[0].kind = NetDef::ChatRoomKind;
  return rooms;
}

// Member counts per room; no pair at all ends a room list transfer.
inline GmRoomUsers::Info RoomCounts(std::initializer_list<std::pair<int16_t, int16_t>> counts) {
  GmRoomUsers::Info info;
  for (auto [room, n] : counts) info.entries[info.count++] = {room, n};
  return info;
}
