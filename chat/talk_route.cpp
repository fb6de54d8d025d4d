#include "chat/talk_route.h"

#include "net/net_def.h"
#include "platform/cp932.h"

namespace {
TalkRoute RouteOf(int16_t room, uint8_t kind, std::optional<int16_t> activeRoom) {
  if (room != NetDef::PrivateTalkRoom) return {TalkTab::Room, false, false};
  if (kind != NetDef::TalkPrivate && kind != NetDef::TalkPrivateEcho) return {TalkTab::Active, false, false};
  // What the user sent privately only echoes in the private tab; what others
  // send is announced where the user is looking.
  const bool received = kind == NetDef::TalkPrivate;
  const bool elsewhere = activeRoom.has_value() && *activeRoom != NetDef::PrivateTalkRoom;
  return {TalkTab::PrivateTalk, received && elsewhere, received};
}
}  // namespace

TalkRoute RouteTalk(int16_t room, uint8_t kind, std::optional<int16_t> activeRoom, bool namesPlayer) {
  TalkRoute route = RouteOf(room, kind, activeRoom);
  // Notices (kinds 1, 2, 4) speak of members, they are not talk to the player.
  if (namesPlayer && (kind == NetDef::TalkNormal || kind == NetDef::TalkPrivate)) {
    route.highlight = true;
    route.alert = true;
  }
  return route;
}

bool NamesPlayer(std::string_view text, std::string_view name) {
  if (name.empty()) return false;
  // From the start of each character of the text: the trail byte of a
  // double-byte character may look like an ASCII letter.
  for (size_t at = 0; at + name.size() <= text.size(); at += cp932::CharLength(text, at)) {
    if (cp932::StartsWithFoldingAscii(text.substr(at), name)) return true;
  }
  return false;
}
