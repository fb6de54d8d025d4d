#pragma once
// The bytes received on the lobby connection, in arrival order, as a queue of
// chunks (one per socket read), and the loop that cuts whole frames out of them.

#include <cstdint>
#include <functional>

#include "net/net_packet.h"

class StreamBuffer {
 public:
  StreamBuffer() = default;
  StreamBuffer(const StreamBuffer&) = delete;
  StreamBuffer& operator=(const StreamBuffer&) = delete;
  ~StreamBuffer() { clear(); }

  // Copies n bytes into a new chunk at the end; false when it cannot be allocated.
  bool append(const uint8_t* bytes, int n);
  int available() const;
  // Copies up to n bytes from the read offset; with consume, moves past them and
  // frees every chunk that has been read to its end.
  int copy_out(uint8_t* dest, int n, bool consume);
  void clear();
  int chunk_count() const { return chunks_; }

 private:
  struct Chunk {
    Chunk* next = nullptr;
    int size = 0;
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(this + 1); }
  };
  void pop_front();

  Chunk* first_ = nullptr;
  Chunk* last_ = nullptr;
  int readOffset_ = 0;
  int total_ = 0;  // sum of chunk sizes
  int chunks_ = 0;
};

// Cuts frames out of a StreamBuffer and hands each accepted one, loaded into the
// packet, to the dispatch callback. A callback may re-enter feed() (a modal box's
// nested event loop delivers more reads): each pass re-reads the buffer, so every
// frame is still handled once and in order.
class FrameLoop {
 public:
  static constexpr int MinFrame = 3;
  static constexpr int MaxStreamFrame = 1024;

  enum class Result { Ok, Close };
  using Dispatch = std::function<void()>;

  FrameLoop(StreamBuffer& buffer, NetPacket& packet, Dispatch dispatch)
      : buffer_(buffer), packet_(packet), dispatch_(std::move(dispatch)) {}

  // One socket read: append the bytes, then cut every complete frame. Close means
  // a length field outside 3..1024 was seen and the connection must be closed.
  Result feed(const uint8_t* bytes, int n);
  // Cuts the frames already queued.
  Result pump();
  // Forgets every queued byte; called when a connection opens and when it ends, so
  // a dead connection's leftovers are never dispatched or read before a new one.
  void reset() { buffer_.clear(); }

 private:
  StreamBuffer& buffer_;
  NetPacket& packet_;
  Dispatch dispatch_;
  uint8_t staging_[MaxStreamFrame] = {};
};
