// The lobby server's connection life over loopback: handshake, login, user
// counts, keep-alive, ping, hostile framing and shutdown.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <memory>

#include "platform/cp932.h"
#include "server/lobby_server.h"
#include "server/probe_client.h"
#include "server/server_clock.h"
#include "wait.h"

namespace {

class ServerSessionTest : public ::testing::Test {
 protected:
  void start(ServerOptions options = {}) {
    server =
        std::make_unique<LobbyServer>(std::move(options), &clock, [this](const std::string& l) { log.push_back(l); });
    ASSERT_TRUE(server->listen());
  }
  std::unique_ptr<ProbeClient> connected() {
    auto c = std::make_unique<ProbeClient>(server->port());
    EXPECT_TRUE(c->connectToServer());
    return c;
  }
  std::unique_ptr<ProbeClient> loggedIn(uint32_t id, const char* password = "pw") {
    auto c = connected();
    EXPECT_EQ(c->login(id, password), 0);
    return c;
  }
  static ServerOptions WithAccounts() {
    ServerOptions o;
    Account taro;
    taro.id = 1001;
    taro.password = "secret1";
    taro.name = cp932::FromUtf8("たろう");
    o.accounts.push_back(taro);
    return o;
  }
  static ServerOptions Demo() {
    ServerOptions o = WithAccounts();
    o.demo = true;
    return o;
  }

