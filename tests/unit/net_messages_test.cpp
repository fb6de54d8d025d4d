#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "net/net_messages.h"
#include "test_bytes.h"

namespace {

// Fills every field of an Info with distinct values, lists at their maximum.
struct FillIo {
  int counter = 1;
  uint8_t flags = 0x75;  // players 5, positions, position type and name
  void u8(uint8_t& v) { v = static_cast<uint8_t>(counter++); }
  void u16(uint16_t& v) { v = static_cast<uint16_t>(40000 + counter++); }
  void i16(int16_t& v) { v = static_cast<int16_t>(-1000 - counter++); }
  void number(int16_t& v) { v = static_cast<int16_t>(100 + counter++); }
  void u32(uint32_t& v) { v = 0x80000000u + static_cast<uint32_t>(counter++); }
  void u8x4(uint8_t (&v)[4]) {
    for (auto& b : v) b = static_cast<uint8_t>(counter++);
  }
  template <size_t N>
  void text(char (&s)[N]) {
    std::string t = "t" + std::to_string(counter++);
    while (t.size() < N - 1) t += static_cast<char>('a' + t.size() % 26);
    std::memcpy(s, t.c_str(), N);
  }
  template <int Max, class E, class F>
  void list16(int& count, E (&entries)[Max], F each) {
    count = 30;  // 40 room entries would not fit one frame
    for (int i = 0; i < count; ++i) each(*this, entries[i]);
  }
  template <int Max, class E, class F>
  void list8(int& count, E (&entries)[Max], F each) {
    count = Max;
    for (int i = 0; i < count; ++i) each(*this, entries[i]);
  }
};

template <class M>
typename M::Info Filled() {
  typename M::Info info{};
  FillIo io;
  M::fields(io, info);
  if constexpr (requires { info.flags; }) info.flags = 0x75;
  return info;
}

// Encode, decode, encode again: the two frames must be identical.
struct RoundTrip {
  int checked = 0;
  template <class M>
  void operator()() {
    const typename M::Info info = Filled<M>();
    NetPacket first;
    ASSERT_TRUE(M::encode(first, info)) << "type " << int(M::Type);
    EXPECT_EQ(first.type(), M::Type);
    typename M::Info decoded{};
    ASSERT_TRUE(M::decode(first, decoded)) << "type " << int(M::Type);
    NetPacket second;
    ASSERT_TRUE(M::encode(second, decoded));
    EXPECT_EQ(FrameOf(first), FrameOf(second)) << "type " << int(M::Type);
    ++checked;
  }
};

template <class M>
Bytes Encoded(const typename M::Info& info) {
  NetPacket p;
  EXPECT_TRUE(M::encode(p, info));
  return FrameOf(p);
}

template <class M>
bool Decode(const Bytes& frame, typename M::Info& info) {
  NetPacket p;
  EXPECT_TRUE(p.load(frame.data(), static_cast<int>(frame.size())));
  return M::decode(p, info);
}

}  // namespace

TEST(MessageCatalogueTest, EveryMessageSurvivesARoundTrip) {
  RoundTrip rt;
  for (int type = 0; type < 256; ++type) VisitMessageType(static_cast<uint8_t>(type), rt);
  EXPECT_EQ(rt.checked, 31);
}

TEST(MessageCatalogueTest, DirectionsFollowTheTable) {
  using NetDef::Direction;
  EXPECT_TRUE(NetDef::Accepts(Direction::ToClient, 2));
  EXPECT_FALSE(NetDef::Accepts(Direction::ToClient, 1));
  EXPECT_TRUE(NetDef::Accepts(Direction::ToClient, 23));
  EXPECT_TRUE(NetDef::Accepts(Direction::ToServer, 23));
  EXPECT_FALSE(NetDef::Accepts(Direction::ToClient, 5));
  EXPECT_FALSE(NetDef::Accepts(Direction::ToClient, 60));
  EXPECT_FALSE(NetDef::Accepts(Direction::ToClient, 30));
  EXPECT_TRUE(NetDef::Accepts(Direction::ToClient, 51));
}

