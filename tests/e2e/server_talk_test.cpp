// Talk on the lobby server over loopback: relays, private talk both ways, the
// level and ignore commands and their notices.
#include <gtest/gtest.h>

#include <QTcpSocket>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "server/lobby_server.h"
#include "server/probe_client.h"
#include "server/server_clock.h"
#include "wait.h"

namespace {

class ServerTalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerOptions o;
    o.demo = true;
    o.lifeSeconds = 0;
    server = std::make_unique<LobbyServer>(std::move(o), &clock, [](const std::string&) {});
    ASSERT_TRUE(server->listen());
    room = server->world().addRoom("talkroom", "", 0);
  }
  std::unique_ptr<ProbeClient> inRoom(uint32_t id, int16_t where) {
    auto c = std::make_unique<ProbeClient>(server->port());
    EXPECT_TRUE(c->connectToServer());
    EXPECT_EQ(c->login(id, "pw"), 0);
    GmEnterRoom::Info in;
    in.room = where;
    c->send<GmEnterRoom>(in);
    GmAEnterRoom::Info answer;
    EXPECT_TRUE(c->next<GmAEnterRoom>(answer));
    EXPECT_EQ(answer.status, 0);
    return c;
  }
  static void Say(ProbeClient& c, int16_t where, const std::string& text) {
    GmTalk::Info t;
    t.room = where;
    t.sender = c.clientId();
    CopyText(t.text, text.c_str());
    c.send<GmTalk>(t);
  }
  // Everyone's queue is settled and emptied.
  static void Settle(std::initializer_list<ProbeClient*> clients) {
    for (ProbeClient* c : clients) {
      ASSERT_TRUE(c->barrier());
      c->clear();
    }
  }

  ManualClock clock;
  std::unique_ptr<LobbyServer> server;
  int16_t room = 0;
};

TEST_F(ServerTalkTest, LinesGoToTheRoomWithTheSpeakersName) {
  auto a = inRoom(1, room);
  auto b = inRoom(2, room);
  auto outsider = inRoom(3, LobbyWorld::LobbyRoom);
  Settle({a.get(), b.get(), outsider.get()});
  Say(*a, room, "hello");
  for (ProbeClient* c : {a.get(), b.get()}) {
    GmTalk::Info t;
    ASSERT_TRUE(c->next<GmTalk>(t));
    EXPECT_EQ(t.room, room);
    EXPECT_EQ(t.sender, a->clientId());
    EXPECT_STREQ(t.name, "Player1");
    EXPECT_STREQ(t.text, "hello");
    EXPECT_EQ(t.kind, 0);
  }
  ASSERT_TRUE(outsider->barrier());
  EXPECT_EQ(outsider->count(GmTalk::Type), 0);
  // A line for a room the speaker is not in goes nowhere.
  Say(*outsider, room, "sneaky");
  Settle({outsider.get()});
  ASSERT_TRUE(a->barrier());
  EXPECT_EQ(a->count(GmTalk::Type), 0);
}

TEST_F(ServerTalkTest, SenderFieldsFromTheClientAreNotTrusted) {
  auto a = inRoom(1, room);
  Settle({a.get()});
  GmTalk::Info forged;
  forged.room = room;
  forged.sender = 999;
  forged.kind = 3;
  CopyText(forged.name, "admin");
  CopyText(forged.text, "trust me");
  a->send<GmTalk>(forged);
  GmTalk::Info t;
  ASSERT_TRUE(a->next<GmTalk>(t));
  EXPECT_EQ(t.sender, a->clientId());
  EXPECT_STREQ(t.name, "Player1");
  EXPECT_EQ(t.kind, 0);
}

