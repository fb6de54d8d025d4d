#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "net/stream_buffer.h"
#include "test_bytes.h"

namespace {

// A frame loop that records the frames it dispatches.
struct Harness {
  StreamBuffer buffer;
  NetPacket packet;
  std::vector<Bytes> frames;
  std::function<void()> onDispatch;
  FrameLoop loop{buffer, packet, [this] {
                   frames.push_back(FrameOf(packet));
                   if (onDispatch) onDispatch();
                 }};

  FrameLoop::Result feed(const Bytes& b) { return loop.feed(b.data(), static_cast<int>(b.size())); }
};

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace

TEST(StreamBufferTest, CopyOutRunsAcrossChunksAndFreesReadOnes) {
  StreamBuffer b;
  const Bytes one = {1, 2, 3}, two = {4, 5}, three = {6};
  b.append(one.data(), 3);
  b.append(two.data(), 2);
  b.append(three.data(), 1);
  EXPECT_EQ(b.available(), 6);
  uint8_t out[8] = {};
  EXPECT_EQ(b.copy_out(out, 4, false), 4);
  EXPECT_EQ(b.available(), 6) << "peeking changes nothing";
  EXPECT_EQ(b.copy_out(out, 4, true), 4);
  EXPECT_EQ(Bytes(out, out + 4), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(b.chunk_count(), 2);
  EXPECT_EQ(b.copy_out(out, 1, true), 1);
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(b.chunk_count(), 1) << "a chunk read exactly to its end is freed";
  EXPECT_EQ(b.copy_out(out, 8, true), 1);
  EXPECT_EQ(b.available(), 0);
  EXPECT_EQ(b.chunk_count(), 0);
}

TEST(FrameLoopTest, FrameSplitInsideTheLengthFieldIsDispatchedOnce) {
  Harness h;
  const Bytes f = Frame(23, {0, 1, 0, 2, 0, 0, 0});
  EXPECT_EQ(h.feed(Bytes(f.begin(), f.begin() + 1)), FrameLoop::Result::Ok);
  EXPECT_TRUE(h.frames.empty());
  EXPECT_EQ(h.feed(Bytes(f.begin() + 1, f.end())), FrameLoop::Result::Ok);
  ASSERT_EQ(h.frames.size(), 1u);
  EXPECT_EQ(h.frames[0], f);
}

TEST(FrameLoopTest, ThreeFramesInOneReadComeInOrder) {
  Harness h;
  const Bytes a = Frame(3, {}), b = Frame(12, {0, 5}), c = Frame(51, {0, 0, 0, 1});
  h.feed(Concat({a, b, c}));
  ASSERT_EQ(h.frames.size(), 3u);
  EXPECT_EQ(h.frames[0], a);
  EXPECT_EQ(h.frames[1], b);
  EXPECT_EQ(h.frames[2], c);
  EXPECT_EQ(h.buffer.chunk_count(), 0) << "the chunk ending exactly at a frame end is freed";
}

TEST(FrameLoopTest, NextFrameStartsAtTheNextChunk) {
  Harness h;
  const Bytes a = Frame(12, {0, 1}), b = Frame(12, {0, 2});
  h.feed(a);
  EXPECT_EQ(h.buffer.chunk_count(), 0);
  h.feed(Bytes(b.begin(), b.begin() + 3));
  h.feed(Bytes(b.begin() + 3, b.end()));
  ASSERT_EQ(h.frames.size(), 2u);
  EXPECT_EQ(h.frames[1], b);
}

TEST(FrameLoopTest, EmptyPayloadFrameIsDispatched) {
  Harness h;
  h.feed(Frame(4, {}));
  ASSERT_EQ(h.frames.size(), 1u);
  EXPECT_EQ(h.frames[0].size(), 3u);
}

TEST(FrameLoopTest, OverlongFrameWithinStreamBoundIsSkippedWhole) {
  Harness h;
  Bytes big(1020, 0xAA);
  big[0] = 0x03;
  big[1] = 0xFC;  // 1020
  big[2] = 23;
  const Bytes next = Frame(12, {0, 9});
  EXPECT_EQ(h.feed(Concat({big, next})), FrameLoop::Result::Ok);
  ASSERT_EQ(h.frames.size(), 1u);
  EXPECT_EQ(h.frames[0], next);

  Bytes limit(1024, 0);
  limit[0] = 0x04;
  limit[1] = 0x00;
  EXPECT_EQ(h.feed(limit), FrameLoop::Result::Ok);
  EXPECT_EQ(h.frames.size(), 1u);
}

TEST(FrameLoopTest, LengthsOutsideThreeTo1024Close) {
  for (const Bytes& bad :
       {Bytes{0x00, 0x02, 0x01}, Bytes{0x04, 0x01}, Bytes{0xFF, 0xFF}, Bytes{0x00, 0x00}, Bytes{0x80, 0x00}}) {
    Harness h;
    EXPECT_EQ(h.feed(Concat({Frame(3, {}), bad, Frame(3, {})})), FrameLoop::Result::Close);
    EXPECT_EQ(h.frames.size(), 1u) << "frames before the bad length are still handled";
  }
}

TEST(FrameLoopTest, ReentrantDispatchHandlesEachFrameOnceInOrder) {
  // The first frame's handler runs a nested loop that delivers the next read, as a
  // modal box would; the outer pass must then see only what is left.
  Harness h;
  const Bytes a = Frame(1, {}), b = Frame(2, {}), c = Frame(3, {}), d = Frame(4, {});
  bool nested = false;
  h.onDispatch = [&] {
    if (!nested) {
      nested = true;
      h.feed(Concat({c, d}));
    }
  };
  h.feed(Concat({a, b}));
  ASSERT_EQ(h.frames.size(), 4u);
  EXPECT_EQ(h.frames[0], a);
  EXPECT_EQ(h.frames[1], b);
  EXPECT_EQ(h.frames[2], c);
  EXPECT_EQ(h.frames[3], d);
}

TEST(FrameLoopTest, ResetDuringDispatchStopsTheDeadConnectionsFrames) {
  // A disconnect handled inside a nested loop resets the stream: frames that
  // were queued behind the open box belong to the dead connection.
  Harness h;
  h.onDispatch = [&] { h.loop.reset(); };
  h.feed(Concat({Frame(1, {}), Frame(2, {}), Frame(3, {})}));
  EXPECT_EQ(h.frames.size(), 1u);
  h.onDispatch = nullptr;
  h.feed(Frame(9, {}));
  ASSERT_EQ(h.frames.size(), 2u);
  EXPECT_EQ(h.frames[1][2], 9) << "a new connection starts with an empty buffer";
}
