#include <gtest/gtest.h>

#include <string>

#include "chat/chat_user_list.h"

namespace {
std::string NameOf(int i) { return "m" + std::to_string(i); }
}  // namespace

TEST(ChatUserListTest, StartsWithoutRoomAndEmpty) {
  ChatUserList list;
  EXPECT_EQ(list.GetRoomNumber(), -1);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IndexOf(0), -1);
}

TEST(ChatUserListTest, MemberAnnouncedTwiceIsListedOnce) {
  ChatUserList list;
  EXPECT_EQ(list.Add(7, 100, 0, "taro"), 0);
  EXPECT_EQ(list.Add(7, 200, 1, "other"), -1);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_STREQ(list.At(0).name, "taro") << "the first announcement stays";
  EXPECT_EQ(list.At(0).userNumber, 100);
}

TEST(ChatUserListTest, NineHundredFirstMemberIsNotListed) {
  ChatUserList list;
  for (int i = 0; i < ChatUserList::Capacity; ++i) ASSERT_EQ(list.Add(static_cast<int16_t>(i), i, 0, NameOf(i)), i);
  EXPECT_EQ(list.Add(5000, 1, 0, "late"), -1);
  EXPECT_EQ(list.Count(), 900);
  EXPECT_EQ(list.IndexOf(5000), -1);
  // A departure makes room again.
  EXPECT_EQ(list.Remove(0), 0);
  EXPECT_EQ(list.Add(5000, 1, 0, "late"), 899);
}

TEST(ChatUserListTest, RemovalClosesTheGapInOrder) {
  ChatUserList list;
  for (int i = 0; i < 5; ++i) list.Add(static_cast<int16_t>(10 + i), i, 0, NameOf(i));
  EXPECT_EQ(list.Remove(12), 2);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.At(0).clientId, 10);
  EXPECT_EQ(list.At(1).clientId, 11);
  EXPECT_EQ(list.At(2).clientId, 13);
  EXPECT_EQ(list.At(3).clientId, 14);
  EXPECT_EQ(list.Remove(12), -1) << "an ID no longer listed changes nothing";
  EXPECT_EQ(list.Remove(14), 3) << "the last entry";
  EXPECT_EQ(list.Count(), 3);
}

TEST(ChatUserListTest, LevelChangeToSameLevelChangesNothing) {
  ChatUserList list;
  list.Add(1, 1, 0, "a");
  list.Add(2, 2, 3, "b");
  EXPECT_EQ(list.ChangeLevel(2, 3), -1);
  EXPECT_EQ(list.ChangeLevel(2, 0), 1);
  EXPECT_EQ(list.At(1).level, 0);
  EXPECT_EQ(list.ChangeLevel(9, 1), -1) << "unknown member";
}

TEST(ChatUserListTest, NamesAreKeptToTheWireWidth) {
  ChatUserList list;
  list.Add(1, 1, 0, std::string(40, 'x'));
  EXPECT_EQ(std::string(list.At(0).name), std::string(18, 'x'));
}
