// Member messages: the member table and the frame's rows stay in step, and the
// user's own departure closes the tab.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "chat/chat_tabs.h"
#include "chat/room_list_model.h"
#include "chat_tabs_host_test.h"
#include "formation/form_formation.h"
#include "recording_platform.h"

using namespace chattest;

namespace {

using World = TabsWorld;

// Every entry of the table matches the frame's row at the same index.
void ExpectInStep(const TChatSheet* sheet) {
  const ChatUserList& users = sheet->Users();
  const TFrameChatRoom* frame = sheet->Frame();
  ASSERT_EQ(frame->UserRowCount(), users.Count());
  for (int i = 0; i < users.Count(); ++i) {
    EXPECT_EQ(frame->UserRowCaption(i), users.At(i).name) << i;
    EXPECT_EQ(frame->UserRowImage(i), MemberImageIndex(users.At(i).level)) << i;
  }
}

void DeleteDeferred() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

TEST(ChatTabsMembersTest, EnteringMembersAreListedInOrderWithTheirIcons) {
  World w;
  TChatSheet* sheet = w.Open(1);
  EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(
      Enter(1, {{5, 100, "taro", 0}, {6, 200, "op", 3}, {5, 300, "taro-again", 0}})));
  EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(Enter(1, {{6, 200, "op", 3}, {7, 400, Sjis("花子").c_str(), 0}})));
  ASSERT_EQ(sheet->Users().Count(), 3) << "a member announced twice is listed once";
  EXPECT_EQ(sheet->Frame()->UserRowCaption(0), "taro");
  EXPECT_EQ(sheet->Frame()->UserRowImage(0), TFrameChatRoom::ImageUnlit);
  EXPECT_EQ(sheet->Frame()->UserRowImage(1), TFrameChatRoom::ImageLit);
  EXPECT_EQ(sheet->Frame()->UserRowCaption(2), Sjis("花子"));
  ExpectInStep(sheet);
}

TEST(ChatTabsMembersTest, NineHundredFirstMemberIsNeitherStoredNorShown) {
  World w;
  TChatSheet* sheet = w.Open(1);
  for (int batch = 0; batch * 40 < 901; ++batch) {
    GmUserEnter::Info info;
    info.room = 1;
    for (int k = 0; k < 40 && batch * 40 + k < 901; ++k) {
      GmUserEnter::Entry& e = info.entries[info.count++];
      e.clientId = static_cast<int16_t>(1000 + batch * 40 + k);
      CopyText(e.name, ("m" + std::to_string(batch * 40 + k)).c_str());
    }
    EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(info));
  }
  EXPECT_EQ(sheet->Users().Count(), 900);
  EXPECT_EQ(sheet->Frame()->UserRowCount(), 900);
  EXPECT_EQ(sheet->Users().IndexOf(1900), -1);
  ExpectInStep(sheet);
}

TEST(ChatTabsMembersTest, MemberMessagesForOtherRoomsAreIgnored) {
  World w;
  TChatSheet* sheet = w.Open(1);
  EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(Enter(2, {{5, 1, "taro", 0}})));
  EXPECT_EQ(sheet->Users().Count(), 0);
  EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(Enter(1, {{5, 1, "taro", 0}})));
  EXPECT_TRUE(w.host.session.deliver<GmUserChange>(GmUserChange::Info{2, 5, 1}));
  EXPECT_EQ(sheet->Frame()->UserRowImage(0), TFrameChatRoom::ImageUnlit);
  EXPECT_TRUE(w.host.session.deliver<GmUserLeave>(Leave({{2, 5}})));
  EXPECT_EQ(sheet->Users().Count(), 1);
}

TEST(ChatTabsMembersTest, DepartureRemovesTheSameRowFromTableAndView) {
  World w;
  TChatSheet* sheet = w.Open(1);
  EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(Enter(1, {{5, 1, "a", 0}, {6, 2, "b", 1}, {7, 3, "c", 0}})));
  EXPECT_TRUE(w.host.session.deliver<GmUserLeave>(Leave({{1, 6}, {1, 99}})));
  ASSERT_EQ(sheet->Users().Count(), 2);
  EXPECT_EQ(sheet->Frame()->UserRowCaption(1), "c");
  ExpectInStep(sheet);
  EXPECT_EQ(w.tabs->PageCount(), 1);
}

TEST(ChatTabsMembersTest, LevelChangeRedrawsOnlyOnAChange) {
  World w;
  TChatSheet* sheet = w.Open(1);
  EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(Enter(1, {{5, 1, "a", 0}, {6, 2, "b", 2}})));
  EXPECT_TRUE(w.host.session.deliver<GmUserChange>(GmUserChange::Info{1, 5, 4}));
  EXPECT_EQ(sheet->Frame()->UserRowImage(0), TFrameChatRoom::ImageLit);
  EXPECT_EQ(sheet->Users().At(0).level, 4);
  EXPECT_TRUE(w.host.session.deliver<GmUserChange>(GmUserChange::Info{1, 6, 0}));
  EXPECT_EQ(sheet->Frame()->UserRowImage(1), TFrameChatRoom::ImageUnlit);
  EXPECT_TRUE(w.host.session.deliver<GmUserChange>(GmUserChange::Info{1, 6, 0}));
  EXPECT_TRUE(w.host.session.deliver<GmUserChange>(GmUserChange::Info{1, 77, 1}));
  ExpectInStep(sheet);
}