TEST_F(ServerTalkTest, OverlongTextIsCutToItsField) {
  auto a = inRoom(1, room);
  Settle({a.get()});
  // A hand-made frame whose text claims 200 bytes.
  QByteArray payload;
  payload.append(char(room >> 8)).append(char(room & 0xFF)).append(char(0)).append(char(1));
  payload.append(char(0));  // name
  payload.append(char(200)).append(QByteArray(200, 'x'));
  payload.append(char(0));
  QByteArray frame;
  const int n = payload.size() + 3;
  frame.append(char(n >> 8)).append(char(n & 0xFF)).append(char(NetDef::GmTalk)).append(payload);
  a->sendRaw(frame);
  GmTalk::Info t;
  ASSERT_TRUE(a->next<GmTalk>(t));
  EXPECT_EQ(std::string(t.text), std::string(150, 'x'));
}

TEST_F(ServerTalkTest, PrivateTalkBothWays) {
  auto a = inRoom(1, room);
  auto b = inRoom(2, LobbyWorld::LobbyRoom);
  Settle({a.get(), b.get()});
  Say(*a, room, "/t Player2 see you at the stadium");
  GmTalk::Info got;
  ASSERT_TRUE(b->next<GmTalk>(got));
  EXPECT_EQ(got.room, NetDef::PrivateTalkRoom);
  EXPECT_EQ(got.kind, 3);
  EXPECT_STREQ(got.name, "Player1");
  EXPECT_EQ(got.sender, a->clientId());
  EXPECT_STREQ(got.text, "see you at the stadium");
  GmTalk::Info echo;
  ASSERT_TRUE(a->next<GmTalk>(echo));
  EXPECT_EQ(echo.room, NetDef::PrivateTalkRoom);
  EXPECT_EQ(echo.kind, 5);
  EXPECT_STREQ(echo.name, "Player2");
  EXPECT_STREQ(echo.text, "see you at the stadium");

  // The answer, typed in the private tab (room 9999).
  Say(*b, NetDef::PrivateTalkRoom, "/t Player1 ok");
  ASSERT_TRUE(a->next<GmTalk>(got));
  EXPECT_EQ(got.kind, 3);
  EXPECT_STREQ(got.name, "Player2");
  EXPECT_STREQ(got.text, "ok");
  ASSERT_TRUE(b->next<GmTalk>(echo));
  EXPECT_EQ(echo.kind, 5);
  EXPECT_STREQ(echo.name, "Player1");
  // Nobody else hears it.
  auto c = inRoom(3, room);
  Settle({c.get()});
  Say(*a, room, "/t Player2 secret");
  ASSERT_TRUE(b->barrier());
  ASSERT_TRUE(c->barrier());
  EXPECT_EQ(c->count(GmTalk::Type), 0);
}

TEST_F(ServerTalkTest, PrivateTalkToNobodyOrWithoutTextGetsANotice) {
  auto a = inRoom(1, room);
  Settle({a.get()});
  Say(*a, room, "/t Nobody hi");
  GmTalk::Info notice;
  ASSERT_TRUE(a->next<GmTalk>(notice));
  EXPECT_EQ(notice.kind, 1);
  EXPECT_EQ(notice.room, room);
  EXPECT_EQ(std::string(notice.text).rfind("Nobody", 0), 0u);
  Say(*a, room, "/t Player1");
  ASSERT_TRUE(a->next<GmTalk>(notice));
  EXPECT_EQ(notice.kind, 1);
  // A plain line in the private tab is not relayed anywhere.
  Say(*a, NetDef::PrivateTalkRoom, "just text");
  ASSERT_TRUE(a->next<GmTalk>(notice));
  EXPECT_EQ(notice.kind, 1);
  EXPECT_EQ(notice.room, NetDef::PrivateTalkRoom);
}

