// Arbitrary bytes, cut into arbitrary reads, through the frame loop and into
// every decoder of the catalogue.
#include <cstddef>
#include <cstdint>

#include "net/net_messages.h"
#include "net/stream_buffer.h"

namespace {
struct DecodeAll {
  const NetPacket& packet;
  template <class M>
  void operator()() {
    typename M::Info info;
    if (M::decode(packet, info)) {
      // Whatever decoded must encode again within the frame limits or be refused.
      NetPacket out;
      (void)M::encode(out, info);
    }
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte seeds the read sizes.
  uint32_t seed = data[0] | 1u;
  ++data;
  --size;
  StreamBuffer buffer;
  NetPacket packet;
  FrameLoop loop(buffer, packet, [&packet] {
    DecodeAll all{packet};
    VisitMessageType(packet.type(), all);
  });
  size_t pos = 0;
  while (pos < size) {
    seed = seed * 1103515245u + 12345u;
    size_t n = 1 + (seed >> 16) % 300;
    if (n > size - pos) n = size - pos;
    if (loop.feed(data + pos, static_cast<int>(n)) == FrameLoop::Result::Close) loop.reset();
    pos += n;
  }
  return 0;
}