  ManualClock clock;
  std::vector<std::string> log;
  std::unique_ptr<LobbyServer> server;
};

TEST_F(ServerSessionTest, HandshakeGivesEachConnectionItsOwnClientId) {
  start();
  auto a = connected();
  auto b = connected();
  a->send<GmReady>(GmReady::Info{});
  b->send<GmReady>(GmReady::Info{});
  GmAReady::Info ra, rb;
  ASSERT_TRUE(a->next<GmAReady>(ra));
  ASSERT_TRUE(b->next<GmAReady>(rb));
  EXPECT_EQ(ra.status, 0);
  EXPECT_EQ(rb.status, 0);
  EXPECT_GT(ra.clientId, 0);
  EXPECT_GT(rb.clientId, 0);
  EXPECT_NE(ra.clientId, rb.clientId);
  EXPECT_TRUE(a->isConnected());
}

TEST_F(ServerSessionTest, VersionBelowMinimumGetsStatus2AndIsClosed) {
  ServerOptions o;
  o.minVersion[0] = 2;
  o.minVersion[1] = 18;
  o.minVersion[2] = 56;
  start(o);
  auto old = connected();
  old->send<GmReady>(GmReady::Info{});  // 2.18.55
  GmAReady::Info r;
  ASSERT_TRUE(old->next<GmAReady>(r));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(old->waitClosed());

  GmReady::Info exact;
  exact.versionBuild = 56;
  auto current = connected();
  current->send<GmReady>(exact);
  ASSERT_TRUE(current->next<GmAReady>(r));
  EXPECT_EQ(r.status, 0);
  GmReady::Info newerMinor;
  newerMinor.versionMinor = 19;
  newerMinor.versionBuild = 0;
  auto newer = connected();
  newer->send<GmReady>(newerMinor);
  ASSERT_TRUE(newer->next<GmAReady>(r));
  EXPECT_EQ(r.status, 0);
}

TEST_F(ServerSessionTest, MachineKindOtherThanOneGetsStatus3) {
  start();
  auto c = connected();
  GmReady::Info ready;
  ready.machineKind = 2;
  c->send<GmReady>(ready);
  GmAReady::Info r;
  ASSERT_TRUE(c->next<GmAReady>(r));
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(c->waitClosed());
}

TEST_F(ServerSessionTest, MaxUsersReachedGetsStatus4UntilSomeoneLeaves) {
  ServerOptions o;
  o.maxUsers = 2;
  start(o);
  auto a = connected();
  auto b = connected();
  EXPECT_EQ(a->login(1, ""), 2);  // past the handshake, refused at login (no accounts)
  auto c = connected();
  auto d = connected();
  c->send<GmReady>(GmReady::Info{});
  d->send<GmReady>(GmReady::Info{});
  GmAReady::Info r;
  ASSERT_TRUE(c->next<GmAReady>(r));
  EXPECT_EQ(r.status, 0);
  ASSERT_TRUE(d->next<GmAReady>(r));
  EXPECT_EQ(r.status, 0);
  b->send<GmReady>(GmReady::Info{});
  ASSERT_TRUE(b->next<GmAReady>(r));
  EXPECT_EQ(r.status, 4);
  EXPECT_TRUE(b->waitClosed());

  c->close();
  ASSERT_TRUE(WaitUntil([&] { return server->world().connectionCount() == 1; }));
  auto e = connected();
  e->send<GmReady>(GmReady::Info{});
  ASSERT_TRUE(e->next<GmAReady>(r));
  EXPECT_EQ(r.status, 0);
}

TEST_F(ServerSessionTest, AccountLoginAnswersNamesAndWrongPasswordIsStatus2) {
  start(WithAccounts());
  auto c = connected();
  c->send<GmReady>(GmReady::Info{});
  GmAReady::Info ready;
  ASSERT_TRUE(c->next<GmAReady>(ready));
  GmConnect::Info login;
  login.userId = 1001;
  CopyText(login.password, "secret1");
  c->send<GmConnect>(login);
  GmAConnect::Info answer;
  ASSERT_TRUE(c->next<GmAConnect>(answer));
  EXPECT_EQ(answer.status, 0);
  EXPECT_STREQ(answer.PlayerName, cp932::FromUtf8("たろう").c_str());
  EXPECT_STREQ(answer.loginText, "1001");
  EXPECT_TRUE(c->barrier());

  auto wrong = connected();
  EXPECT_EQ(wrong->login(1001, "secret2"), 2);
  EXPECT_TRUE(wrong->waitClosed());
  auto unknown = connected();
  EXPECT_EQ(unknown->login(77, "abc"), 2);  // no demo: only accounts log in
  EXPECT_TRUE(unknown->waitClosed());
}

TEST_F(ServerSessionTest, DemoLetsAnyPositiveIdWithLettersAndDigitsIn) {
  start(Demo());
  auto c = connected();
  c->send<GmReady>(GmReady::Info{});
  GmAReady::Info ready;
  ASSERT_TRUE(c->next<GmAReady>(ready));
  GmConnect::Info login;
  login.userId = 42;
  CopyText(login.password, "abc123");
  c->send<GmConnect>(login);
  GmAConnect::Info answer;
  ASSERT_TRUE(c->next<GmAConnect>(answer));
  EXPECT_EQ(answer.status, 0);
  EXPECT_STREQ(answer.PlayerName, "Player42");

  EXPECT_EQ(connected()->login(0, "abc"), 2);
  EXPECT_EQ(connected()->login(43, "ab-c"), 2);
  EXPECT_EQ(connected()->login(1001, "abc"), 2);  // an account keeps its own password
  EXPECT_EQ(connected()->login(1001, "secret1"), 0);
}

TEST_F(ServerSessionTest, UserCountGoesToEveryoneWhenItChanges) {
  start(Demo());
  const int bots = server->world().userCount();
  auto a = loggedIn(1);
  GmUserCount::Info count;
  ASSERT_TRUE(a->next<GmUserCount>(count));
  EXPECT_EQ(count.count, bots + 1);
  auto b = loggedIn(2);
  ASSERT_TRUE(a->next<GmUserCount>(count));
  EXPECT_EQ(count.count, bots + 2);
  ASSERT_TRUE(b->next<GmUserCount>(count));
  EXPECT_EQ(count.count, bots + 2);
  b->close();
  ASSERT_TRUE(a->next<GmUserCount>(count));
  EXPECT_EQ(count.count, bots + 1);
  // A refused login changes nothing.
  EXPECT_EQ(connected()->login(5, "-"), 2);
  EXPECT_TRUE(a->barrier());
  EXPECT_EQ(a->count(GmUserCount::Type), 0);
}

TEST_F(ServerSessionTest, NothingButHandshakeLoginAndPingCountsBeforeLogin) {
  start(Demo());
  auto c = connected();
  c->send<GmRoomListRequest>(GmRoomListRequest::Info{});
  GmEnterRoom::Info enter;
  enter.room = 1;
  c->send<GmEnterRoom>(enter);
  GmConnect::Info early;  // before GmReady
  early.userId = 5;
  c->send<GmConnect>(early);
  ASSERT_TRUE(c->barrier());  // ping is answered in any phase
  EXPECT_TRUE(c->types().empty());
  EXPECT_EQ(c->login(5, "x"), 0);
}

TEST_F(ServerSessionTest, BadLengthClosesOnlyThatClient) {
  start(Demo());
  auto bad = loggedIn(1);
  auto good = loggedIn(2);
  GmEnterRoom::Info lobby;
  lobby.room = LobbyWorld::LobbyRoom;
  bad->send<GmEnterRoom>(lobby);
  good->send<GmEnterRoom>(lobby);
  ASSERT_TRUE(bad->barrier());
  ASSERT_TRUE(good->barrier());
  good->clear();
  bad->sendRaw(QByteArray("\x00\x02\x32", 3));
  EXPECT_TRUE(bad->waitClosed());
  GmUserLeave::Info gone;
  ASSERT_TRUE(good->next<GmUserLeave>(gone));
  EXPECT_EQ(gone.entries[0].clientId, bad->clientId());
  EXPECT_TRUE(good->barrier());
  EXPECT_TRUE(good->isConnected());
  EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                          [](const std::string& l) { return l.find("bad frame length") != std::string::npos; }));
}