TEST_F(ServerTalkTest, LevelGrantNeedsLevelAndReachesTheRoom) {
  auto owner = std::make_unique<ProbeClient>(server->port());
  ASSERT_TRUE(owner->connectToServer());
  ASSERT_EQ(owner->login(1, "pw"), 0);
  GmCreateRoom::Info create;
  CopyText(create.name, "ownedroom");
  owner->send<GmCreateRoom>(create);
  GmAEnterRoom::Info entered;
  ASSERT_TRUE(owner->next<GmAEnterRoom>(entered));
  const int16_t owned = entered.room;
  auto guest = inRoom(2, owned);
  auto third = inRoom(3, owned);
  Settle({owner.get(), guest.get(), third.get()});

  Say(*guest, owned, "/o Player3");
  GmTalk::Info refused;
  ASSERT_TRUE(guest->next<GmTalk>(refused));
  EXPECT_EQ(refused.kind, 2);
  ASSERT_TRUE(third->barrier());
  EXPECT_EQ(third->count(GmUserChange::Type), 0);

  Say(*owner, owned, "/o Player2");
  for (ProbeClient* c : {owner.get(), guest.get(), third.get()}) {
    GmUserChange::Info change;
    ASSERT_TRUE(c->next<GmUserChange>(change));
    EXPECT_EQ(change.room, owned);
    EXPECT_EQ(change.clientId, guest->clientId());
    EXPECT_EQ(change.level, 1);
  }
  // Now the guest may pass it on; an unknown name is a notice.
  Say(*guest, owned, "/o Player3");
  GmUserChange::Info change;
  ASSERT_TRUE(third->next<GmUserChange>(change));
  EXPECT_EQ(change.clientId, third->clientId());
  Say(*guest, owned, "/o Ghost");
  GmTalk::Info unknown;
  ASSERT_TRUE(guest->next<GmTalk>(unknown));
  EXPECT_EQ(unknown.kind, 1);
}

TEST_F(ServerTalkTest, IgnoreTogglesOnlyForTheOneWhoAsked) {
  auto a = inRoom(1, room);
  auto b = inRoom(2, room);
  auto c = inRoom(3, room);
  Settle({a.get(), b.get(), c.get()});
  Say(*a, room, "/i Player2");
  GmTalk::Info notice;
  ASSERT_TRUE(a->next<GmTalk>(notice));
  EXPECT_EQ(notice.kind, 2);
  Settle({a.get()});

  Say(*b, room, "first");
  GmTalk::Info line;
  ASSERT_TRUE(c->next<GmTalk>(line));
  ASSERT_TRUE(b->next<GmTalk>(line));
  ASSERT_TRUE(a->barrier());
  EXPECT_EQ(a->count(GmTalk::Type), 0);
  Say(*b, room, "/t Player1 psst");  // private talk is held back too
  ASSERT_TRUE(b->next<GmTalk>(line));
  EXPECT_EQ(line.kind, 5);
  ASSERT_TRUE(a->barrier());
  EXPECT_EQ(a->count(GmTalk::Type), 0);

  Say(*a, room, "/i Player2");
  ASSERT_TRUE(a->next<GmTalk>(notice));
  EXPECT_EQ(notice.kind, 2);
  Say(*b, room, "second");
  ASSERT_TRUE(a->next<GmTalk>(line));
  EXPECT_STREQ(line.text, "second");
}

TEST_F(ServerTalkTest, DemoMembersAnswerPrivateTalkByThemselves) {
  auto a = inRoom(1, LobbyWorld::LobbyRoom);
  Settle({a.get()});
  const std::string kenta = cp932::FromUtf8("ケンタ");
  Say(*a, LobbyWorld::LobbyRoom, "/t " + kenta + " hi");
  GmTalk::Info echo;
  ASSERT_TRUE(a->next<GmTalk>(echo));
  EXPECT_EQ(echo.kind, 5);
  GmTalk::Info reply;
  ASSERT_TRUE(a->next<GmTalk>(reply));
  EXPECT_EQ(reply.kind, 3);
  EXPECT_EQ(reply.room, NetDef::PrivateTalkRoom);
  EXPECT_EQ(std::string(reply.name), kenta);
  EXPECT_STRNE(reply.text, "");
}

