// Rooms on the lobby server over loopback: the room list transfer, entering by
// number and by name with every refusal, member lists, leaving, disconnects
// and room creation.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "platform/cp932.h"
#include "server/lobby_server.h"
#include "server/probe_client.h"
#include "server/server_clock.h"
#include "wait.h"

namespace {

class ServerRoomsTest : public ::testing::Test {
 protected:
  void start(ServerOptions options) {
    server = std::make_unique<LobbyServer>(std::move(options), &clock, [](const std::string&) {});
    ASSERT_TRUE(server->listen());
  }
  std::unique_ptr<ProbeClient> loggedIn(uint32_t id) {
    auto c = std::make_unique<ProbeClient>(server->port());
    EXPECT_TRUE(c->connectToServer());
    EXPECT_EQ(c->login(id, "pw"), 0);
    c->clear();
    return c;
  }
  static ServerOptions Options() {
    ServerOptions o;
    o.demo = true;  // demo logins; the demo rooms and members are there too
    o.lifeSeconds = 0;
    return o;
  }
  // Enters and returns the answer's status; the answer is taken from the queue.
  static int Enter(ProbeClient& c, int16_t room, const std::string& name = "", const char* password = "") {
    GmEnterRoom::Info in;
    in.room = room;
    CopyText(in.name, name.c_str());
    CopyText(in.password, password);
    c.send<GmEnterRoom>(in);
    GmAEnterRoom::Info answer;
    if (!c.next<GmAEnterRoom>(answer)) return -1;
    return answer.status;
  }
  static int Create(ProbeClient& c, const std::string& name, const char* password = "", uint32_t team = 0) {
    GmCreateRoom::Info in;
    CopyText(in.name, name.c_str());
    CopyText(in.password, password);
    in.teamId = team;
    c.send<GmCreateRoom>(in);
    GmACreateRoom::Info answer;
    if (!c.next<GmACreateRoom>(answer)) return -1;
    return answer.status;
  }
  int16_t numberOf(const char* utf8) { return server->world().roomNumberOf(cp932::FromUtf8(utf8)); }

  ManualClock clock;
  std::unique_ptr<LobbyServer> server;
};

TEST_F(ServerRoomsTest, RoomListComesInFullFramesThenCountsThenTheEmptyEnd) {
  ServerOptions o = Options();
  start(o);
  // Room names of the full 18 bytes: 37 rows fill a frame, 40 would not fit.
  for (int i = 0; i < 60; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "room-%013d", i);
    ASSERT_NE(server->world().addRoom(name, i % 2 ? "pw" : "", 0), 0);
  }
  const int rooms = server->world().roomCount();
  auto c = loggedIn(1);
  c->send<GmRoomListRequest>(GmRoomListRequest::Info{});
  ASSERT_TRUE(c->barrier());

  const std::vector<uint8_t> types = c->types();
  ASSERT_GE(types.size(), 4u);
  EXPECT_EQ(types.back(), GmRoomUsers::Type);
  std::set<int> numbers;
  int listFrames = 0;
  GmRoomList::Info list;
  while (c->count(GmRoomList::Type) > 0) {
    ASSERT_TRUE(c->next<GmRoomList>(list));
    ASSERT_LE(list.count, 40);
    // Frames are filled as far as they go (37 full-length names take 1001 bytes).
    if (listFrames == 0) {
      EXPECT_GE(list.count, 37);
    }
    for (int i = 0; i < list.count; ++i) numbers.insert(list.entries[i].room);
    ++listFrames;
  }
  EXPECT_EQ(static_cast<int>(numbers.size()), rooms);
  int counted = 0;
  GmRoomUsers::Info users;
  bool endSeen = false;
  while (c->count(GmRoomUsers::Type) > 0) {
    ASSERT_FALSE(endSeen) << "counts after the empty end";
    ASSERT_TRUE(c->next<GmRoomUsers>(users));
    ASSERT_LE(users.count, 40);
    endSeen = users.count == 0;
    counted += users.count;
  }
  EXPECT_TRUE(endSeen);
  EXPECT_EQ(counted, rooms);
  // Rows come before counts.
  const auto firstUsers = std::find(types.begin(), types.end(), GmRoomUsers::Type);
  EXPECT_EQ(std::find(firstUsers, types.end(), GmRoomList::Type), types.end());
}

