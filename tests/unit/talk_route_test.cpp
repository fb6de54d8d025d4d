#include <gtest/gtest.h>

#include "chat/talk_route.h"
#include "net/net_def.h"

namespace {
using NetDef::PrivateTalkRoom;

struct RouteRow {
  const char* what;
  int16_t room;
  uint8_t kind;
  std::optional<int16_t> active;
  TalkRoute route;
};

TEST(TalkRouteTest, EachTalkFindsItsTab) {
  const auto none = std::nullopt;
  const RouteRow rows[] = {
      {"a room's talk", 3, NetDef::TalkNormal, 5, {TalkTab::Room, false, false}},
      {"a room's notice, no page open", 3, NetDef::TalkNotice1, none, {TalkTab::Room, false, false}},
      {"private kind in a room stays there", 3, NetDef::TalkPrivate, 5, {TalkTab::Room, false, false}},
      {"private talk while a room is active",
       PrivateTalkRoom,
       NetDef::TalkPrivate,
       5,
       {TalkTab::PrivateTalk, true, true}},
      {"private talk while the private tab is active",
       PrivateTalkRoom,
       NetDef::TalkPrivate,
       PrivateTalkRoom,
       {TalkTab::PrivateTalk, false, true}},
      {"private talk with no page open",
       PrivateTalkRoom,
       NetDef::TalkPrivate,
       none,
       {TalkTab::PrivateTalk, false, true}},
      {"own private talk echoed", PrivateTalkRoom, NetDef::TalkPrivateEcho, 5, {TalkTab::PrivateTalk, false, false}},
      {"a notice for no room", PrivateTalkRoom, NetDef::TalkNotice1, 5, {TalkTab::Active, false, false}},
      {"an announcement", PrivateTalkRoom, NetDef::TalkNotice4, PrivateTalkRoom, {TalkTab::Active, false, false}},
      {"plain talk for no room", PrivateTalkRoom, NetDef::TalkNormal, none, {TalkTab::Active, false, false}},
      {"an unknown kind for no room", PrivateTalkRoom, 9, 5, {TalkTab::Active, false, false}},
  };
  for (const RouteRow& row : rows) EXPECT_EQ(RouteTalk(row.room, row.kind, row.active), row.route) << row.what;
}
}  // namespace
