// Stadiums, waiting and the formation board on the lobby server over loopback.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "platform/cp932.h"
#include "server/demo_world.h"
#include "server/lobby_server.h"
#include "server/probe_client.h"
#include "server/server_clock.h"

namespace {

class ServerMatchTest : public ::testing::Test {
 protected:
  void start(bool demo = true) {
    ServerOptions o;
    o.demo = demo;
    o.lifeSeconds = 0;
    Account outsider;  // an account in no team; in demo mode everyone is in the demo team
    outsider.id = 500;
    outsider.password = "pw";
    outsider.name = "Outsider";
    o.accounts.push_back(outsider);
    server = std::make_unique<LobbyServer>(std::move(o), &clock, [](const std::string&) {});
    ASSERT_TRUE(server->listen());
  }
  std::unique_ptr<ProbeClient> loggedIn(uint32_t id) {
    auto c = std::make_unique<ProbeClient>(server->port());
    EXPECT_TRUE(c->connectToServer());
    EXPECT_EQ(c->login(id, "pw"), 0);
    return c;
  }
  static int WaitFor(ProbeClient& c, uint32_t stadium, uint8_t action, GmWaiting::Info* answer = nullptr) {
    GmWaiting::Info in;
    in.stadiumId = stadium;
    in.event = action;
    c.send<GmWaiting>(in);
    GmWaiting::Info out;
    if (!c.next<GmWaiting>(out)) return -1;
    if (answer != nullptr) *answer = out;
    return out.event;
  }
  int16_t teamRoom() const { return server->world().roomNumberOf(cp932::FromUtf8("ターフFC控室")); }
  static bool Enter(ProbeClient& c, int16_t room) {
    GmEnterRoom::Info in;
    in.room = room;
    c.send<GmEnterRoom>(in);
    GmAEnterRoom::Info answer;
    return c.next<GmAEnterRoom>(answer) && answer.status == 0;
  }
  static int Open(ProbeClient& c, int16_t room) {
    GmFormationOpen::Info in;
    in.room = room;
    c.send<GmFormationOpen>(in);
    GmFormationAOpen::Info answer;
    if (!c.next<GmFormationAOpen>(answer)) return -1;
    return answer.result;
  }
  static void Move(ProbeClient& c, int16_t room, uint8_t slot, int16_t x, int16_t y) {
    GmFormationInfo::Info info;
    info.sender = c.clientId();
    info.room = room;
    info.flags = 9 | GmFormationInfo::HasPosition;
    info.count = 1;
    info.entries[0].index = slot;
    info.entries[0].x = x;
    info.entries[0].y = y;
    c.send<GmFormationInfo>(info);
  }
  static GmFormationFile::Info File(ProbeClient& c, int16_t room, uint8_t action) {
    GmFormationFile::Info in;
    in.action = action;
    in.room = room;
    in.playersPerSide = 9;
    c.send<GmFormationFile>(in);
    GmFormationFile::Info out;
    out.result = 255;
    EXPECT_TRUE(c.next<GmFormationFile>(out));
    return out;
  }

