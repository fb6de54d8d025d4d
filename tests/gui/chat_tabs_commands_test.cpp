// What the user does with the tabs: sending talk, leaving, switching pages,
// member commands, the room list button and the rooms kept for the next login.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "chat/chat_tabs.h"
#include "chat/room_list_model.h"
#include "chat_tabs_host_test.h"
#include "recording_platform.h"

using namespace chattest;

namespace {

using World = TabsWorld;

}  // namespace

TEST(ChatTabsSendTest, TalkGoesToTheActiveRoom) {
  World w;
  w.host.session.setClientId(42);
  w.Open(1);
  w.Open(2);
  w.tabs->SendTalk(Sjis("こんにちは"));
  const auto sent = w.host.session.Sent<GmTalk>();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].room, 2);
  EXPECT_EQ(sent[0].sender, 42);
  EXPECT_STREQ(sent[0].name, "");
  EXPECT_EQ(std::string(sent[0].text), Sjis("こんにちは"));
  EXPECT_EQ(sent[0].kind, 0);
  EXPECT_TRUE(w.tabs->ChatTabOf(2) != nullptr && LogOf(w.tabs->ChatTabOf(2)).empty())
      << "the own line waits for the server's echo";
}

TEST(ChatTabsSendTest, NothingIsSentWithoutAPage) {
  World w;
  w.tabs->SendTalk("hello");
  EXPECT_TRUE(w.host.session.sent.empty());
}

TEST(ChatTabsSendTest, LongTextIsCutWithoutSplittingACharacter) {
  World w;
  w.Open(1);
  std::string text = "x";
  for (int i = 0; i < 80; ++i) text += Sjis("あ");  // 161 bytes
  w.tabs->SendTalk(text);
  const auto sent = w.host.session.Sent<GmTalk>();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(std::string(sent[0].text).size(), 149u) << "the 150th byte would be half a character";
}

TEST(ChatTabsLeaveTest, RoomTabSendsLeaveAndStaysUntilTheServerAnswers) {
  World w;
  w.host.session.setClientId(42);
  w.Open(1);
  w.tabs->LeaveActiveRoom();
  const auto sent = w.host.session.Sent<GmLeaveRoom>();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].room, 1);
  EXPECT_EQ(w.tabs->PageCount(), 1);
  EXPECT_TRUE(w.host.session.deliver<GmUserLeave>(Leave({{1, 42}})));
  EXPECT_EQ(w.tabs->PageCount(), 0);
}

TEST(ChatTabsLeaveTest, PrivateTabClosesAtOnceWithoutSending) {
  World w;
  w.Open(1);
  TChatSheet* priv = w.OpenPrivate();
  w.Pages()->setCurrentWidget(priv);
  w.tabs->LeaveActiveRoom();
  EXPECT_TRUE(w.host.session.sent.empty());
  EXPECT_EQ(w.tabs->ChatTabOf(9999), nullptr);
  EXPECT_EQ(w.tabs->PageCount(), 1);
  // The next private talk opens it again.
  EXPECT_NE(w.OpenPrivate(), nullptr);
}

TEST(ChatTabsLeaveTest, NothingWithoutAPage) {
  World w;
  w.tabs->LeaveActiveRoom();
  EXPECT_TRUE(w.host.session.sent.empty());
}

TEST(ChatTabsSwitchTest, NextAndPreviousWrapAndClearTheMark) {
  World w;
  TChatSheet* a = w.Open(1);
  TChatSheet* b = w.Open(2);
  TChatSheet* c = w.Open(3);
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "x", "to a", 0)));
  ASSERT_EQ(a->ImageIndex(), TChatSheet::ImageNewTalk);
  w.tabs->MenuNext();  // from the last page to the first
  EXPECT_EQ(w.tabs->ActiveChatTab(), a);
  EXPECT_EQ(a->ImageIndex(), TChatSheet::ImagePlain);
  w.tabs->MenuPrev();  // from the first page to the last
  EXPECT_EQ(w.tabs->ActiveChatTab(), c);
  w.tabs->MenuPrev();
  EXPECT_EQ(w.tabs->ActiveChatTab(), b);
  w.tabs->MenuNext();
  EXPECT_EQ(w.tabs->ActiveChatTab(), c);
}

TEST(ChatTabsSwitchTest, HiddenTabsAreSkipped) {
  World w;
  TChatSheet* a = w.Open(1);
  w.Open(2);
  w.Open(3);
  w.Pages()->setTabVisible(0, false);
  w.Pages()->setCurrentIndex(1);
  w.tabs->MenuPrev();
  EXPECT_EQ(w.tabs->ActiveChatTab()->GetRoomNumber(), 3) << "page 0 has no visible tab";
  EXPECT_NE(w.tabs->ActiveChatTab(), a);
}