TEST_F(ServerSessionTest, OversizedFrameWithinStreamLimitIsSkippedNotFatal) {
  start(Demo());
  auto c = loggedIn(1);
  QByteArray big(1020, '\0');
  big[0] = static_cast<char>(1020 >> 8);
  big[1] = static_cast<char>(1020 & 0xFF);
  big[2] = static_cast<char>(NetDef::GmTalk);
  c->sendRaw(big);
  EXPECT_TRUE(c->barrier());
  EXPECT_TRUE(c->isConnected());
}

TEST_F(ServerSessionTest, LifeComesEveryLifeSeconds) {
  ServerOptions o = Demo();
  o.lifeSeconds = 5;
  start(o);
  auto c = loggedIn(1);
  clock.advance(4999);
  ASSERT_TRUE(c->barrier());
  EXPECT_EQ(c->count(GmLife::Type), 0);
  clock.advance(1);
  GmLife::Info life;
  EXPECT_TRUE(c->next<GmLife>(life));
  clock.advance(10000);
  ASSERT_TRUE(c->barrier());
  EXPECT_EQ(c->count(GmLife::Type), 2);
}

TEST_F(ServerSessionTest, ConnectionsThatDoNotLogInInTimeAreClosed) {
  ServerOptions o = Demo();
  o.loginSeconds = 60;
  start(o);
  auto silent = connected();
  auto halfway = connected();
  halfway->send<GmReady>(GmReady::Info{});
  GmAReady::Info ready;
  ASSERT_TRUE(halfway->next<GmAReady>(ready));
  clock.advance(30000);
  auto member = loggedIn(3);
  clock.advance(29999);
  ASSERT_TRUE(silent->barrier());
  ASSERT_TRUE(halfway->barrier());
  clock.advance(1000);
  EXPECT_TRUE(silent->waitClosed());
  EXPECT_TRUE(halfway->waitClosed());
  EXPECT_TRUE(member->barrier());  // logged in: stays
}

TEST_F(ServerSessionTest, ShutdownSendsCloseToEveryoneAndEnds) {
  start(Demo());
  auto a = loggedIn(1);
  auto waitingForLogin = connected();
  QSignalSpy done(server.get(), &LobbyServer::allClosed);
  server->shutdown();
  GmClose::Info close;
  EXPECT_TRUE(a->next<GmClose>(close));
  EXPECT_TRUE(waitingForLogin->next<GmClose>(close));
  EXPECT_TRUE(a->waitClosed());
  EXPECT_TRUE(waitingForLogin->waitClosed());
  EXPECT_TRUE(WaitUntil([&] { return done.count() == 1; }));
}

}  // namespace
