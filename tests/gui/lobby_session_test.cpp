// The lobby session alone, with no window, against a scripted server: its
// states, what it sends on its own and what it reports. It never opens a box.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTimer>
#include <string>
#include <vector>

#include "recording_platform.h"
#include "scripted_server.h"
#include "session/lobby_session.h"
#include "wait.h"

namespace {

using State = LobbySession::State;

class LobbySessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QObject::connect(&session, &LobbySession::stateChanged, [this](State s) { states.push_back(s); });
    QObject::connect(&session, &LobbySession::opened, [this] { events.push_back("opened"); });
    QObject::connect(&session, &LobbySession::closed, [this] { events.push_back("closed"); });
    QObject::connect(&session, &LobbySession::loggedIn, [this] { events.push_back("loggedIn"); });
    QObject::connect(&session, &LobbySession::handshakeRefused, [this](int status, const std::string& text) {
      events.push_back("handshakeRefused " + std::to_string(status) + " " + text + (session.isOpen() ? " open" : ""));
    });
    QObject::connect(&session, &LobbySession::loginRefused, [this](int status, const std::string& text) {
      events.push_back("loginRefused " + std::to_string(status) + " " + text + (session.isOpen() ? " open" : ""));
    });
  }

  LobbySession::Login LoginTo(quint16 port) const {
    LobbySession::Login login;
    login.address = "127.0.0.1";
    login.port = port;
    login.userId = 1234;
    login.password = "PASS1";
    login.rooms = {{0, "lobby", "", 0}, {0, "club", "pw", 77}};
    return login;
  }
  // Connected and past GmReady.
  void Handshake() {
    session.open(LoginTo(server.port()));
    ASSERT_TRUE(server.waitForFrames(1));
    ASSERT_TRUE(WaitUntil([&] { return session.isOpen(); }));
  }
  void Answer(const GmAReady::Info& ready) {
    server.send<GmAReady>(ready);
    ASSERT_TRUE(WaitUntil([&] { return session.clientId() == ready.clientId; }));
  }

  RecordingPlatform platform;
  ScriptedServer server;
  LobbySession session;
  std::vector<State> states;
  std::vector<std::string> events;
};

}  // namespace

TEST_F(LobbySessionTest, ALoginRunsThroughItsStatesAndEntersTheRoomsAgainInOrder) {
  Handshake();
  GmAReady::Info ready;
  ready.clientId = 258;
  Answer(ready);
  ASSERT_TRUE(server.waitForFrames(2));
  GmConnect::Info login;
  ASSERT_TRUE(server.decodeFrame<GmConnect>(1, login));
  EXPECT_EQ(login.userId, 1234u);
  EXPECT_STREQ(login.password, "PASS1");
  EXPECT_EQ(session.state(), State::Handshaking);

  GmAConnect::Info ok;
  CopyText(ok.PlayerName, "abc");
  server.send<GmAConnect>(ok);
  ASSERT_TRUE(server.waitForFrames(4));
  EXPECT_EQ(session.playerName(), "abc");
  GmEnterRoom::Info first, second;
  ASSERT_TRUE(server.decodeFrame<GmEnterRoom>(2, first));
  ASSERT_TRUE(server.decodeFrame<GmEnterRoom>(3, second));
  EXPECT_STREQ(first.name, "lobby");
  EXPECT_STREQ(second.name, "club");
  EXPECT_STREQ(second.password, "pw");
  EXPECT_EQ(second.teamId, 77u);

  server.dropClient();
  ASSERT_TRUE(WaitUntil([&] { return session.state() == State::Idle; }));
  EXPECT_EQ(states, (std::vector<State>{State::Connecting, State::Handshaking, State::LoggedIn, State::Idle}));
  EXPECT_EQ(events, (std::vector<std::string>{"opened", "loggedIn", "closed"}));
  EXPECT_FALSE(session.send(GmTalk::Info{})) << "nothing is written once the connection is gone";
  EXPECT_TRUE(platform.boxes.empty());
}

