// A login-and-join session cut at every byte: delivered a byte at a time, in
// random pieces, and broken off by the server at every offset.
#include <random>

#include "hostile_fixture.h"
#include "main_window_parts.h"

namespace {

using DeliveryTest = HostileServerTest;

TEST_F(DeliveryTest, TheGoldenSessionFillsTheWindow) {
  // The reference itself must show what the session says, or every comparison
  // below would compare nothing.
  const QString golden = GoldenView();
  EXPECT_TRUE(golden.contains(QStringLiteral("Turfwing ver2.18.55 - 42人"))) << golden.toStdString();
  EXPECT_TRUE(golden.contains(QStringLiteral("player 選手壱")));
  EXPECT_TRUE(golden.contains(QStringLiteral("tab 待合室 0")));
  EXPECT_TRUE(golden.contains(QStringLiteral("tab 日本語の部屋 7")));
  EXPECT_TRUE(golden.contains(QStringLiteral("試合しませんか http://example.com/match?id=1")));
  EXPECT_TRUE(golden.contains(QStringLiteral("東京FC")));
  EXPECT_EQ(golden.count(QStringLiteral("\nstadium|")), 2);
  EXPECT_EQ(golden.count(QStringLiteral(" member ")), 7);
  EXPECT_FALSE(golden.contains(QStringLiteral("box ")));
}

TEST_F(DeliveryTest, OneByteAtATimeEndsInTheSameView) {
  const QString golden = GoldenView();
  const QByteArray session = LoginSession();
  ASSERT_TRUE(ConnectClient());
  const int readsBefore = reads();
  ASSERT_TRUE(DeliverInPieces(session, [] { return 1; }));
  EXPECT_EQ(reads() - readsBefore, session.size()) << "every byte must arrive in a read of its own";
  EXPECT_EQ(View(), golden);
}

TEST_F(DeliveryTest, RandomPiecesEndInTheSameView) {
  const QString golden = GoldenView();
  const QByteArray session = LoginSession();
  for (unsigned seed = 1; seed <= 8; ++seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> size(1, 2 * 40);
    ASSERT_TRUE(ConnectClient());
    ASSERT_TRUE(DeliverInPieces(session, [&] { return size(random); })) << "seed " << seed;
    EXPECT_EQ(View(), golden) << "seed " << seed;
    Disconnect();
  }
}

TEST_F(DeliveryTest, ServerGoneAtEveryOffsetLeavesAnIdleUsableWindow) {
  const QString idle = View();
  const QByteArray session = LoginSession();
  for (qsizetype cut = 0; cut <= session.size(); ++cut) {
    ASSERT_TRUE(ConnectClient()) << "offset " << cut;
    if (cut > 0) {
      ASSERT_TRUE(Deliver(session.left(cut))) << "offset " << cut;
    }
    server.dropClient();
    ASSERT_TRUE(WaitUntil([&] { return !form.session().isOpen(); })) << "offset " << cut;
    // Back to the view before any connection: no tab, no stadium, no title
    // count, no box (a close by the server is not an error).
    const QString after = View();
    ASSERT_EQ(after.section(QLatin1Char('\n'), 0, 0), idle.section(QLatin1Char('\n'), 0, 0)) << "offset " << cut;
    ASSERT_EQ(Child<QTabWidget>(form, "PageControl1")->count(), 0) << "offset " << cut;
    ASSERT_EQ(Child<TGameListPanel>(form, "PanelGameList")->stadiums().size(), 0u) << "offset " << cut;
    ASSERT_TRUE(platform.boxes.empty()) << "offset " << cut << ": " << after.toStdString();
    ASSERT_TRUE(Child<QAction>(form, "OpenMenu")->isEnabled()) << "offset " << cut;
  }
  EXPECT_TRUE(UsableAfterwards());
}

// The server's last frames and its close in one segment: whatever the window
// has not read when it handles the close belongs to a dead connection, and
// nothing of it may show afterwards (a tab of a room entered while idle).
TEST_F(DeliveryTest, FramesArrivingWithTheCloseAreNeverReadAfterIt) {
  GmAEnterRoom::Info entered;
  entered.room = 12;
  GmTalk::Info talk;
  talk.room = 12;
  CopyText(talk.text, "after-the-end");
  QByteArray tail;
  for (int i = 0; i < 20; ++i) tail += FrameOf<GmAEnterRoom>(entered) + FrameOf<GmTalk>(talk);
  for (int round = 0; round < 20; ++round) {
    ASSERT_TRUE(ConnectClient());
    ASSERT_TRUE(Deliver(LoginSession()));
    server.sendAndClose(tail);
    // Every other round the socket itself takes in the bytes and the end before
    // the loop runs the queued read, as when both are handled in one pass.
    if (round % 2 == 1) Child<QTcpSocket>(form, "Socket1")->waitForDisconnected(2000);
    ASSERT_TRUE(WaitUntil([&] { return !form.session().isOpen(); })) << round;
    WaitUntil([] { return false; }, 20);  // any read still queued runs now
    ASSERT_EQ(Child<QTabWidget>(form, "PageControl1")->count(), 0) << "round " << round << ":\n"
                                                                   << View().toStdString();
  }
  EXPECT_TRUE(UsableAfterwards());
}

TEST_F(DeliveryTest, ClientClosingMidFrameNeverDispatchesTheRest) {
  // The first bytes of a talk frame, then a close by the client. Had the window
  // kept the half frame, the next connection's session would be read as its
  // tail and the view would differ.
  ASSERT_TRUE(ConnectClient());
  const QByteArray session = LoginSession();
  ASSERT_TRUE(Deliver(session));
  GmTalk::Info talk;
  talk.room = kLobby;
  CopyText(talk.text, "tail-of-the-old-connection");
  const QByteArray frame = FrameOf<GmTalk>(talk);
  ASSERT_TRUE(Deliver(frame.left(10)));
  Disconnect();
  EXPECT_TRUE(UsableAfterwards());
  EXPECT_FALSE(View().contains(QStringLiteral("tail-of-the-old-connection")));
}

}  // namespace
