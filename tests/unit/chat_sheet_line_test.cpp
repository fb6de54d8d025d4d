#include <gtest/gtest.h>

#include "chat/chat_line.h"
#include "messages.h"
#include "platform/cp932.h"

namespace {
const ClockTime kNoon{12, 34, 56};

ChatLine Compose(const GmTalk::Info& t, const ChatUserList& users, bool showTime = true) {
  ChatLine line;
  EXPECT_TRUE(ComposeChatLine(t, users.GetRoomNumber(), users, showTime, kNoon, line));
  return line;
}

ChatUserList RoomWithTaro() {
  ChatUserList users;
  users.SetRoomNumber(3);
  users.Add(42, 1000, 0, "taro");
  return users;
}
}  // namespace

TEST(ChatLineTest, ListedMemberTalkIsBlackWithTimeAndListName) {
  const ChatLine line = Compose(Talk(3, 42, "someone-else", "hello", 0), RoomWithTaro());
  EXPECT_EQ(line.Text(), "12:34:56 taro > hello");
  EXPECT_EQ(line.prefix, "12:34:56 ");
  EXPECT_EQ(line.namePart, "taro");
  EXPECT_EQ(line.body, " > hello");
  EXPECT_EQ(line.color, ChatBlack);
}

TEST(ChatLineTest, PrivateEchoFromUnlistedSenderGetsMarker) {
  ChatUserList privateTab;
  privateTab.SetRoomNumber(NetDef::PrivateTalkRoom);
  const ChatLine line = Compose(Talk(9999, 77, "hanako", "hello", 5), privateTab);
  EXPECT_EQ(line.Text(), "12:34:56 ====> hanako > hello");
  EXPECT_EQ(line.prefix, "12:34:56 ====> ");
  EXPECT_EQ(line.color, ChatGreen);
}

TEST(ChatLineTest, PrivateEchoFromListedSenderHasNoMarker) {
  const ChatLine line = Compose(Talk(3, 42, "hanako", "hi", 5), RoomWithTaro());
  EXPECT_EQ(line.Text(), "12:34:56 taro > hi");
}

TEST(ChatLineTest, UnnamedUnlistedNoticeIsTextOnly) {
  const ChatLine line = Compose(Talk(3, 5, "", "hello", 1), RoomWithTaro());
  EXPECT_EQ(line.Text(), "hello");
  EXPECT_EQ(line.color, ChatRed);
  const ChatLine kind0 = Compose(Talk(3, 5, "", "hello", 0), RoomWithTaro());
  EXPECT_EQ(kind0.Text(), "12:34:56 hello") << "no \" > \" without a name";
}

TEST(ChatLineTest, KindsOneAndTwoNeverShowTime) {
  for (uint8_t kind : {1, 2}) {
    EXPECT_EQ(Compose(Talk(3, 42, "", "x", kind), RoomWithTaro()).prefix, "") << int(kind);
  }
  for (uint8_t kind : {0, 3, 4, 5, 6, 200}) {
    EXPECT_EQ(Compose(Talk(3, 42, "", "x", kind), RoomWithTaro()).prefix, "12:34:56 ") << int(kind);
  }
}

TEST(ChatLineTest, TimeOffLeavesNoPrefix) {
  EXPECT_EQ(Compose(Talk(3, 42, "", "x", 0), RoomWithTaro(), false).Text(), "taro > x");
  ChatUserList none;
  none.SetRoomNumber(3);
  EXPECT_EQ(Compose(Talk(3, 1, "bob", "x", 5), none, false).Text(), "====> bob > x");
}

TEST(ChatLineTest, TalkForAnotherRoomIsNotLogged) {
  ChatLine line;
  line.body = "untouched";
  EXPECT_FALSE(ComposeChatLine(Talk(4, 42, "", "x", 0), 3, RoomWithTaro(), true, kNoon, line));
  EXPECT_EQ(line.body, "untouched");
}

TEST(ChatLineTest, TimePrefixPadsEachField) {
  EXPECT_EQ(FormatTimePrefix({0, 0, 0}), "00:00:00 ");
  EXPECT_EQ(FormatTimePrefix({9, 5, 7}), "09:05:07 ");
  EXPECT_EQ(FormatTimePrefix({23, 59, 59}), "23:59:59 ");
}

TEST(ChatLineTest, CallSoundTexts) {
  EXPECT_EQ(CallSoundNumber("5"), 5);
  EXPECT_EQ(CallSoundNumber("05"), 5);
  EXPECT_EQ(CallSoundNumber("99"), 99);
  EXPECT_EQ(CallSoundNumber("1"), 1);
  EXPECT_EQ(CallSoundNumber("+5"), 5);
  for (const char* none : {"0", "00", "-1", "100", "ab", "5a", "", "-", "+", "5 ", "\x82\x54"}) {
    EXPECT_EQ(CallSoundNumber(none), 0) << '"' << none << '"';
  }
}

TEST(ChatLineTest, PrivateNoticeNamesTheSenderAndFitsTheTalkWidth) {
  EXPECT_EQ(cp932::ToUtf8(PrivateTalkNotice("hanako")), "hanako さん からの個別チャットを受信しました");
  EXPECT_LE(PrivateTalkNotice(std::string(18, 'x')).size(), size_t(NetDef::TalkBytes));
}
