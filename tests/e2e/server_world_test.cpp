// The lobby's rules without sockets: a recording link stands in for the
// connection, bytes are fed by hand, time moves by hand. Also the accounts file,
// the stored formation board and the hand-driven clock.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "server/accounts.h"
#include "server/lobby_world.h"
#include "server/server_clock.h"
#include "server/team_board.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct RecordingLink final : SessionLink {
  std::vector<Bytes> frames;
  int closes = 0;
  bool graceful = false;
  void sendFrame(const uint8_t* bytes, int n) override { frames.emplace_back(bytes, bytes + n); }
  void requestClose(bool g) override {
    ++closes;
    graceful = g;
  }
  std::vector<uint8_t> types() const {
    std::vector<uint8_t> t;
    for (const Bytes& f : frames) t.push_back(f[2]);
    return t;
  }
};

template <class M>
Bytes Encode(const typename M::Info& info) {
  NetPacket p;
  EXPECT_TRUE(M::encode(p, info));
  return Bytes(p.frame_bytes(), p.frame_bytes() + p.wire_length());
}

template <class M>
typename M::Info Decode(const Bytes& frame) {
  NetPacket p;
  EXPECT_TRUE(p.load(frame.data(), static_cast<int>(frame.size())));
  typename M::Info info;
  EXPECT_TRUE(M::decode(p, info));
  return info;
}

Bytes LoginBytes(uint32_t id, const char* password) {
  Bytes all = Encode<GmReady>(GmReady::Info{});
  GmConnect::Info c;
  c.userId = id;
  CopyText(c.password, password);
  const Bytes login = Encode<GmConnect>(c);
  all.insert(all.end(), login.begin(), login.end());
  return all;
}

class ServerWorldTest : public ::testing::Test {
 protected:
  ServerWorldTest() {
    options.demo = true;
    options.lifeSeconds = 0;
  }
  LobbyWorld& world() {
    if (!world_) world_ = std::make_unique<LobbyWorld>(options, clock);
    return *world_;
  }
  int feed(int conn, const Bytes& bytes) {
    world().receive(conn, bytes.data(), static_cast<int>(bytes.size()));
    return conn;
  }

  ServerOptions options;
  ManualClock clock;
  std::unique_ptr<LobbyWorld> world_;
};

TEST_F(ServerWorldTest, BytesOneAtATimeGiveTheSameAnswersAsOneRead) {
  RecordingLink whole;
  RecordingLink trickle;
  const int a = world().open(&whole, "a");
  const int b = world().open(&trickle, "b");
  const Bytes login = LoginBytes(7, "abc");
  feed(a, login);
  const std::vector<uint8_t> expected = whole.types();
  for (const uint8_t byte : login) feed(b, Bytes{byte});
  ASSERT_EQ(trickle.types(), expected);
  ASSERT_GE(trickle.frames.size(), 2u);
  EXPECT_EQ(Decode<GmAConnect>(trickle.frames[1]).status, 0);
  EXPECT_EQ(Decode<GmAReady>(whole.frames[0]).clientId + 1, Decode<GmAReady>(trickle.frames[0]).clientId);
}

TEST_F(ServerWorldTest, ATextCutInsideACharacterLosesTheHalf) {
  RecordingLink link;
  const int conn = world().open(&link, "x");
  feed(conn, LoginBytes(7, "abc"));
  GmEnterRoom::Info lobby;
  lobby.room = LobbyWorld::LobbyRoom;
  feed(conn, Encode<GmEnterRoom>(lobby));
  link.frames.clear();
  // 149 letters and a double-byte character: the field keeps 150 bytes, the last one a lead byte.
  const std::string text = std::string(149, 'a') + cp932::FromUtf8("あ");
  Bytes frame = {0, 0, NetDef::GmTalk, 0, LobbyWorld::LobbyRoom, 0, 0, 0, static_cast<uint8_t>(text.size())};
  frame.insert(frame.end(), text.begin(), text.end());
  frame.push_back(0);
  frame[1] = static_cast<uint8_t>(frame.size());
  feed(conn, frame);
  ASSERT_EQ(link.frames.size(), 1u);
  EXPECT_EQ(std::string(Decode<GmTalk>(link.frames[0]).text), std::string(149, 'a'));
}

TEST_F(ServerWorldTest, BadLengthDropsTheConnectionAtOnceAndReadsNoFurther) {
  RecordingLink link;
  const int conn = world().open(&link, "x");
  Bytes bytes = {0x00, 0x02};
  const Bytes ping = Encode<GmPing>(GmPing::Info{});
  bytes.insert(bytes.end(), ping.begin(), ping.end());
  feed(conn, bytes);
  feed(conn, ping);
  EXPECT_EQ(link.closes, 1);
  EXPECT_FALSE(link.graceful);
  EXPECT_TRUE(link.frames.empty());
  // Lengths above the stream limit too (0x0401 = 1025), and negative ones.
  for (const Bytes& head : {Bytes{0x04, 0x01}, Bytes{0x80, 0x00}}) {
    RecordingLink other;
    const int c = world().open(&other, "y");
    feed(c, head);
    EXPECT_EQ(other.closes, 1);
  }
}

