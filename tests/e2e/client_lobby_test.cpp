// Logging in, chatting, private talk and the room list of the real client
// against the development lobby server.
#include <QAction>

#include "client_fixture.h"
#include "main_window_parts.h"

namespace {

using ClientLobbyTest = ClientE2eTest;
TEST_F(ClientLobbyTest, LoginShowsTheUserCountAndOpensTheLobbyWithItsMembers) {
  TFormMain* form = Open(Folder("a"), 1);
  ASSERT_TRUE(LogIn(form));
  EXPECT_EQ(form->session().playerName(), "Player1");
  // Four demo members in the lobby and this client.
  ASSERT_EQ(server->world().userCount(), 5);
  EXPECT_TRUE(WaitUntil([&] { return form->windowTitle() == QStringLiteral("Turfwing ver2.18.55 - 5人"); }))
      << form->windowTitle().toStdString();

  ASSERT_EQ(Child<QTabWidget>(*form, "PageControl1")->count(), 1);
  TChatSheet* lobby = TabNamed(form, "待合室");
  ASSERT_NE(lobby, nullptr);
  EXPECT_EQ(lobby->GetRoomNumber(), LobbyWorld::LobbyRoom);
  ASSERT_TRUE(WaitUntil([&] { return lobby->Users().Count() == 5; })) << lobby->Users().Count();
  const QStringList members = MembersOf(lobby);
  for (const char* name : {"ケンタ", "ミサキ", "ゆうすけ", "Coach_K", "Player1"}) {
    EXPECT_TRUE(members.contains(QString::fromUtf8(name))) << name << " in " << members.join(u',').toStdString();
  }

  // A second member raises the count on the first window and joins its list.
  TFormMain* other = Open(Folder("b"), 2);
  ASSERT_TRUE(LogIn(other));
  EXPECT_TRUE(WaitUntil([&] { return form->windowTitle() == QStringLiteral("Turfwing ver2.18.55 - 6人"); }))
      << form->windowTitle().toStdString();
  EXPECT_TRUE(WaitUntil([&] { return MembersOf(lobby).contains(QStringLiteral("Player2")); }));

  // The demo chatter follows the server's clock.
  clock.advance(9000);
  EXPECT_TRUE(WaitUntil([&] { return LogOf(lobby).contains(QStringLiteral("こんにちは！")); }))
      << LogOf(lobby).toStdString();
}

TEST_F(ClientLobbyTest, LinesAndPrivateTalkReachBothWindows) {
  TFormMain* a = Open(Folder("a"), 1);
  TFormMain* b = Open(Folder("b"), 2);
  ASSERT_TRUE(LogIn(a));
  ASSERT_TRUE(LogIn(b));
  TChatSheet* lobbyA = TabNamed(a, "待合室");
  TChatSheet* lobbyB = TabNamed(b, "待合室");
  ASSERT_TRUE(lobbyA && lobbyB);

  Say(a, QStringLiteral("みなさん、こんばんは"));
  ASSERT_TRUE(WaitUntil([&] { return LogOf(lobbyB).contains(QStringLiteral("みなさん、こんばんは")); }))
      << LogOf(lobbyB).toStdString();
  EXPECT_TRUE(WaitUntil([&] { return LogOf(lobbyA).contains(QStringLiteral("みなさん、こんばんは")); }));
  EXPECT_TRUE(LogOf(lobbyB).contains(QStringLiteral("Player1"))) << LogOf(lobbyB).toStdString();
  // The input is emptied once the line has gone.
  EXPECT_TRUE(Child<QComboBox>(*a, "EditInputChat")->currentText().isEmpty());

  EXPECT_EQ(PrivateTab(a), nullptr);
  EXPECT_EQ(PrivateTab(b), nullptr);
  Say(a, QStringLiteral("/t Player2 ないしょの話"));
  ASSERT_TRUE(WaitUntil([&] { return PrivateTab(b) != nullptr; }));
  TChatSheet* privateB = PrivateTab(b);
  EXPECT_EQ(Child<QTabWidget>(*b, "PageControl1")->tabText(Child<QTabWidget>(*b, "PageControl1")->indexOf(privateB)),
            QStringLiteral("【個別 チャット】"));
  EXPECT_TRUE(WaitUntil([&] { return LogOf(privateB).contains(QStringLiteral("ないしょの話")); }))
      << LogOf(privateB).toStdString();
  ASSERT_TRUE(WaitUntil([&] { return PrivateTab(a) != nullptr; }));
  TChatSheet* privateA = PrivateTab(a);
  EXPECT_EQ(Child<QTabWidget>(*a, "PageControl1")->tabText(Child<QTabWidget>(*a, "PageControl1")->indexOf(privateA)),
            QStringLiteral("【個別 チャット】"));
  EXPECT_TRUE(WaitUntil([&] { return LogOf(privateA).contains(QStringLiteral("ないしょの話")); }));
  // Private talk stays out of the lobby logs.
  EXPECT_FALSE(LogOf(lobbyB).contains(QStringLiteral("ないしょの話")));
  EXPECT_FALSE(LogOf(lobbyA).contains(QStringLiteral("ないしょの話")));

  // And back the other way.
  Activate(b, lobbyB);
  Say(b, QStringLiteral("/t Player1 りょうかい"));
  EXPECT_TRUE(WaitUntil([&] { return LogOf(privateA).contains(QStringLiteral("りょうかい")); }))
      << LogOf(privateA).toStdString();
  EXPECT_TRUE(WaitUntil([&] { return LogOf(privateB).contains(QStringLiteral("りょうかい")); }));
  EXPECT_FALSE(LogOf(lobbyA).contains(QStringLiteral("りょうかい")));
}

TEST_F(ClientLobbyTest, LeavingClosesTheTabAndTheRoomListEntersAgain) {
  TFormMain* a = Open(Folder("a"), 1);
  TFormMain* b = Open(Folder("b"), 2);
  ASSERT_TRUE(LogIn(a));
  ASSERT_TRUE(LogIn(b));

  ASSERT_TRUE(EnterFromRoomList(a, "雑談部屋"));
  ASSERT_TRUE(WaitUntil([&] { return TabNamed(a, "雑談部屋") != nullptr; }));
  ASSERT_TRUE(EnterFromRoomList(b, "雑談部屋"));
  ASSERT_TRUE(WaitUntil([&] { return TabNamed(b, "雑談部屋") != nullptr; }));
  TChatSheet* roomA = TabNamed(a, "雑談部屋");
  EXPECT_TRUE(WaitUntil([&] { return MembersOf(roomA).contains(QStringLiteral("Player2")); }))
      << MembersOf(roomA).join(u',').toStdString();
  EXPECT_EQ(roomA->Users().Count(), 2);

  // A line said in the room stays in the room.
  Activate(b, TabNamed(b, "雑談部屋"));
  Say(b, QStringLiteral("部屋の中だけの話"));
  EXPECT_TRUE(WaitUntil([&] { return LogOf(roomA).contains(QStringLiteral("部屋の中だけの話")); }));
  EXPECT_FALSE(LogOf(TabNamed(a, "待合室")).contains(QStringLiteral("部屋の中だけの話")));

  // Leaving: the tab goes when the server has answered, and the other member
  // sees the seat empty.
  Activate(a, roomA);
  Child<QAction>(*a, "RetireMenu")->trigger();
  ASSERT_TRUE(WaitUntil([&] { return TabNamed(a, "雑談部屋") == nullptr; }));
  EXPECT_EQ(Child<QTabWidget>(*a, "PageControl1")->count(), 1);
  TChatSheet* roomB = TabNamed(b, "雑談部屋");
  EXPECT_TRUE(WaitUntil([&] { return roomB->Users().Count() == 1; }));
  EXPECT_FALSE(MembersOf(roomB).contains(QStringLiteral("Player1")));

  ASSERT_TRUE(EnterFromRoomList(a, "雑談部屋"));
  ASSERT_TRUE(WaitUntil([&] { return TabNamed(a, "雑談部屋") != nullptr; }));
  EXPECT_TRUE(WaitUntil([&] { return TabNamed(a, "雑談部屋")->Users().Count() == 2; }));
  EXPECT_EQ(Child<QTabWidget>(*a, "PageControl1")->count(), 2);
}

TEST_F(ClientLobbyTest, RoomsOpenAtExitAreEnteredAtTheNextLogin) {
  const QString folder = Folder("a");
  TFormMain* a = Open(folder, 1);
  ASSERT_TRUE(LogIn(a));
  ASSERT_TRUE(EnterFromRoomList(a, "雑談部屋"));
  ASSERT_TRUE(WaitUntil([&] { return TabNamed(a, "雑談部屋") != nullptr; }));
  Close(a);
  ASSERT_TRUE(WaitUntil([&] { return server->world().userCount() == 4; }));

  TFormMain* again = Open(folder, 1);
  ASSERT_TRUE(LogIn(again, 2));
  ASSERT_TRUE(WaitUntil([&] { return TabNamed(again, "雑談部屋") != nullptr; }));
  EXPECT_NE(TabNamed(again, "待合室"), nullptr);
  EXPECT_EQ(Child<QTabWidget>(*again, "PageControl1")->count(), 2);
  TChatSheet* room = TabNamed(again, "雑談部屋");
  EXPECT_TRUE(WaitUntil([&] { return MembersOf(room).contains(QStringLiteral("Player1")); }));
  EXPECT_EQ(server->world().roomNumberOf(cp932::FromUtf8("雑談部屋")), room->GetRoomNumber());
}

}  // namespace