TEST_F(ServerTalkTest, DemoMembersChatInTheLobby) {
  auto a = inRoom(1, LobbyWorld::LobbyRoom);
  Settle({a.get()});
  clock.advance(9000);
  GmTalk::Info line;
  ASSERT_TRUE(a->next<GmTalk>(line));
  EXPECT_EQ(line.room, LobbyWorld::LobbyRoom);
  EXPECT_EQ(line.kind, 0);
  EXPECT_STRNE(line.name, "");
  EXPECT_NE(line.sender, a->clientId());
}

}  // namespace

namespace {

// A client that logs in and enters a room, and then never reads a byte: the
// system's buffers on both sides fill, and the rest piles up in the server.
struct DeafClient {
  explicit DeafClient(quint16 port, int16_t room) {
    socket.setReadBufferSize(1);
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.waitForConnected(5000);
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    GmConnect::Info login;
    login.userId = 4242;
    CopyText(login.password, "pw");
    GmEnterRoom::Info enter;
    enter.room = room;
    Send<GmReady>(GmReady::Info{});
    Send<GmConnect>(login);
    Send<GmEnterRoom>(enter);
  }
  template <class M>
  void Send(const typename M::Info& info) {
    NetPacket p;
    ASSERT_TRUE(M::encode(p, info));
    socket.write(reinterpret_cast<const char*>(p.frame_bytes()), p.wire_length());
    socket.flush();
  }
  QTcpSocket socket;
};

// The server pushes back instead of holding everything: past its output budget
// it stops reading, a client that does not read is dropped once the pause has
// lasted, and every line still reaches the clients that do read, in order.
TEST_F(ServerTalkTest, AClientThatNeverReadsIsDroppedAndTheOutputStaysWithinItsBudget) {
  server.reset();
  ServerOptions o;
  o.demo = true;
  o.lifeSeconds = 0;
  std::vector<std::string> log;
  server =
      std::make_unique<LobbyServer>(std::move(o), &clock, [&log](const std::string& line) { log.push_back(line); });
  FlowLimits limits;
  limits.outputBudget = 256 * 1024;
  limits.stallMs = 300;
  limits.stalledBytes = 64 * 1024;
  server->setFlowLimits(limits);
  ASSERT_TRUE(server->listen());
  room = server->world().addRoom("talkroom", "", 0);
  auto reader = inRoom(11, room);
  auto talker = inRoom(12, room);
  DeafClient deaf(server->port(), room);
  ASSERT_TRUE(WaitUntil([&] { return server->world().userCount() >= 3; }));
  Settle({reader.get(), talker.get()});

  // Far more than the system buffers of the deaf client can hold.
  constexpr int kLines = 40000;
  const std::string filler(120, 'x');
  for (int i = 0; i < kLines; ++i) Say(*talker, room, std::to_string(i) + " " + filler);
  ASSERT_TRUE(WaitUntil([&] { return reader->count(GmTalk::Type) >= kLines; }, 60000))
      << reader->count(GmTalk::Type) << " of " << kLines << " lines";
  for (int i = 0; i < kLines; ++i) {
    GmTalk::Info t;
    ASSERT_TRUE(reader->next<GmTalk>(t, 0));
    ASSERT_EQ(std::strtol(t.text, nullptr, 10), i) << "out of order";
  }
  // (The deaf client itself cannot tell: it does not read, not even the close.)
  EXPECT_TRUE(WaitUntil([&] { return server->connectionCount() == 2; }, 5000)) << "the deaf client is still served";
  EXPECT_LE(server->peakQueuedBytes(), limits.outputBudget + 64 * 1024) << "the budget plus one read's worth";
  EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                          [](const std::string& l) { return l.find("it stopped reading") != std::string::npos; }));
  EXPECT_FALSE(server->inputPaused());
}

}  // namespace