TEST_F(ServerRoomsTest, LaterRequestsBringCountsOnlyAndChangesArePushed) {
  start(Options());
  auto c = loggedIn(1);
  c->send<GmRoomListRequest>(GmRoomListRequest::Info{});
  ASSERT_TRUE(c->barrier());
  EXPECT_GT(c->count(GmRoomList::Type), 0);
  c->clear();
  c->send<GmRoomListRequest>(GmRoomListRequest::Info{});
  ASSERT_TRUE(c->barrier());
  EXPECT_EQ(c->count(GmRoomList::Type), 0);  // the client would show every row twice
  EXPECT_GT(c->count(GmRoomUsers::Type), 0);
  c->clear();

  // A room created by someone else arrives as one row; when it empties, a row without name removes it.
  auto maker = loggedIn(2);
  ASSERT_EQ(Create(*maker, "newroom"), 0);
  GmRoomList::Info row;
  ASSERT_TRUE(c->next<GmRoomList>(row));
  ASSERT_EQ(row.count, 1);
  EXPECT_STREQ(row.entries[0].name, "newroom");
  const int16_t number = row.entries[0].room;
  GmLeaveRoom::Info leave;
  leave.room = number;
  maker->send<GmLeaveRoom>(leave);
  ASSERT_TRUE(maker->barrier());
  ASSERT_TRUE(c->next<GmRoomList>(row));
  EXPECT_EQ(row.entries[0].room, number);
  EXPECT_STREQ(row.entries[0].name, "");
}

TEST_F(ServerRoomsTest, FirstEntryBringsTheRowsBeforeTheAnswer) {
  start(Options());
  auto d = loggedIn(2);
  GmEnterRoom::Info in;
  in.room = LobbyWorld::LobbyRoom;
  d->send<GmEnterRoom>(in);
  ASSERT_TRUE(d->barrier());
  const std::vector<uint8_t> types = d->types();
  const auto answer = std::find(types.begin(), types.end(), GmAEnterRoom::Type);
  ASSERT_NE(answer, types.end());
  EXPECT_NE(std::find(types.begin(), answer, GmRoomList::Type), answer);
  EXPECT_EQ(std::find(answer, types.end(), GmRoomList::Type), types.end());
}

TEST_F(ServerRoomsTest, EnterByNumberAndByNameWithNumberZero) {
  start(Options());
  auto c = loggedIn(1);
  GmEnterRoom::Info in;
  in.room = LobbyWorld::LobbyRoom;
  c->send<GmEnterRoom>(in);
  GmAEnterRoom::Info answer;
  ASSERT_TRUE(c->next<GmAEnterRoom>(answer));
  EXPECT_EQ(answer.status, 0);
  EXPECT_EQ(answer.room, LobbyWorld::LobbyRoom);
  EXPECT_EQ(answer.teamId, 0u);

  GmEnterRoom::Info byName;
  CopyText(byName.name, cp932::FromUtf8("秘密の部屋").c_str());
  CopyText(byName.password, "himitsu1");
  c->send<GmEnterRoom>(byName);
  ASSERT_TRUE(c->next<GmAEnterRoom>(answer));
  EXPECT_EQ(answer.status, 0);
  EXPECT_EQ(answer.room, numberOf("秘密の部屋"));
  EXPECT_STREQ(answer.password, "himitsu1");

  // A remembered room that is gone: a message of our own, status 1.
  CopyText(byName.name, "nosuchroom");
  c->send<GmEnterRoom>(byName);
  ASSERT_TRUE(c->next<GmAEnterRoom>(answer));
  EXPECT_EQ(answer.status, 1);
  EXPECT_STRNE(answer.message, "");
}