TEST(ChatTabsMembersTest, OwnDepartureClosesTheTabAndLaterEntriesStillCount) {
  World w;
  w.host.session.setClientId(42);
  TChatSheet* lobby = w.Open(1);
  TChatSheet* club = w.Open(2);
  EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(Enter(1, {{42, 1, "me", 0}})));
  EXPECT_TRUE(w.host.session.deliver<GmUserEnter>(Enter(2, {{42, 1, "me", 0}, {8, 2, "other", 0}})));
  QPointer<TChatSheet> gone(lobby);
  QPointer<TFrameChatRoom> goneFrame(lobby->Frame());

  EXPECT_TRUE(w.host.session.deliver<GmUserLeave>(Leave({{1, 42}, {7, 42}, {2, 8}})));

  EXPECT_EQ(w.tabs->ChatTabOf(1), nullptr);
  EXPECT_EQ(w.tabs->PageCount(), 1);
  EXPECT_EQ(club->Users().Count(), 1) << "the entry after the own departure is still handled";
  DeleteDeferred();
  EXPECT_TRUE(gone.isNull());
  EXPECT_TRUE(goneFrame.isNull()) << "the frame goes with its tab";
  // Messages for the closed room are now ignored.
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 8, "x", "late", 0)));
  EXPECT_EQ(w.tabs->PageCount(), 1);
}

TEST(ChatTabsMembersTest, DisconnectDestroysEveryTab) {
  World w;
  QPointer<TChatSheet> a(w.Open(1));
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(9999, 3, "p", "x", 3)));
  QPointer<TChatSheet> p(w.tabs->ChatTabOf(9999));
  w.host.session.drop();
  EXPECT_EQ(w.tabs->PageCount(), 0);
  EXPECT_EQ(w.tabs->ActiveChatTab(), nullptr);
  DeleteDeferred();
  EXPECT_TRUE(a.isNull());
  EXPECT_TRUE(p.isNull());
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(9999, 3, "p", "again", 0)));
  EXPECT_EQ(w.tabs->PageCount(), 0) << "room-9999 talk of kind 0 with no page is dropped";
}

TEST(ChatTabsMembersTest, FormationMessagesReachTheWindowOfTheirRoomOnly) {
  World w;
  w.host.session.setClientId(42);
  TChatSheet* lobby = w.Open(1);
  w.Open(2);
  w.tabs->PageControl1()->setCurrentWidget(lobby);
  QTest::mouseClick(lobby->Frame()->ButtonFormation(), Qt::LeftButton);
  QPointer<TFormFormation> board(lobby->Frame()->FormationWindow());
  ASSERT_FALSE(board.isNull());
  const auto opens = w.host.session.Sent<GmFormationOpen>();
  ASSERT_EQ(opens.size(), 1u) << "the formation window sends through the chat host";
  EXPECT_EQ(opens[0].room, 1);

  GmFormationAOpen::Info refused;
  refused.result = 1;
  refused.room = 2;  // room 2 has no window open, room 3 has no tab
  w.host.session.deliver<GmFormationAOpen>(refused);
  refused.room = 3;
  w.host.session.deliver<GmFormationAOpen>(refused);
  EXPECT_TRUE(w.platform.boxes.empty());
  refused.room = 1;
  w.host.session.deliver<GmFormationAOpen>(refused);
  ASSERT_EQ(w.platform.errorTexts().size(), 1) << "the room's own window got the refusal";
}

TEST(ChatTabsMembersTest, OwnDepartureTakesTheFormationWindowWithTheTab) {
  World w;
  w.host.session.setClientId(42);
  TChatSheet* lobby = w.Open(1);
  QTest::mouseClick(lobby->Frame()->ButtonFormation(), Qt::LeftButton);
  QPointer<TFormFormation> board(lobby->Frame()->FormationWindow());
  ASSERT_FALSE(board.isNull());
  EXPECT_TRUE(w.host.session.deliver<GmUserLeave>(Leave({{1, 42}})));
  GmFormationAOpen::Info late;
  late.room = 1;
  late.result = 1;
  w.host.session.deliver<GmFormationAOpen>(late);
  EXPECT_TRUE(w.platform.boxes.empty()) << "a closed room's formation messages are dropped";
  DeleteDeferred();
  EXPECT_TRUE(board.isNull());
}

TEST(ChatTabsMembersTest, OwnDepartureWhileTheFormationRefusalBoxIsOpen) {
  World w;
  w.host.session.setClientId(42);
  TChatSheet* lobby = w.Open(1);
  QTest::mouseClick(lobby->Frame()->ButtonFormation(), Qt::LeftButton);
  QPointer<TFormFormation> board(lobby->Frame()->FormationWindow());
  ASSERT_FALSE(board.isNull());
  // The box's nested loop handles the departure and runs the deferred deletions.
  w.platform.duringBox = [&] {
    EXPECT_TRUE(w.host.session.deliver<GmUserLeave>(Leave({{1, 42}})));
    DeleteDeferred();
  };
  GmFormationAOpen::Info refused;
  refused.room = 1;
  refused.result = 1;
  w.host.session.deliver<GmFormationAOpen>(refused);
  DeleteDeferred();
  EXPECT_TRUE(board.isNull());
  EXPECT_EQ(w.tabs->PageCount(), 0);
}
