#include "chat/talk_route.h"

#include "net/net_def.h"

TalkRoute RouteTalk(int16_t room, uint8_t kind, std::optional<int16_t> activeRoom) {
  if (room != NetDef::PrivateTalkRoom) return {TalkTab::Room, false, false};
  if (kind != NetDef::TalkPrivate && kind != NetDef::TalkPrivateEcho) return {TalkTab::Active, false, false};
  // What the user sent privately only echoes in the private tab; what others
  // send is announced where the user is looking.
  const bool received = kind == NetDef::TalkPrivate;
  const bool elsewhere = activeRoom.has_value() && *activeRoom != NetDef::PrivateTalkRoom;
  return {TalkTab::PrivateTalk, received && elsewhere, received};
}
