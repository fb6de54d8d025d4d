#pragma once
// The members of one chat room as the server announced them: a fixed table of
// 900 entries searched linearly by client ID. Entry i is row i of the room's
// member list view, so every change reports the index it touched and the view
// applies the same change to the same row.

#include <array>
#include <cstdint>
#include <string_view>

#include "net/net_def.h"

struct ChatUser {
  int16_t clientId = 0;
  int32_t userNumber = 0;
  NetDef::UserLevel level = 0;
  char name[NetDef::NameBytes + 1] = {};
};

class ChatUserList {
 public:
  static constexpr int Capacity = 900;

  int16_t GetRoomNumber() const { return room_; }
  void SetRoomNumber(int16_t room) { room_ = room; }

  int Count() const { return count_; }
  // Entry i for 0 <= i < Count(); callers check the index first.
  const ChatUser& At(int i) const { return users_[static_cast<size_t>(i)]; }
  bool ValidIndex(int i) const { return i >= 0 && i < count_; }

  // Index of the member with this client ID, or -1.
  int IndexOf(int16_t clientId) const;
  // Appends the member and returns its index; -1 when the ID is listed already
  // or the table is full (the member is then neither stored nor shown).
  int Add(int16_t clientId, int32_t userNumber, NetDef::UserLevel level, std::string_view name);
  // Removes the member and returns the index it had (later entries move up by
  // one); -1 when the ID is not listed.
  int Remove(int16_t clientId);
  // Stores a new level and returns the member's index; -1 when the ID is not
  // listed or the level is the same, so the view has nothing to redraw.
  int ChangeLevel(int16_t clientId, NetDef::UserLevel level);
  void Clear() { count_ = recentCount_ = 0; }

  // Who spoke last, for completing names: a listed member's talk moves him to the
  // front. Kept per member, not per line, so a flood costs no more than the room
  // is large; a member who speaks again and again costs one comparison.
  void NoteSpeaker(int16_t clientId);
  // The members who have spoken, most recent first (client IDs).
  int RecentCount() const { return recentCount_; }
  int16_t RecentAt(int i) const { return recent_[static_cast<size_t>(i)]; }

 private:
  int16_t room_ = -1;
  int count_ = 0;
  std::array<ChatUser, Capacity> users_{};
  int recentCount_ = 0;  // never more than count_: only listed members are kept
  std::array<int16_t, Capacity> recent_{};
};

// Member icon of the list view: 0 a lit lamp for any level but 0, 1 a grey ring.
inline int MemberImageIndex(NetDef::UserLevel level) { return level != 0 ? 0 : 1; }
