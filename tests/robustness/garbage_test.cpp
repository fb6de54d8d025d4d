// Random bytes from the server: pure garbage, well-framed messages of every
// kind with random contents, and the login session with bytes flipped. The
// window may close the connection, show boxes or ignore frames, but it never
// crashes (the asan preset runs this too) and a clean session afterwards
// brings it to the golden view.
#include <random>

#include "hostile_fixture.h"

namespace {

class GarbageTest : public HostileServerTest {
 protected:
  // Delivers bytes after the login session on a new connection, then a mark,
  // and waits until the window either read the mark or ended the connection.
  // Counts the connections the window ended.
  void DeliverAfterLogin(const QByteArray& bytes, int& closedByClient) {
    ASSERT_TRUE(ConnectClient());
    ASSERT_TRUE(Deliver(LoginSession()));
    constexpr int16_t kMark = 31999;
    server.sendRaw(bytes + FrameOf<GmUserCount>({kMark}));
    const QString title = QStringLiteral(" - %1人").arg(kMark);
    ASSERT_TRUE(WaitUntil([&] { return !form.session().isOpen() || form.windowTitle().endsWith(title); }, 30000));
    if (!form.session().isOpen()) ++closedByClient;
  }
};

QByteArray RandomBytes(std::mt19937& random, int size) {
  QByteArray bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// Frames of random types (those of the catalogue more often) with random
// payloads, each with a length field that matches.
QByteArray RandomFrames(std::mt19937& random, int count) {
  static const uint8_t kKnown[] = {
#define TURFWING_MESSAGE_TYPE_LIST(t, name, dir) t,
      TURFWING_MESSAGES(TURFWING_MESSAGE_TYPE_LIST)
#undef TURFWING_MESSAGE_TYPE_LIST
  };
  QByteArray out;
  for (int i = 0; i < count; ++i) {
    uint8_t type = (random() % 8 == 0) ? static_cast<uint8_t>(random() & 0xFF) : kKnown[random() % std::size(kKnown)];
    // The answers that end a session (a refused handshake or login, the
    // server's close) would end the run after a few frames; other tests cover
    // them.
    if (type == NetDef::GmAReady || type == NetDef::GmClose || type == NetDef::GmAConnect) type = NetDef::GmTalk;
    // Mostly short payloads, where the fields are; sometimes long ones.
    const int size = static_cast<int>(random() % 8 == 0 ? random() % 1011 : random() % 64);
    const QByteArray payload = RandomBytes(random, size);
    const int length = 3 + size;
    out += static_cast<char>(length >> 8);
    out += static_cast<char>(length & 0xFF);
    out += static_cast<char>(type);
    out += payload;
  }
  return out;
}

TEST_F(GarbageTest, PureGarbageNeverCrashesTheWindow) {
  int closed = 0;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 random(seed);
    const int size = 1 + static_cast<int>(random() % 4096);
    ASSERT_NO_FATAL_FAILURE(DeliverAfterLogin(RandomBytes(random, size), closed)) << "seed " << seed;
    if (form.session().isOpen()) Disconnect();
  }
  // Random length fields are mostly out of range: most connections end.
  EXPECT_GT(closed, 30);
  EXPECT_TRUE(UsableAfterwards());
}

TEST_F(GarbageTest, RandomFramesOfEveryKindNeverCrashTheWindow) {
  int closed = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 random(1000 + seed);
    ASSERT_NO_FATAL_FAILURE(DeliverAfterLogin(RandomFrames(random, 500), closed)) << "seed " << seed;
    if (form.session().isOpen()) Disconnect();
    if (seed % 10 == 0) {
      ASSERT_TRUE(UsableAfterwards()) << "seed " << seed;
    }
  }
  // Every length field is in range and none of the answers that end a session
  // is among the frames: every connection must have stayed open to the mark.
  EXPECT_EQ(closed, 0);
}

TEST_F(GarbageTest, LoginSessionWithFlippedBytesNeverCrashesTheWindow) {
  const QByteArray session = LoginSession();
  for (unsigned seed = 1; seed <= 150; ++seed) {
    std::mt19937 random(5000 + seed);
    QByteArray mutated = session;
    const int flips = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < flips; ++i) {
      const qsizetype at = static_cast<qsizetype>(random() % static_cast<unsigned>(mutated.size()));
      mutated[at] = static_cast<char>(random() % 3 == 0 ? (mutated[at] ^ (1 << (random() % 8)))
                                                        : static_cast<char>(random() & 0xFF));
    }
    ASSERT_TRUE(ConnectClient()) << "seed " << seed;
    ASSERT_TRUE(Deliver(mutated)) << "seed " << seed;
    if (form.session().isOpen()) Disconnect();
  }
  EXPECT_TRUE(UsableAfterwards());
}

}  // namespace
