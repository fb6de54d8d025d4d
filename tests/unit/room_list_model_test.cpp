#include <gtest/gtest.h>

#include "messages.h"

#include <initializer_list>
#include <vector>

#include "chat/room_list_model.h"
#include "platform/cp932.h"

namespace {
std::vector<int16_t> Order(const RoomListModel& m) {
  std::vector<int16_t> rooms;
  for (const auto& r : m.Rows()) rooms.push_back(r.entry.room);
  return rooms;
}

std::string U(const std::string& cp932Text) { return cp932::ToUtf8(cp932Text); }
}  // namespace

TEST(RoomListModelTest, NewRowShowsZeroAndMarks) {
  RoomListModel m;
  m.ApplyRoomList(RoomRows({{1, "lobby", 0, 0}, {2, "club", 1, 77}}));
  ASSERT_EQ(m.Rows().size(), 2u);
  const auto& club = m.Rows()[1];
  EXPECT_EQ(club.entry.room, 2);
  EXPECT_EQ(U(club.shown.password), "有り");
  EXPECT_EQ(U(club.shown.team), "※");
  EXPECT_EQ(U(club.shown.count), "0人");
  EXPECT_EQ(m.Rows()[0].shown.password, "");
  EXPECT_EQ(m.Rows()[0].shown.team, "");
}

TEST(RoomListModelTest, NoTeamRoomsFirstThenFullerFirst) {
  RoomListModel m;
  m.ApplyRoomList(RoomRows({{1, "team-small", 0, 5}, {2, "small", 0, 0}, {3, "team-big", 0, 6}, {4, "big", 0, 0}}));
  m.ApplyRoomUsers(RoomCounts({{1, 2}, {2, 3}, {3, 9}, {4, 10}}));
  m.ApplyRoomUsers(RoomCounts({}));
  EXPECT_EQ(Order(m), (std::vector<int16_t>{4, 2, 3, 1}));
}

TEST(RoomListModelTest, CountsWaitForTheEmptyMessage) {
  RoomListModel m;
  m.ApplyRoomList(RoomRows({{1, "a", 0, 0}, {2, "b", 0, 0}}));
  EXPECT_FALSE(m.ApplyRoomUsers(RoomCounts({{2, 8}, {1, 3}})));
  EXPECT_EQ(m.Rows()[0].entry.room, 1) << "no re-sort before the empty message";
  EXPECT_EQ(U(m.Rows()[0].shown.count), "0人");
  EXPECT_EQ(U(m.Rows()[1].shown.count), "0人");
  EXPECT_EQ(m.Rows()[1].entry.memberCount, 8) << "the entry already has the count";
  EXPECT_TRUE(m.ApplyRoomUsers(RoomCounts({})));
  EXPECT_EQ(Order(m), (std::vector<int16_t>{2, 1}));
  EXPECT_EQ(U(m.Rows()[0].shown.count), "8人");
  EXPECT_EQ(U(m.Rows()[1].shown.count), "3人");
}

TEST(RoomListModelTest, CountsReachEveryRowWithTheNumberAndIgnoreUnknown) {
  RoomListModel m;
  m.ApplyRoomList(RoomRows({{1, "a", 0, 0}, {1, "a-again", 0, 0}}));
  m.ApplyRoomUsers(RoomCounts({{1, 4}, {99, 7}}));
  m.ApplyRoomUsers(RoomCounts({}));
  ASSERT_EQ(m.Rows().size(), 2u);
  EXPECT_EQ(m.Rows()[0].entry.memberCount, 4);
  EXPECT_EQ(m.Rows()[1].entry.memberCount, 4);
}

TEST(RoomListModelTest, EmptyNameRemovesOnlyTheFirstRowWithThatNumber) {
  RoomListModel m;
  m.ApplyRoomList(RoomRows({{5, "first", 0, 0}, {5, "second", 0, 0}, {6, "other", 0, 0}}));
  m.ApplyRoomList(RoomRows({{5, "", 0, 0}}));
  ASSERT_EQ(m.Rows().size(), 2u);
  EXPECT_EQ(m.RoomNameOf(5), "second");
  m.ApplyRoomList(RoomRows({{42, "", 0, 0}}));
  EXPECT_EQ(m.Rows().size(), 2u) << "removing an unknown room changes nothing";
}

TEST(RoomListModelTest, AddingResortsByCountsAlreadyReceived) {
  RoomListModel m;
  m.ApplyRoomList(RoomRows({{1, "a", 0, 0}, {2, "b", 0, 0}}));
  m.ApplyRoomUsers(RoomCounts({{2, 5}}));
  m.ApplyRoomList(RoomRows({{3, "c", 0, 0}}));
  EXPECT_EQ(Order(m), (std::vector<int16_t>{2, 1, 3}));
  EXPECT_EQ(U(m.Rows()[0].shown.count), "0人") << "cells still wait for the redraw";
}

TEST(RoomListModelTest, RoomNameOfFollowsRowOrderAndIsEmptyWhenUnknown) {
  RoomListModel m;
  m.ApplyRoomList(RoomRows({{7, "team", 0, 1}, {7, "plain", 0, 0}}));
  EXPECT_EQ(m.RoomNameOf(7), "plain") << "the no-team row sorts first";
  EXPECT_EQ(m.RoomNameOf(8), "");
  m.Clear();
  EXPECT_EQ(m.RoomNameOf(7), "");
  EXPECT_TRUE(m.Rows().empty());
}

TEST(RoomListModelTest, OutOfRangeCountsAreClamped) {
  RoomListModel m;
  GmRoomList::Info info = RoomRows({{1, "a", 0, 0}});
  info.count = 1000;  // a record filled by hand, not by the decoder
  m.ApplyRoomList(info);
  EXPECT_LE(m.Rows().size(), size_t(NetDef::MaxList16));
  GmRoomUsers::Info users;
  users.count = -3;
  EXPECT_TRUE(m.ApplyRoomUsers(users)) << "a negative count holds no entries";
}