TEST(ChatTabsSwitchTest, SinglePageSelectsItselfAndClearsTheMark) {
  World w;
  TChatSheet* a = w.Open(1);
  a->SetTitleMark(true);
  w.tabs->MenuNext();
  EXPECT_EQ(w.tabs->ActiveChatTab(), a);
  EXPECT_EQ(a->ImageIndex(), TChatSheet::ImagePlain);
  World empty;
  empty.tabs->MenuNext();
  empty.tabs->MenuPrev();
  EXPECT_EQ(empty.tabs->PageCount(), 0);
}

TEST(ChatTabsCommandTest, MemberCommands) {
  World w;
  w.Open(1);
  w.Open(2);
  TChatSheet* sheet = w.tabs->ChatTabOf(2);
  EXPECT_TRUE(
      w.host.session.deliver<GmUserEnter>(Enter(2, {{5, 1234, "taro", 0}, {6, 4294967295u, Sjis("花子").c_str(), 0}})));

  sheet->UserCommand(0, 0);
  sheet->UserCommand(0, 1);
  EXPECT_EQ(w.platform.openedUrls, (QStringList{QStringLiteral("http://members.example/user?no=1234"),
                                                QStringLiteral("http://members.example/user?no=-1")}))
      << "user numbers are written signed";

  sheet->UserCommand(1, 1);
  ASSERT_EQ(w.host.chatInputs.size(), 1u);
  EXPECT_EQ(w.host.chatInputs[0], "/t " + Sjis("花子") + " ");
  EXPECT_TRUE(w.host.session.sent.empty()) << "a private talk is only prepared";

  sheet->UserCommand(2, 0);
  sheet->UserCommand(3, 0);
  const auto sent = w.host.session.Sent<GmTalk>();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_STREQ(sent[0].text, "/o taro");
  EXPECT_STREQ(sent[1].text, "/i taro");
  EXPECT_EQ(sent[0].room, 2);
  EXPECT_EQ(w.host.chatInputs.size(), 1u);

  // Rows that do not exist and unknown commands do nothing.
  sheet->UserCommand(2, 2);
  sheet->UserCommand(0, -1);
  sheet->UserCommand(4, 0);
  EXPECT_EQ(w.host.session.sent.size(), 2u);
  EXPECT_EQ(w.platform.openedUrls.size(), 2);
}

TEST(ChatTabsCommandTest, UserPagePrefixIsTakenWhenTheTabIsCreated) {
  World w;
  TChatSheet* sheet = w.Open(1);
  w.host.userInfo = "http://changed.example/";
  EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(Enter(1, {{5, 7, "taro", 0}})));
  sheet->UserCommand(0, 0);
  EXPECT_EQ(w.platform.openedUrls, QStringList{QStringLiteral("http://members.example/user?no=7")});
}

TEST(ChatTabsCommandTest, RoomListButtonOpensTheListFromTheEventLoop) {
  World w;
  TChatSheet* sheet = w.Open(1);
  QTest::mouseClick(sheet->Frame()->ButtonList(), Qt::LeftButton);
  EXPECT_EQ(w.host.roomListShows, 0) << "not from inside the button's handler";
  QCoreApplication::processEvents();
  EXPECT_EQ(w.host.roomListShows, 1);
}

TEST(ChatTabsCommandTest, OpenRoomsInTabOrderWithTheirSoundFlags) {
  World w;
  GmRoomList::Info list;
  list.count = 2;
  list.entries[0].room = 1;
  CopyText(list.entries[0].name, "lobby");
  list.entries[1].room = 2;
  CopyText(list.entries[1].name, "club");
  w.rooms.ApplyRoomList(list);
  w.Open(2, "pw", 77);
  w.host.rememberAnswer = false;
  w.Open(1);
  w.OpenPrivate();
  const auto rooms = w.tabs->OpenRooms();
  ASSERT_EQ(rooms.size(), 3u);
  EXPECT_EQ(rooms[0].Room, 2);
  EXPECT_EQ(rooms[0].Name, "club");
  EXPECT_EQ(rooms[0].Password, "pw");
  EXPECT_EQ(rooms[0].TeamID, 77);
  EXPECT_TRUE(rooms[0].ChatSound);
  EXPECT_EQ(rooms[1].Name, "lobby");
  EXPECT_FALSE(rooms[1].ChatSound);
  EXPECT_EQ(rooms[2].Room, 9999);
  EXPECT_EQ(rooms[2].Name, Sjis("【個別 チャット】"));
  EXPECT_FALSE(rooms[2].ChatSound);
}