TEST(GoldenBytesTest, ClientMessages) {
  EXPECT_EQ(Encoded<GmReady>({}), (Bytes{0x00, 0x07, 0x01, 0x01, 0x02, 0x12, 0x37}));
  EXPECT_EQ(Encoded<GmRoomListRequest>({}), (Bytes{0x00, 0x03, 0x0E}));
  EXPECT_EQ(Encoded<GmPing>({}), (Bytes{0x00, 0x03, 0x32}));

  GmConnect::Info login;
  login.userId = 0x01020304;
  EXPECT_EQ(Encoded<GmConnect>(login), (Bytes{0x00, 0x09, 0x0A, 1, 2, 3, 4, 0, 0}));
  CopyText(login.password, "pw12");
  EXPECT_EQ(Encoded<GmConnect>(login), (Bytes{0x00, 0x0D, 0x0A, 1, 2, 3, 4, 4, 'p', 'w', '1', '2', 0}));

  GmCreateRoom::Info create;
  CopyText(create.name, "ab");
  create.teamId = 7;
  EXPECT_EQ(Encoded<GmCreateRoom>(create), Frame(16, {2, 2, 'a', 'b', 0, 0, 0, 0, 7}));

  GmEnterRoom::Info enter;
  CopyText(enter.name, "x");
  CopyText(enter.password, "p");
  enter.teamId = 0x0100;
  EXPECT_EQ(Encoded<GmEnterRoom>(enter), Frame(18, {0, 0, 1, 'x', 1, 'p', 0, 0, 1, 0}));

  GmLeaveRoom::Info leave;
  leave.room = 0x1234;
  EXPECT_EQ(Encoded<GmLeaveRoom>(leave), Frame(20, {0x12, 0x34}));

  GmTalk::Info talk;
  talk.room = 9999;
  talk.sender = 258;
  CopyText(talk.text, "hi");
  EXPECT_EQ(Encoded<GmTalk>(talk), Frame(23, {0x27, 0x0F, 0x01, 0x02, 0, 2, 'h', 'i', 0}));

  GmWaiting::Info wait;
  wait.stadiumId = 5;
  wait.event = 1;
  EXPECT_EQ(Encoded<GmWaiting>(wait), Frame(28, {0, 0, 0, 5, 1, 0}));

  GmFormationInfo::Info form;
  form.sender = 3;
  form.room = 4;
  form.flags = 9 | GmFormationInfo::HasPosition;
  form.count = 1;
  form.entries[0].index = 2;
  form.entries[0].x = -100;
  form.entries[0].y = 3000;
  const Bytes formation = Encoded<GmFormationInfo>(form);
  EXPECT_EQ(formation, Frame(33, {0, 3, 0, 4, 0x19, 1, 2, 0xFF, 0x9C, 0x0B, 0xB8}));
  EXPECT_EQ(formation.size() - 3, 11u);

  GmFormationFile::Info file;
  file.action = GmFormationFile::ActionSave;
  file.room = 12;
  file.playersPerSide = 9;
  EXPECT_EQ(Encoded<GmFormationFile>(file), Frame(34, {3, 0, 0, 12, 9, 0, 0}));
}

TEST(GoldenBytesTest, LongestClientMessageFits) {
  GmTalk::Info talk;
  std::memset(talk.text, 'x', 150);
  talk.text[150] = '\0';
  std::memset(talk.name, 'n', 18);
  talk.name[18] = '\0';
  const Bytes frame = Encoded<GmTalk>(talk);
  EXPECT_EQ(frame.size(), 3u + 2 + 2 + 19 + 151 + 1);
  EXPECT_EQ(frame[3 + 4 + 19], 150) << "a 150-byte line is sent whole";
}

TEST(DecodeTest, AReadyStoresClientId) {
  GmAReady::Info info;
  ASSERT_TRUE(Decode<GmAReady>(Frame(2, {0, 2, 'o', 'k', 0, 0x01, 0x02}), info));
  EXPECT_EQ(info.status, 0);
  EXPECT_STREQ(info.message, "ok");
  EXPECT_EQ(info.clientId, 258);
}

TEST(DecodeTest, ShortPayloadsFail) {
  GmAReady::Info ready;
  EXPECT_FALSE(Decode<GmAReady>(Frame(2, {0, 0, 0, 0x01}), ready)) << "client id cut in half";
  GmUserCount::Info count;
  EXPECT_FALSE(Decode<GmUserCount>(Frame(12, {}), count));
  GmStadiumState::Info state;
  EXPECT_FALSE(Decode<GmStadiumState>(Frame(26, {1, 0, 0, 0, 1, 0}), state));
}

TEST(DecodeTest, TrailingBytesAreIgnored) {
  GmUserCount::Info count;
  ASSERT_TRUE(Decode<GmUserCount>(Frame(12, {0, 5, 9, 9, 9}), count));
  EXPECT_EQ(count.count, 5);
}

TEST(DecodeTest, NegativeRoomNumberDropsTheWholeMessage) {
  GmUserLeave::Info leave;
  EXPECT_FALSE(Decode<GmUserLeave>(Frame(22, {0, 2, 0, 1, 0, 7, 0xFF, 0xFF, 0, 8}), leave));
  GmTalk::Info talk;
  EXPECT_FALSE(Decode<GmTalk>(Frame(23, {0x80, 0x00, 0, 1, 0, 0, 0}), talk));
}