TEST_F(ServerRoomsTest, EnterRefusalsUseTheirStatuses) {
  ServerOptions o = Options();
  start(o);
  const int16_t small = server->world().addRoom("tiny", "", 0, 2, 1);
  auto c = loggedIn(1);
  EXPECT_EQ(Enter(*c, LobbyWorld::LobbyRoom), 0);
  EXPECT_EQ(Enter(*c, LobbyWorld::LobbyRoom), 2);
  EXPECT_EQ(Enter(*c, numberOf("秘密の部屋"), "", "wrong"), 3);
  EXPECT_EQ(Enter(*c, numberOf("秘密の部屋"), "", ""), 3);
  EXPECT_EQ(Enter(*c, small), 0);
  auto d = loggedIn(2);
  EXPECT_EQ(Enter(*d, small), 4);

  // A team room: members come in without password, others are refused.
  const int16_t team = server->world().addRoom("teamroom", "", 555);
  const int16_t teamLocked = server->world().addRoom("teamlocked", "key9", 555);
  EXPECT_EQ(Enter(*c, team), 5);
  EXPECT_EQ(Enter(*c, teamLocked, "", "key9"), 0);    // the password opens it to anyone
  EXPECT_EQ(Enter(*c, numberOf("ターフFC控室")), 0);  // demo members play for the demo team
  const int16_t demoLocked = server->world().addRoom("demolocked", "zzz", o.demoTeamId);
  EXPECT_EQ(Enter(*c, demoLocked), 0);  // team members need no password
}

TEST_F(ServerRoomsTest, MembersGoToTheEntrantAndTheEntrantToTheOthers) {
  start(Options());
  const int16_t room = server->world().addRoom("quiet", "", 0);
  auto a = loggedIn(1);
  auto b = loggedIn(2);
  ASSERT_EQ(Enter(*a, room), 0);
  GmUserEnter::Info members;
  ASSERT_TRUE(a->next<GmUserEnter>(members));
  ASSERT_EQ(members.count, 1);
  EXPECT_EQ(members.entries[0].clientId, a->clientId());
  EXPECT_EQ(members.entries[0].userNumber, 1u);
  EXPECT_STREQ(members.entries[0].name, "Player1");

  ASSERT_EQ(Enter(*b, room), 0);
  ASSERT_TRUE(b->next<GmUserEnter>(members));
  EXPECT_EQ(members.room, room);
  ASSERT_EQ(members.count, 2);
  EXPECT_EQ(members.entries[0].clientId, a->clientId());
  EXPECT_EQ(members.entries[1].clientId, b->clientId());
  ASSERT_TRUE(a->next<GmUserEnter>(members));
  ASSERT_EQ(members.count, 1);
  EXPECT_EQ(members.entries[0].clientId, b->clientId());
  EXPECT_STREQ(members.entries[0].name, "Player2");
  ASSERT_TRUE(b->barrier());
  EXPECT_EQ(b->count(GmUserEnter::Type), 0);  // not told about itself twice
}

TEST_F(ServerRoomsTest, LongMemberListsComeInSeveralFrames) {
  start(Options());
  for (int i = 0; i < 45; ++i) {
    const int16_t bot = server->world().addBot("member" + std::to_string(i) + "-padding-", 5000 + i);
    ASSERT_TRUE(server->world().botEnter(bot, LobbyWorld::LobbyRoom));
  }
  auto c = loggedIn(1);
  ASSERT_EQ(Enter(*c, LobbyWorld::LobbyRoom), 0);
  ASSERT_TRUE(c->barrier());
  std::set<int16_t> ids;
  int frames = 0;
  GmUserEnter::Info members;
  while (c->count(GmUserEnter::Type) > 0) {
    ASSERT_TRUE(c->next<GmUserEnter>(members));
    EXPECT_LE(members.count, 40);
    for (int i = 0; i < members.count; ++i) ids.insert(members.entries[i].clientId);
    ++frames;
  }
  EXPECT_GE(frames, 2);
  EXPECT_EQ(ids.size(), 45u + 4u + 1u);  // ours, the demo's four and the newcomer
  EXPECT_EQ(ids.count(c->clientId()), 1u);
}