// A refusal ends the connection first and is reported after: whoever shows it
// sees a closed session. Nothing more is sent.
TEST_F(LobbySessionTest, RefusalsCloseTheConnectionBeforeTheyAreReported) {
  struct Row {
    bool atLogin;
    uint8_t status;
  };
  const Row rows[] = {{false, NetDef::ReadyNeedsUpdate},
                      {false, NetDef::ReadyTooManyUsers},
                      {true, NetDef::LoginWrongPassword},
                      {true, NetDef::StatusServerText}};
  for (const Row& row : rows) {
    const std::string expected =
        (row.atLogin ? "loginRefused " : "handshakeRefused ") + std::to_string(row.status) + " no";
    SCOPED_TRACE(expected);
    events.clear();
    server.clearFrames();
    Handshake();
    GmAReady::Info ready;
    ready.clientId = 9;
    ready.status = row.atLogin ? NetDef::StatusOk : row.status;
    CopyText(ready.message, "no");
    if (row.atLogin) {
      Answer(ready);
      ASSERT_TRUE(server.waitForFrames(2));
      GmAConnect::Info refused;
      refused.status = row.status;
      CopyText(refused.message, "no");
      server.send<GmAConnect>(refused);
    } else {
      server.send<GmAReady>(ready);
    }
    ASSERT_TRUE(server.waitForDisconnect());
    ASSERT_TRUE(WaitUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events, (std::vector<std::string>{"opened", "closed", expected}));
    EXPECT_EQ(server.frames().size(), row.atLogin ? 2u : 1u);
  }
  EXPECT_TRUE(platform.boxes.empty()) << "the session leaves boxes to the window";
}

// GmClose ends the connection; a talk that came with it in the same read is
// never handed on.
TEST_F(LobbySessionTest, GmCloseEndsTheConnectionAndWhatFollowsIsDropped) {
  int talks = 0;
  LobbySession::Subscription s = session.subscribe<GmTalk>([&](const GmTalk::Info&) { ++talks; });
  Handshake();
  server.sendRaw(FrameOf<GmClose>({}) + FrameOf<GmTalk>(GmTalk::Info{}));
  ASSERT_TRUE(server.waitForDisconnect());
  ASSERT_TRUE(WaitUntil([&] { return session.state() == State::Idle; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(talks, 0);
}

TEST_F(LobbySessionTest, AServerThatIsNotThereIsReportedFromTheEventLoop) {
  quint16 port = 0;
  {
    ScriptedServer gone;
    port = gone.port();
  }
  QSignalSpy failed(&session, &LobbySession::failed);
  session.open(LoginTo(port));
  ASSERT_TRUE(WaitUntil([&] { return !failed.isEmpty(); }));
  EXPECT_EQ(failed.first().at(0).toString(), QStringLiteral("サーバに接続を拒否されました。"));
  EXPECT_EQ(session.state(), State::Idle);
  EXPECT_EQ(states, (std::vector<State>{State::Connecting, State::Idle}));
  EXPECT_TRUE(events.empty()) << "a connection that never opened neither opens nor closes";
}

// The session has no clock of its own: the round trip of a ping is the
// difference of the ticks it is handed, across the wrap of the 32-bit tick, and
// a ping sent at tick 0 still counts as outstanding.
TEST(LobbySessionClockTest, PingRoundTripsComeFromTheInjectedTick) {
  ScriptedServer server;
  uint32_t now = 0;
  LobbySession session(nullptr, [&now] { return now; });
  std::vector<int> answers;
  QObject::connect(&session, &LobbySession::pingAnswered, [&](int ms) { answers.push_back(ms); });
  LobbySession::Login login;
  login.address = "127.0.0.1";
  login.port = server.port();
  session.open(login);
  ASSERT_TRUE(server.waitForFrames(1));
  ASSERT_TRUE(WaitUntil([&] { return session.isOpen(); }));

  server.send<GmAPing>({});  // no ping of ours outstanding
  ASSERT_TRUE(WaitUntil([&] { return answers.size() == 1; }));
  EXPECT_EQ(answers[0], -1);

  struct Row {
    uint32_t sentAt;
    uint32_t answeredAt;
    int roundTrip;
  };
  const Row rows[] = {{1000, 1250, 250}, {0, 50, 49}, {0xFFFFFFF0u, 0x10, 32}, {7, 7, 0}};
  session.findChild<QTimer*>(QStringLiteral("TimerPing"))->setInterval(1);
  for (const Row& row : rows) {
    now = row.sentAt;
    const size_t pings = server.types().size();
    session.startPing();
    ASSERT_TRUE(server.waitForFrames(pings + 1)) << row.sentAt;
    session.stopPing();
    EXPECT_EQ(server.types().back(), NetDef::GmPing);
    now = row.answeredAt;
    const size_t before = answers.size();
    server.send<GmAPing>({});
    ASSERT_TRUE(WaitUntil([&] { return answers.size() == before + 1; })) << row.sentAt;
    EXPECT_EQ(answers.back(), row.roundTrip) << "sent at " << row.sentAt;
  }
}