TEST(DecodeTest, ListCountsAreClampedWithoutFailing) {
  // A 16-bit count of 0xFFFF reads as no entries.
  GmRoomUsers::Info users;
  ASSERT_TRUE(Decode<GmRoomUsers>(Frame(15, {0xFF, 0xFF}), users));
  EXPECT_EQ(users.count, 0);

  // 45 entries announced and present: 40 are read, the rest ignored.
  Bytes payload = {0, 45};
  for (int i = 0; i < 45; ++i) {
    payload.push_back(0);
    payload.push_back(static_cast<uint8_t>(i));
    payload.push_back(0);
    payload.push_back(1);
  }
  ASSERT_TRUE(Decode<GmRoomUsers>(FrameRaw(15, payload), users));
  EXPECT_EQ(users.count, 40);
  EXPECT_EQ(users.entries[39].room, 39);

  // 25 stadiums: 20 are read.
  Bytes stadiums = {25};
  for (int i = 0; i < 25; ++i) {
    const Bytes e = {0, 0, 0, static_cast<uint8_t>(i + 1), 1, 'S', 10, 0, 0, 1, 0x13, 0x88, 0, 1};
    stadiums.insert(stadiums.end(), e.begin(), e.end());
  }
  GmStadiumAdd::Info add;
  ASSERT_TRUE(Decode<GmStadiumAdd>(FrameRaw(24, stadiums), add));
  EXPECT_EQ(add.count, 20);
  EXPECT_EQ(add.entries[19].id, 20u);
  EXPECT_EQ(add.entries[0].port, 5000);
  EXPECT_EQ(add.entries[0].address[0], 10);

  // Formation entries clamp at 23.
  Bytes form = {0, 1, 0, 2, 0x09, 30};
  for (int i = 0; i < 30; ++i) form.push_back(static_cast<uint8_t>(i));
  GmFormationInfo::Info info;
  ASSERT_TRUE(Decode<GmFormationInfo>(FrameRaw(33, form), info));
  EXPECT_EQ(info.count, 23);
}

TEST(DecodeTest, ListShorterThanItsCountFails) {
  GmStadiumDelete::Info del;
  EXPECT_FALSE(Decode<GmStadiumDelete>(Frame(25, {3, 0, 0, 0, 1, 0, 0, 0, 2}), del));
}

TEST(DecodeTest, FormationFlagsChooseTheEntryFields) {
  GmFormationInfo::Info info;
  // 0x50: positions and name, no position type.
  ASSERT_TRUE(Decode<GmFormationInfo>(Frame(33, {0, 1, 0, 2, 0x59, 1, 4, 0x01, 0x00, 0xFF, 0xFF, 2, 'a', 'b'}), info));
  EXPECT_EQ(info.count, 1);
  EXPECT_EQ(info.entries[0].index, 4);
  EXPECT_EQ(info.entries[0].x, 256);
  EXPECT_EQ(info.entries[0].y, -1);
  EXPECT_EQ(info.entries[0].posType, 0);
  EXPECT_STREQ(info.entries[0].name, "ab");

  // Position type only.
  ASSERT_TRUE(Decode<GmFormationInfo>(Frame(33, {0, 1, 0, 2, 0x29, 2, 4, 3, 5, 1}), info));
  EXPECT_EQ(info.count, 2);
  EXPECT_EQ(info.entries[1].index, 5);
  EXPECT_EQ(info.entries[1].posType, 1);
}

TEST(DecodeTest, OverlongTextsAreCutToTheField) {
  Bytes payload = {0, 0, 0, 1, 20};
  for (int i = 0; i < 20; ++i) payload.push_back('m');
  payload.push_back(0);
  payload.push_back(0);
  payload.push_back(0);
  GmTalk::Info talk;
  ASSERT_TRUE(Decode<GmTalk>(FrameRaw(23, payload), talk));
  EXPECT_EQ(std::strlen(talk.name), 18u);
  EXPECT_EQ(talk.kind, 0);
}

TEST(MessageSetTest, EncodeOverwritesTheReceivedFrame) {
  NetMessageSet set;
  const Bytes talk = Frame(23, {0, 1, 0, 2, 0, 1, 'x', 0});
  ASSERT_TRUE(set.packet().load(talk.data(), static_cast<int>(talk.size())));
  GmTalk::Info info;
  ASSERT_TRUE(set.decode<GmTalk>(info));
  EXPECT_STREQ(info.text, "x");
  ASSERT_TRUE(set.encode<GmPing>({}));
  EXPECT_EQ(FrameOf(set.packet()), (Bytes{0, 3, 0x32}));
}