TEST_F(ServerRoomsTest, LeaveTellsEveryoneTheLeaverIncluded) {
  start(Options());
  const int16_t room = server->world().addRoom("meet", "", 0);
  auto a = loggedIn(1);
  auto b = loggedIn(2);
  ASSERT_EQ(Enter(*a, room), 0);
  ASSERT_EQ(Enter(*b, room), 0);
  ASSERT_TRUE(a->barrier());
  a->clear();
  b->clear();
  GmLeaveRoom::Info leave;
  leave.room = room;
  b->send<GmLeaveRoom>(leave);
  GmUserLeave::Info gone;
  ASSERT_TRUE(b->next<GmUserLeave>(gone));
  EXPECT_EQ(gone.entries[0].room, room);
  EXPECT_EQ(gone.entries[0].clientId, b->clientId());
  ASSERT_TRUE(a->next<GmUserLeave>(gone));
  EXPECT_EQ(gone.entries[0].clientId, b->clientId());
  // Leaving a room one is not in does nothing.
  b->send<GmLeaveRoom>(leave);
  ASSERT_TRUE(b->barrier());
  ASSERT_TRUE(a->barrier());
  EXPECT_EQ(a->count(GmUserLeave::Type) + b->count(GmUserLeave::Type), 0);
}

TEST_F(ServerRoomsTest, DisconnectLeavesEveryRoomAndEmptyCreatedRoomsGo) {
  start(Options());
  auto a = loggedIn(1);
  auto b = loggedIn(2);
  ASSERT_EQ(Enter(*a, LobbyWorld::LobbyRoom), 0);
  ASSERT_EQ(Enter(*b, LobbyWorld::LobbyRoom), 0);
  ASSERT_EQ(Create(*b, "bsroom"), 0);
  const int16_t created = server->world().roomNumberOf("bsroom");
  ASSERT_NE(created, 0);
  ASSERT_EQ(Enter(*a, created), 0);
  ASSERT_TRUE(a->barrier());
  a->clear();
  b->close();
  std::set<int16_t> left;
  GmUserLeave::Info gone;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(a->next<GmUserLeave>(gone));
    EXPECT_EQ(gone.entries[0].clientId, b->clientId());
    left.insert(gone.entries[0].room);
  }
  EXPECT_EQ(left, (std::set<int16_t>{LobbyWorld::LobbyRoom, created}));
  // a is still in the created room, so it stays; once a leaves it goes.
  EXPECT_NE(server->world().roomNumberOf("bsroom"), 0);
  GmLeaveRoom::Info leave;
  leave.room = created;
  a->send<GmLeaveRoom>(leave);
  ASSERT_TRUE(a->barrier());
  EXPECT_EQ(server->world().roomNumberOf("bsroom"), 0);
  EXPECT_NE(server->world().roomNumberOf(cp932::FromUtf8("待合室")), 0);  // permanent rooms stay
}

TEST_F(ServerRoomsTest, CreateRoomStatuses) {
  ServerOptions o = Options();
  o.roomsPerUser = 2;
  start(o);
  auto c = loggedIn(1);
  ASSERT_EQ(Create(*c, "first", "pw1"), 0);
  // The creator is in it at once, with level 1.
  GmAEnterRoom::Info entered;
  ASSERT_TRUE(c->next<GmAEnterRoom>(entered));
  EXPECT_EQ(entered.status, 0);
  EXPECT_STREQ(entered.password, "pw1");
  GmUserEnter::Info members;
  ASSERT_TRUE(c->next<GmUserEnter>(members));
  EXPECT_EQ(members.entries[0].level, 1);

  EXPECT_EQ(Create(*c, "first"), 5);
  EXPECT_EQ(Create(*c, cp932::FromUtf8("待合室")), 5);
  EXPECT_EQ(Create(*c, "club", "", 4242), 6);
  EXPECT_EQ(Create(*c, "bad name"), 1);
  EXPECT_EQ(Create(*c, "pwcheck", "no-no"), 1);
  EXPECT_EQ(Create(*c, "second", "", o.demoTeamId), 0);
  EXPECT_EQ(Create(*c, "third"), 2);

  auto other = loggedIn(2);
  while (server->world().roomCount() < o.maxRooms) {
    ASSERT_NE(server->world().addRoom("filler" + std::to_string(server->world().roomCount()), "", 0), 0);
  }
  EXPECT_EQ(Create(*other, "onemore"), 3);
}

}  // namespace
