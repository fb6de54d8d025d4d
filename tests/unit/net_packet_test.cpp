#include <gtest/gtest.h>

#include <cstring>

#include "net/net_packet.h"
#include "test_bytes.h"

TEST(NetPacketTest, LoadAcceptsThreeToThousandThirteenBytes) {
  NetPacket p;
  Bytes three = {0x00, 0x03, 0x32};
  ASSERT_TRUE(p.load(three.data(), 3));
  EXPECT_EQ(p.payload_length(), 0);
  EXPECT_EQ(p.type(), 0x32);
  PacketReader r(p);
  EXPECT_EQ(r.get_u8(), 0);
  EXPECT_FALSE(r.ok());

  Bytes big(1014, 0);
  big[0] = 0x03;
  big[1] = 0xF5;  // 1013
  EXPECT_TRUE(p.load(big.data(), 1013));
  EXPECT_EQ(p.wire_length(), 1013);
  EXPECT_FALSE(p.load(big.data(), 1014));
  EXPECT_EQ(p.wire_length(), 1013) << "a refused frame leaves the packet unchanged";
  EXPECT_FALSE(p.load(big.data(), 2));
  EXPECT_FALSE(p.load(nullptr, 5));
}

TEST(NetPacketTest, LoadRewritesLengthFieldFromCount) {
  NetPacket p;
  Bytes lying = {0x7F, 0xFF, 0x17, 0x01, 0x02};
  ASSERT_TRUE(p.load(lying.data(), 5));
  EXPECT_EQ(p.wire_length(), 5);
  EXPECT_EQ(p.frame_bytes()[0], 0x00);
  EXPECT_EQ(p.frame_bytes()[1], 0x05);
}

TEST(NetPacketTest, FinishRefusesPayloadOverTenTen) {
  NetPacket p;
  ASSERT_TRUE(p.finish(0x10, 1010));
  EXPECT_EQ(p.frame_bytes()[0], 0x03);
  EXPECT_EQ(p.frame_bytes()[1], 0xF5);
  EXPECT_EQ(p.wire_length(), 1013);
  EXPECT_FALSE(p.finish(0x11, 1011));
  EXPECT_EQ(p.type(), 0x10) << "nothing changes when finish refuses";
  EXPECT_EQ(p.wire_length(), 1013);
}

TEST(PacketWriterTest, NumbersAreBigEndian) {
  NetPacket p;
  PacketWriter w(p);
  w.put_u8(0xAB);
  w.put_u16(0x1234);
  w.put_u32(0x89ABCDEF);
  w.put_u8x3(1, 2, 3);
  ASSERT_TRUE(p.finish(9, w.length()));
  EXPECT_EQ(FrameOf(p), Frame(9, {0xAB, 0x12, 0x34, 0x89, 0xAB, 0xCD, 0xEF, 1, 2, 3}));
}

TEST(PacketWriterTest, TextIsCutAtMaxWithoutTerminator) {
  NetPacket p;
  PacketWriter w(p);
  w.put_text("abcdefghijklmnopqrst", 18);  // 20 bytes
  w.put_text("", 18);
  ASSERT_TRUE(p.finish(1, w.length()));
  Bytes expected = {18};
  for (char c = 'a'; c < 'a' + 18; ++c) expected.push_back(static_cast<uint8_t>(c));
  expected.push_back(0);
  EXPECT_EQ(Bytes(p.payload(), p.payload() + p.payload_length()), expected);
}

TEST(PacketWriterTest, OverlongPayloadIsRefusedNotOverrun) {
  NetPacket p;
  PacketWriter w(p);
  const std::string chunk(250, 'x');
  for (int i = 0; i < 6; ++i) w.put_text(chunk.c_str(), 250);  // 1506 bytes
  EXPECT_EQ(w.length(), 6 * 251);
  EXPECT_FALSE(p.finish(1, w.length()));
}

TEST(PacketReaderTest, TextKeepsCapacityMinusOneAndSkipsTheRest) {
  Bytes payload = {30};
  for (int i = 0; i < 30; ++i) payload.push_back(static_cast<uint8_t>('A' + i % 26));
  payload.push_back(0x42);
  NetPacket p;
  LoadFrame(p, FrameRaw(1, payload));
  PacketReader r(p);
  char dest[19];
  r.get_text(dest, sizeof dest);
  EXPECT_EQ(std::strlen(dest), 18u);
  EXPECT_EQ(std::string(dest), "ABCDEFGHIJKLMNOPQR");
  EXPECT_EQ(r.position(), 31);
  EXPECT_EQ(r.get_u8(), 0x42) << "the next field is read after the whole text";
  EXPECT_TRUE(r.ok());
}

TEST(PacketReaderTest, TextPastTheEndIsEmptyAndFails) {
  NetPacket p;
  LoadFrame(p, Frame(1, {5, 'a', 'b'}));
  PacketReader r(p);
  char dest[19] = "old";
  r.get_text(dest, sizeof dest);
  EXPECT_STREQ(dest, "");
  EXPECT_FALSE(r.ok());
}

TEST(PacketReaderTest, OkFlagIsSticky) {
  NetPacket p;
  LoadFrame(p, Frame(1, {0x01}));
  PacketReader r(p);
  EXPECT_EQ(r.get_u16(), 0);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.get_u8(), 0) << "a byte is there, but the reader has failed already";
  EXPECT_FALSE(r.need(0));
}

TEST(PacketReaderTest, NumberFailsOnNegativeButI16DoesNot) {
  NetPacket p;
  LoadFrame(p, Frame(1, {0xFF, 0xFF, 0xFF, 0xFF}));
  PacketReader r(p);
  EXPECT_EQ(r.get_i16(), -1);
  EXPECT_TRUE(r.ok());
  int16_t n = 0;
  r.get_number(n);
  EXPECT_EQ(n, -1);
  EXPECT_FALSE(r.ok());
}

TEST(PacketReaderTest, PortReadsUnsigned) {
  NetPacket p;
  LoadFrame(p, Frame(1, {0xFF, 0xFE}));
  PacketReader r(p);
  EXPECT_EQ(r.get_u16(), 65534);
}