  ManualClock clock;
  std::unique_ptr<LobbyServer> server;
};

TEST_F(ServerMatchTest, LoginBringsTheCurrentStadiums) {
  start();
  auto c = loggedIn(1);
  GmStadiumAdd::Info add;
  ASSERT_TRUE(c->next<GmStadiumAdd>(add));
  ASSERT_EQ(add.count, 5);
  bool spectator = false;
  bool trial = false;
  const std::string beta = cp932::FromUtf8("βテスト");
  for (int i = 0; i < add.count; ++i) {
    const auto& e = add.entries[i];
    EXPECT_EQ(e.address[0], 127);
    EXPECT_EQ(e.address[1], 0);
    EXPECT_EQ(e.address[3], 1);
    EXPECT_GT(e.port, 0);
    spectator |= e.playable == 0;
    trial |= std::string(e.name).find(beta) != std::string::npos;
  }
  EXPECT_TRUE(spectator);
  EXPECT_TRUE(trial);
  GmStadiumState::Info state;
  ASSERT_TRUE(c->next<GmStadiumState>(state));
  EXPECT_EQ(state.count, 5);
  GmStadiumTeams::Info teams;
  ASSERT_TRUE(c->next<GmStadiumTeams>(teams));
  EXPECT_EQ(teams.count, 5);
}

TEST_F(ServerMatchTest, MatchesStepThroughThePhasesWithClockAndScore) {
  start();
  auto c = loggedIn(1);
  std::set<int> phases;
  int16_t lastClock = -1;
  bool clockRan = false;
  // Long enough for every phase of a match that goes to penalties, and more.
  for (int step = 0; step < 600; ++step) {
    clock.advance(DemoWorld::StepMs);
    for (const StadiumSetup& s : server->world().stadiums()) {
      if (s.info.id != 102) continue;
      phases.insert(s.state.state);
      if (s.state.state == 1 && lastClock >= 0 && s.state.clock > lastClock) clockRan = true;
      lastClock = s.state.state == 1 ? s.state.clock : -1;
    }
  }
  EXPECT_TRUE(clockRan);
  for (int phase : {0, 1, 2, 3, 9}) EXPECT_EQ(phases.count(phase), 1u) << "phase " << phase;
  // And the client heard about it.
  ASSERT_TRUE(c->barrier());
  EXPECT_GT(c->count(GmStadiumState::Type), 100);
  EXPECT_GT(c->count(GmStadiumTeams::Type), 1);  // new teams for each new match
}

TEST_F(ServerMatchTest, AStadiumComesAndGoes) {
  start();
  auto c = loggedIn(1);
  ASSERT_TRUE(c->barrier());
  c->clear();
  clock.advance(DemoWorld::ComingAndGoingMs);
  GmStadiumDelete::Info gone;
  ASSERT_TRUE(c->next<GmStadiumDelete>(gone));
  EXPECT_EQ(gone.ids[0], DemoWorld::ComingAndGoingStadiumId);
  clock.advance(DemoWorld::ComingAndGoingMs);
  GmStadiumAdd::Info back;
  ASSERT_TRUE(c->next<GmStadiumAdd>(back));
  EXPECT_EQ(back.entries[0].id, DemoWorld::ComingAndGoingStadiumId);
}

TEST_F(ServerMatchTest, WaitStartsThenTheMatchIsReadyAFewSecondsLater) {
  start();
  auto c = loggedIn(1);
  GmWaiting::Info answer;
  ASSERT_EQ(WaitFor(*c, 102, 1, &answer), 3);
  EXPECT_EQ(answer.stadiumId, 102u);
  clock.advance(server->world().options().readySeconds * 1000 - 1);
  ASSERT_TRUE(c->barrier());
  EXPECT_EQ(c->count(GmWaiting::Type), 0);
  clock.advance(1);
  GmWaiting::Info ready;
  ASSERT_TRUE(c->next<GmWaiting>(ready));
  EXPECT_EQ(ready.event, 5);
  EXPECT_EQ(ready.stadiumId, 102u);
  // The wait is over: nothing more comes.
  clock.advance(10000);
  ASSERT_TRUE(c->barrier());
  EXPECT_EQ(c->count(GmWaiting::Type), 0);
}

TEST_F(ServerMatchTest, ReadyNeedsPlayersPlusWaitingToReachTheMatchSize) {
  start(false);
  StadiumSetup setup;
  setup.info.id = 77;
  setup.info.playable = 1;
  setup.state.count1 = 9;
  setup.state.count2 = 7;  // two seats free
  setup.matchSize = 18;
  server->world().putStadium(setup);
  auto a = loggedIn(500);
  auto b = loggedIn(500);
  ASSERT_EQ(WaitFor(*a, 77, 1), 3);
  clock.advance(10000);
  ASSERT_TRUE(a->barrier());
  EXPECT_EQ(a->count(GmWaiting::Type), 0);
  EXPECT_EQ(server->world().stadiums()[0].state.waitingCount, 1);
  ASSERT_EQ(WaitFor(*b, 77, 1), 3);
  clock.advance(3000);
  GmWaiting::Info ready;
  ASSERT_TRUE(a->next<GmWaiting>(ready));
  EXPECT_EQ(ready.event, 5);
  ASSERT_TRUE(b->next<GmWaiting>(ready));
  EXPECT_EQ(ready.event, 5);
}

TEST_F(ServerMatchTest, CancelEndsTheWaitWithEvent2) {
  start();
  auto c = loggedIn(1);
  ASSERT_EQ(WaitFor(*c, 101, 1), 3);
  EXPECT_EQ(WaitFor(*c, 0, 2), 2);
  clock.advance(10000);
  ASSERT_TRUE(c->barrier());
  EXPECT_EQ(c->count(GmWaiting::Type), 0);  // no event 5 after a cancel
}

TEST_F(ServerMatchTest, UnknownAndSpectatorStadiumsFailWithEvent4AndAText) {
  start();
  auto c = loggedIn(1);
  GmWaiting::Info answer;
  EXPECT_EQ(WaitFor(*c, 424242, 1, &answer), 4);
  EXPECT_STRNE(answer.text, "");
  EXPECT_EQ(WaitFor(*c, DemoWorld::SpectatorStadiumId, 1, &answer), 4);
  EXPECT_STRNE(answer.text, "");
  // Unknown actions are ignored.
  GmWaiting::Info odd;
  odd.stadiumId = 101;
  odd.event = 7;
  c->send<GmWaiting>(odd);
  ASSERT_TRUE(c->barrier());
  EXPECT_EQ(c->count(GmWaiting::Type), 0);
}

TEST_F(ServerMatchTest, AStadiumThatClosesEndsItsWaitsWithEvent4) {
  start();
  auto c = loggedIn(1);
  ASSERT_EQ(WaitFor(*c, DemoWorld::ComingAndGoingStadiumId, 1), 3);
  server->world().removeStadium(DemoWorld::ComingAndGoingStadiumId);
  GmWaiting::Info failed;
  ASSERT_TRUE(c->next<GmWaiting>(failed));
  EXPECT_EQ(failed.event, 4);
}

TEST_F(ServerMatchTest, FormationOpensOnlyInTeamRoomsOfOnesTeam) {
  start();
  auto member = loggedIn(1);
  auto outsider = loggedIn(500);
  ASSERT_TRUE(Enter(*member, teamRoom()));
  EXPECT_EQ(Open(*member, teamRoom()), 0);
  EXPECT_NE(Open(*member, LobbyWorld::LobbyRoom), 0);  // not a team room
  EXPECT_NE(Open(*outsider, teamRoom()), 0);           // not in the room
  const int16_t locked = server->world().addRoom("foreign", "pw", 9999999);
  ASSERT_TRUE(Enter(*member, locked) == false);
  GmEnterRoom::Info withPassword;
  withPassword.room = locked;
  CopyText(withPassword.password, "pw");
  outsider->send<GmEnterRoom>(withPassword);
  GmAEnterRoom::Info in;
  ASSERT_TRUE(outsider->next<GmAEnterRoom>(in));
  ASSERT_EQ(in.status, 0);
  EXPECT_NE(Open(*outsider, locked), 0);  // in the room, but not in its team
}

TEST_F(ServerMatchTest, BoardChangesGoToEveryOpenBoardTheSenderIncluded) {
  start();
  auto a = loggedIn(1);
  auto b = loggedIn(2);
  auto closed = loggedIn(3);
  for (ProbeClient* c : {a.get(), b.get(), closed.get()}) ASSERT_TRUE(Enter(*c, teamRoom()));
  ASSERT_EQ(Open(*a, teamRoom()), 0);
  ASSERT_EQ(Open(*b, teamRoom()), 0);
  for (ProbeClient* c : {a.get(), b.get(), closed.get()}) {
    ASSERT_TRUE(c->barrier());
    c->clear();
  }
  Move(*a, teamRoom(), 5, -1200, 2600);
  for (ProbeClient* c : {a.get(), b.get()}) {
    GmFormationInfo::Info relay;
    ASSERT_TRUE(c->next<GmFormationInfo>(relay));
    EXPECT_EQ(relay.sender, a->clientId());
    EXPECT_EQ(relay.room, teamRoom());
    EXPECT_EQ(relay.flags, 9 | GmFormationInfo::HasPosition);
    ASSERT_EQ(relay.count, 1);
    EXPECT_EQ(relay.entries[0].index, 5);
    EXPECT_EQ(relay.entries[0].x, -1200);
    EXPECT_EQ(relay.entries[0].y, 2600);
  }
  ASSERT_TRUE(closed->barrier());
  EXPECT_EQ(closed->count(GmFormationInfo::Type), 0);

  // Slots past the board are dropped; positions past the surround are pulled in.
  Move(*a, teamRoom(), 19, 0, 0);
  Move(*a, teamRoom(), 12, 30000, -30000);
  GmFormationInfo::Info relay;
  ASSERT_TRUE(b->next<GmFormationInfo>(relay));
  EXPECT_EQ(relay.entries[0].index, 12);
  EXPECT_EQ(relay.entries[0].x, 4000);
  EXPECT_EQ(relay.entries[0].y, -5750);

  // A board opened later starts from the room's board as it is now.
  GmFormationClose::Info close;
  close.room = teamRoom();
  b->send<GmFormationClose>(close);
  ASSERT_TRUE(b->barrier());
  b->clear();
  Move(*a, teamRoom(), 6, -1500, 2000);
  ASSERT_TRUE(b->barrier());
  EXPECT_EQ(b->count(GmFormationInfo::Type), 0);  // closed boards hear nothing
  ASSERT_EQ(Open(*closed, teamRoom()), 0);
  GmFormationInfo::Info board;
  ASSERT_TRUE(closed->next<GmFormationInfo>(board));
  ASSERT_EQ(board.count, 19);
  EXPECT_EQ(board.entries[5].x, -1200);
  EXPECT_EQ(board.entries[6].x, -1500);
}

TEST_F(ServerMatchTest, SaveStoresTheBoardAndLoadBringsItBack) {
  start();
  auto a = loggedIn(1);
  ASSERT_TRUE(Enter(*a, teamRoom()));
  ASSERT_EQ(Open(*a, teamRoom()), 0);
  Move(*a, teamRoom(), 8, -1000, 900);
  GmFormationFile::Info answer = File(*a, teamRoom(), GmFormationFile::ActionSave);
  EXPECT_EQ(answer.action, 4);
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.room, teamRoom());

