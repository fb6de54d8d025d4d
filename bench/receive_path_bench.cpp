// The receive path: bytes as socket reads deliver them, cut into frames by the
// stream buffer, loaded into the packet and decoded into their Info records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "net/net_messages.h"
#include "net/stream_buffer.h"

namespace {

template <class M>
void Append(std::vector<uint8_t>& stream, const typename M::Info& info) {
  NetPacket p;
  if (!M::encode(p, info)) std::abort();
  stream.insert(stream.end(), p.frame_bytes(), p.frame_bytes() + p.wire_length());
}

// A lobby's worth of traffic: mostly talk and stadium state, some member and
// room lists.
std::vector<uint8_t> MakeStream(int* frameCount) {
  std::vector<uint8_t> s;
  int frames = 0;
  GmTalk::Info talk;
  talk.room = 3;
  talk.sender = 17;
  CopyText(talk.name, "\x83\x76\x83\x8C\x83\x43\x83\x84\x81\x5B");  // katakana name
  CopyText(talk.text, "http://example.test/match/1234 \x8E\x8E\x8D\x87\x82\xAA\x8E\x6E\x82\xDC\x82\xE9");
  GmStadiumState::Info state;
  state.count = 6;
  for (int i = 0; i < 6; ++i) {
    state.entries[i].id = static_cast<uint32_t>(i + 1);
    state.entries[i].state = 1;
    state.entries[i].clock = static_cast<int16_t>(60 * i);
  }
  GmUserEnter::Info enter;
  enter.room = 3;
  enter.count = 40;
  for (int i = 0; i < 40; ++i) {
    enter.entries[i].clientId = static_cast<int16_t>(i);
    enter.entries[i].userNumber = 1000u + static_cast<uint32_t>(i);
    std::snprintf(enter.entries[i].name, sizeof enter.entries[i].name, "Player%d", i);
  }
  GmRoomList::Info rooms;
  rooms.count = 30;
  for (int i = 0; i < 30; ++i) {
    rooms.entries[i].room = static_cast<int16_t>(i + 1);
    std::snprintf(rooms.entries[i].name, sizeof rooms.entries[i].name, "Room%d", i);
  }
  for (int round = 0; round < 200; ++round) {
    for (int k = 0; k < 6; ++k, ++frames) Append<GmTalk>(s, talk);
    for (int k = 0; k < 3; ++k, ++frames) Append<GmStadiumState>(s, state);
    if (round % 10 == 0) {
      Append<GmUserEnter>(s, enter);
      Append<GmRoomList>(s, rooms);
      frames += 2;
    }
  }
  *frameCount = frames;
  return s;
}

struct Decoder {
  NetMessageSet set;
  long decoded = 0;
  void operator()() {
    switch (set.packet().type()) {
      case NetDef::GmTalk: {
        GmTalk::Info i;
        decoded += set.decode<GmTalk>(i);
        break;
      }
      case NetDef::GmStadiumState: {
        GmStadiumState::Info i;
        decoded += set.decode<GmStadiumState>(i);
        break;
      }
      case NetDef::GmUserEnter: {
        GmUserEnter::Info i;
        decoded += set.decode<GmUserEnter>(i);
        break;
      }
      case NetDef::GmRoomList: {
        GmRoomList::Info i;
        decoded += set.decode<GmRoomList>(i);
        break;
      }
      default:
        break;
    }
  }
};

void BM_ReceivePath(benchmark::State& st) {
  int frameCount = 0;
  const std::vector<uint8_t> stream = MakeStream(&frameCount);
  // Read sizes from 1 to 4096 bytes, fixed by seed so every run sees the same cuts.
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> size(1, static_cast<int>(st.range(0)));
  std::vector<int> cuts;
  for (size_t pos = 0; pos < stream.size();) {
    const int n = size(rng);
    cuts.push_back(n);
    pos += static_cast<size_t>(n);
  }
  StreamBuffer buffer;
  Decoder decoder;
  FrameLoop loop(buffer, decoder.set.packet(), [&decoder] { decoder(); });
  long frames = 0;
  for (auto _ : st) {
    size_t pos = 0;
    for (int n : cuts) {
      const int take = static_cast<int>(std::min<size_t>(static_cast<size_t>(n), stream.size() - pos));
      if (take <= 0) break;
      loop.feed(stream.data() + pos, take);
      pos += static_cast<size_t>(take);
    }
    frames += frameCount;
  }
  if (decoder.decoded != frames) st.SkipWithError("a frame failed to decode");
  st.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  st.SetBytesProcessed(static_cast<int64_t>(stream.size()) * st.iterations());
}

}  // namespace

BENCHMARK(BM_ReceivePath)->Arg(64)->Arg(1460)->Arg(4096);
BENCHMARK_MAIN();