TEST_F(ServerWorldTest, RefusedHandshakeAnswersThenClosesGracefullyAndHearsNoMore) {
  options.maxUsers = 0;
  RecordingLink link;
  const int conn = world().open(&link, "x");
  feed(conn, LoginBytes(7, "abc"));
  ASSERT_EQ(link.frames.size(), 1u);
  EXPECT_EQ(Decode<GmAReady>(link.frames[0]).status, 4);
  EXPECT_EQ(link.closes, 1);
  EXPECT_TRUE(link.graceful);
  feed(conn, Encode<GmPing>(GmPing::Info{}));
  EXPECT_EQ(link.frames.size(), 1u);
}

TEST_F(ServerWorldTest, MalformedMessagesAreIgnoredAndTheConnectionGoesOn) {
  RecordingLink link;
  const int conn = world().open(&link, "x");
  feed(conn, Encode<GmReady>(GmReady::Info{}));
  link.frames.clear();
  // GmConnect cut off inside the user ID, then one whose password runs past the payload.
  feed(conn, Bytes{0x00, 0x05, NetDef::GmConnect, 0x00, 0x00});
  feed(conn, Bytes{0x00, 0x09, NetDef::GmConnect, 0x00, 0x00, 0x00, 0x07, 0x05, 'a'});
  // A second GmReady and types the server never takes.
  feed(conn, Encode<GmReady>(GmReady::Info{}));
  feed(conn, Bytes{0x00, 0x03, 0x02});
  feed(conn, Bytes{0x00, 0x04, 0xFF, 0x01});
  EXPECT_TRUE(link.frames.empty());
  EXPECT_EQ(link.closes, 0);
  GmConnect::Info c;
  c.userId = 7;
  feed(conn, Encode<GmConnect>(c));
  ASSERT_FALSE(link.frames.empty());
  EXPECT_EQ(Decode<GmAConnect>(link.frames[0]).status, 0);
}

TEST_F(ServerWorldTest, NegativeRoomNumbersAreNotRooms) {
  RecordingLink link;
  const int conn = world().open(&link, "x");
  feed(conn, LoginBytes(7, "abc"));
  link.frames.clear();
  // GmEnterRoom with room 0xFFFF fails to decode; GmLeaveRoom likewise.
  feed(conn, Bytes{0x00, 0x0C, NetDef::GmEnterRoom, 0xFF, 0xFF, 0x00, 0x00, 0, 0, 0, 0});
  feed(conn, Bytes{0x00, 0x05, NetDef::GmLeaveRoom, 0xFF, 0xFF});
  EXPECT_TRUE(link.frames.empty());
}

TEST_F(ServerWorldTest, ClosedConnectionLeavesRoomsAndLowersTheCount) {
  RecordingLink a;
  RecordingLink b;
  const int ca = world().open(&a, "a");
  const int cb = world().open(&b, "b");
  feed(ca, LoginBytes(1, "x"));
  feed(cb, LoginBytes(2, "x"));
  GmEnterRoom::Info lobby;
  lobby.room = LobbyWorld::LobbyRoom;
  feed(ca, Encode<GmEnterRoom>(lobby));
  feed(cb, Encode<GmEnterRoom>(lobby));
  const int before = world().userCount();
  a.frames.clear();
  world().closed(cb);
  world().closed(cb);  // twice is harmless
  EXPECT_EQ(world().userCount(), before - 1);
  bool leaveSeen = false;
  bool countSeen = false;
  for (const Bytes& f : a.frames) {
    if (f[2] == GmUserLeave::Type) leaveSeen = Decode<GmUserLeave>(f).entries[0].room == LobbyWorld::LobbyRoom;
    if (f[2] == GmUserCount::Type) countSeen = Decode<GmUserCount>(f).count == before - 1;
  }
  EXPECT_TRUE(leaveSeen);
  EXPECT_TRUE(countSeen);
}

TEST(ServerClockTest, TimersFireInTimeOrderAndMayCancelThemselves) {
  ManualClock clock;
  std::vector<std::string> fired;
  ServerClock::TimerId slow = 0;
  clock.every(300, [&] { fired.push_back("fast@" + std::to_string(clock.nowMs())); });
  slow = clock.every(500, [&] {
    fired.push_back("slow@" + std::to_string(clock.nowMs()));
    clock.cancel(slow);
  });
  clock.advance(299);
  EXPECT_TRUE(fired.empty());
  clock.advance(901);
  EXPECT_EQ(fired, (std::vector<std::string>{"fast@300", "slow@500", "fast@600", "fast@900", "fast@1200"}));
  EXPECT_EQ(clock.nowMs(), 1200);
  EXPECT_EQ(clock.timerCount(), 1);
}

