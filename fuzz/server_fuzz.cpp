// Arbitrary bytes from two connections into the lobby's receive path, with the
// demo world running and time moving between reads.
//
// Input: byte 0 steers the run (bit 0: log connection A in first, so the
// rules behind the login are reached at once; the rest seeds the read sizes);
// the remaining bytes are cut into reads that go to A or B, and every few
// reads the clock moves on.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "server/demo_world.h"
#include "server/lobby_world.h"
#include "server/server_clock.h"

namespace {

struct NullLink final : SessionLink {
  size_t bytes = 0;
  bool closeRequested = false;
  void sendFrame(const uint8_t* data, int n) override {
    // Every frame the server sends must be a whole frame of the protocol.
    if (n < 3 || n > 1013 || ((data[0] << 8) | data[1]) != n) __builtin_trap();
    bytes += static_cast<size_t>(n);
  }
  void requestClose(bool) override { closeRequested = true; }
};

std::vector<uint8_t> Login(uint32_t id) {
  std::vector<uint8_t> b = {0, 7, 1, 1, 2, 18, 55};  // GmReady
  const std::vector<uint8_t> connect = {0,
                                        11,
                                        10,
                                        static_cast<uint8_t>(id >> 24),
                                        static_cast<uint8_t>(id >> 16),
                                        static_cast<uint8_t>(id >> 8),
                                        static_cast<uint8_t>(id),
                                        1,
                                        'a',
                                        0,
                                        0};
  b.insert(b.end(), connect.begin(), connect.end());
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t steer = data[0];
  uint32_t seed = steer | 1u;
  ++data;
  --size;

  ManualClock clock;
  ServerOptions options;
  options.demo = true;
  options.lifeSeconds = 2;
  options.roomsPerUser = 2;
  options.maxRooms = 12;
  auto world = std::make_unique<LobbyWorld>(options, clock);
  auto demo = std::make_unique<DemoWorld>(*world);
  NullLink linkA;
  NullLink linkB;
  const int a = world->open(&linkA, "a");
  const int b = world->open(&linkB, "b");
  const std::vector<uint8_t> loginB = Login(2);
  world->receive(b, loginB.data(), static_cast<int>(loginB.size()));
  const uint8_t enterLobby[] = {0, 12, 18, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  world->receive(b, enterLobby, sizeof enterLobby);
  if (steer & 1) {
    const std::vector<uint8_t> loginA = Login(1);
    world->receive(a, loginA.data(), static_cast<int>(loginA.size()));
  }

  size_t pos = 0;
  int reads = 0;
  while (pos < size) {
    seed = seed * 1103515245u + 12345u;
    size_t n = 1 + (seed >> 16) % 200;
    if (n > size - pos) n = size - pos;
    // Mostly A; now and then B, so both sides of every relay run.
    const int conn = ((seed >> 8) & 7) == 0 ? b : a;
    world->receive(conn, data + pos, static_cast<int>(n));
    pos += n;
    if (++reads % 4 == 0) clock.advance(static_cast<int64_t>((seed >> 4) % 4000));
  }
  world->closed(a);
  clock.advance(1000);
  world->closed(b);
  demo.reset();
  world.reset();
  return 0;
}