  Move(*a, teamRoom(), 8, 2000, 3000);
  ASSERT_TRUE(a->barrier());
  a->clear();
  GmFormationFile::Info load;
  load.action = GmFormationFile::ActionLoad;
  load.room = teamRoom();
  load.playersPerSide = 9;
  a->send<GmFormationFile>(load);
  ASSERT_TRUE(a->barrier());
  // The stored board first, then the answer.
  EXPECT_EQ(a->types(), (std::vector<uint8_t>{GmFormationInfo::Type, GmFormationFile::Type}));
  GmFormationInfo::Info stored;
  ASSERT_TRUE(a->next<GmFormationInfo>(stored));
  EXPECT_EQ(stored.flags, 9 | GmFormationInfo::HasPosition | GmFormationInfo::HasPosType | GmFormationInfo::HasName);
  ASSERT_EQ(stored.count, 19);
  EXPECT_EQ(stored.entries[8].x, -1000);
  EXPECT_EQ(stored.entries[8].y, 900);
  EXPECT_EQ(stored.entries[1].posType, 1);  // the goalkeeper
  EXPECT_EQ(stored.entries[0].x, 0);        // the ball
  ASSERT_TRUE(a->next<GmFormationFile>(answer));
  EXPECT_EQ(answer.action, 1);
  EXPECT_EQ(answer.result, 0);
}

TEST_F(ServerMatchTest, SaveRefusesAMisplacedBoardAndNonMembers) {
  start();
  auto a = loggedIn(1);
  ASSERT_TRUE(Enter(*a, teamRoom()));
  ASSERT_EQ(Open(*a, teamRoom()), 0);
  Move(*a, teamRoom(), 1, 0, -2000);  // the goalkeeper in the other half
  EXPECT_EQ(File(*a, teamRoom(), GmFormationFile::ActionSave).result, 2);
  auto outsider = loggedIn(500);
  EXPECT_EQ(File(*outsider, teamRoom(), GmFormationFile::ActionSave).result, 3);
  EXPECT_EQ(File(*outsider, teamRoom(), GmFormationFile::ActionLoad).result, 3);
}

}  // namespace