TEST(ServerAccountsTest, ReadsGoodLinesAndReportsBadOnes) {
  const std::string text =
      "# members\n"
      "\n"
      "1001:secret1:たろう:7001,7002:1\n"
      "1002::hanako:\r\n"
      "0:x:zero:\n"
      "1003:pass-word:dash:\n"
      "1004:abc:ながいながいながいながい名前:\n"
      "1005:abc:five:12,x\n"
      "1006:abc:six::300\n"
      "1001:other:again:\n"
      "1007:abc\n";
  const AccountsParse parsed = ParseAccounts(text);
  ASSERT_EQ(parsed.accounts.size(), 2u);
  const Account& taro = parsed.accounts[0];
  EXPECT_EQ(taro.id, 1001u);
  EXPECT_EQ(taro.password, "secret1");
  EXPECT_EQ(taro.name, cp932::FromUtf8("たろう"));
  EXPECT_EQ(taro.teams, (std::vector<uint32_t>{7001, 7002}));
  EXPECT_EQ(taro.level, 1);
  EXPECT_EQ(parsed.accounts[1].name, "hanako");
  EXPECT_TRUE(parsed.accounts[1].teams.empty());
  EXPECT_EQ(parsed.accounts[1].level, 0);
  ASSERT_EQ(parsed.errors.size(), 7u);
  EXPECT_EQ(parsed.errors[0].rfind("line 5:", 0), 0u);
  EXPECT_EQ(parsed.errors.back().rfind("line 11:", 0), 0u);
}

TEST(ServerTeamBoardTest, StartsFromTheDefaultLayoutWhichPassesTheCheck) {
  const TeamBoard board;
  EXPECT_TRUE(board.passesCheck());
  EXPECT_EQ(board.slot(1).posType, 1);
  EXPECT_EQ(board.slot(1).y, 4950);
  EXPECT_EQ(board.slot(9).x, 900);
  EXPECT_EQ(board.slot(18).x, 3700);
  EXPECT_EQ(board.slot(18).y, 3200);
  const GmFormationInfo::Info info = board.asInfo(3, 12);
  EXPECT_EQ(info.count, 19);
  EXPECT_EQ(info.flags, 0x79);
  NetPacket p;
  EXPECT_TRUE(GmFormationInfo::encode(p, info));
}

TEST(ServerTeamBoardTest, AppliesOnlySafeValues) {
  TeamBoard board;
  GmFormationInfo::Entry e;
  e.index = 19;
  EXPECT_FALSE(board.apply(GmFormationInfo::HasPosition, e));
  e.index = 12;  // an opponent: no position type
  e.posType = 2;
  ASSERT_TRUE(board.apply(GmFormationInfo::HasPosType, e));
  EXPECT_EQ(board.slot(12).posType, 0);
  EXPECT_EQ(e.posType, 0);
  e.index = 3;
  e.posType = 9;  // not a position type
  ASSERT_TRUE(board.apply(GmFormationInfo::HasPosType, e));
  EXPECT_EQ(board.slot(3).posType, 2);
  e.posType = 4;
  ASSERT_TRUE(board.apply(GmFormationInfo::HasPosType, e));
  EXPECT_EQ(board.slot(3).posType, 4);
  // Names keep 4 bytes and never half a character.
  CopyText(e.name, (std::string("a") + cp932::FromUtf8("あい")).c_str());
  ASSERT_TRUE(board.apply(GmFormationInfo::HasName, e));
  EXPECT_EQ(std::string(board.slot(3).name), std::string("a") + cp932::FromUtf8("あ"));
  EXPECT_STREQ(e.name, board.slot(3).name);
}

TEST(ServerTeamBoardTest, CheckBoundaries) {
  auto with = [](uint8_t slot, int16_t x, int16_t y) {
    TeamBoard board;
    GmFormationInfo::Entry e;
    e.index = slot;
    e.x = x;
    e.y = y;
    board.apply(GmFormationInfo::HasPosition, e);
    return board.passesCheck();
  };
  EXPECT_FALSE(with(5, 0, 100));
  EXPECT_TRUE(with(5, 3299, 101));
  EXPECT_FALSE(with(5, 3300, 2000));
  EXPECT_FALSE(with(5, 0, 5150));
  EXPECT_FALSE(with(5, 715, 715));
  EXPECT_TRUE(with(5, 716, 300));
  EXPECT_TRUE(with(12, 0, 0));  // opponents stand anywhere
  TeamBoard twoKeepers;
  GmFormationInfo::Entry e;
  e.index = 2;
  e.posType = 1;
  twoKeepers.apply(GmFormationInfo::HasPosType, e);
  EXPECT_FALSE(twoKeepers.passesCheck());
}

}  // namespace
