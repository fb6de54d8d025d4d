#include <gtest/gtest.h>

#include "chat/talk_route.h"
#include "messages.h"
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

// A member's talk that names the player is marked and alerts; a notice that
// names him is only a notice.
TEST(TalkRouteTest, TalkNamingThePlayerIsMarkedAndAlerts) {
  const struct {
    const char* what;
    int16_t room;
    uint8_t kind;
    TalkRoute route;
  } rows[] = {
      {"room talk", 3, NetDef::TalkNormal, {TalkTab::Room, false, true, true}},
      {"private talk", PrivateTalkRoom, NetDef::TalkPrivate, {TalkTab::PrivateTalk, true, true, true}},
      {"a notice", 3, NetDef::TalkNotice2, {TalkTab::Room, false, false, false}},
      {"an announcement", 3, NetDef::TalkNotice4, {TalkTab::Room, false, false, false}},
      {"own private echo", PrivateTalkRoom, NetDef::TalkPrivateEcho, {TalkTab::PrivateTalk, false, false, false}},
  };
  for (const auto& row : rows) EXPECT_EQ(RouteTalk(row.room, row.kind, 5, true), row.route) << row.what;
}

TEST(TalkRouteTest, TheNameIsFoundWithoutCaseOnCharacterBoundaries) {
  const struct {
    std::string text, name;
    bool found;
  } rows[] = {
      {"hi taro!", "taro", true},
      {"hi TARO!", "Taro", true},
      {"hi tar", "taro", false},
      {"anything", "", false},
      {Sjis("やあ太郎さん"), Sjis("太郎"), true},
      {Sjis("やあ太郎さん"), Sjis("次郎"), false},
      // "ソ" is 0x83 0x5C and "表" 0x95 0x5C: their trail bytes are not the
      // ASCII characters they look like.
      {Sjis("ソ"), "\\", false},
      {Sjis("ソa"), "\\a", false},
      {Sjis("表") + "a", "\\A", false},
      {Sjis("ｶﾀｶﾅtaro"), "TARO", true},
      {Sjis("Ａ"), Sjis("ａ"), false},  // full-width letters are not ASCII
      // "ア" is 0x83 0x41 and "ヂ" 0x83 0x61: a trail byte is no letter to fold.
      {Sjis("ヂ"), Sjis("ア"), false},
      {Sjis("アA"), Sjis("アa"), true},
  };
  for (const auto& row : rows) EXPECT_EQ(NamesPlayer(row.text, row.name), row.found) << row.text << " / " << row.name;
}

}  // namespace
