#include "net/stream_buffer.h"

#include <cstring>
#include <new>

bool StreamBuffer::append(const uint8_t* bytes, int n) {
  if (n <= 0) return true;
  void* raw = ::operator new(sizeof(Chunk) + static_cast<size_t>(n), std::nothrow);
  if (raw == nullptr) return false;
  auto* chunk = new (raw) Chunk;
  chunk->size = n;
  std::memcpy(chunk->bytes(), bytes, static_cast<size_t>(n));
  if (last_ != nullptr) {
    last_->next = chunk;
  } else {
    first_ = chunk;
  }
  last_ = chunk;
  total_ += n;
  ++chunks_;
  return true;
}

int StreamBuffer::available() const {
  const int n = total_ - readOffset_;
  return n < 0 ? 0 : n;
}

void StreamBuffer::pop_front() {
  Chunk* chunk = first_;
  first_ = chunk->next;
  if (first_ == nullptr) last_ = nullptr;
  total_ -= chunk->size;
  --chunks_;
  chunk->~Chunk();
  ::operator delete(chunk);
}

int StreamBuffer::copy_out(uint8_t* dest, int n, bool consume) {
  int copied = 0;
  Chunk* chunk = first_;
  int offset = readOffset_;
  while (chunk != nullptr && copied < n) {
    const int left = chunk->size - offset;
    const int take = left < n - copied ? left : n - copied;
    std::memcpy(dest + copied, chunk->bytes() + offset, static_cast<size_t>(take));
    copied += take;
    offset += take;
    if (offset == chunk->size) {
      chunk = chunk->next;
      offset = 0;
      if (consume) {
        pop_front();
        readOffset_ = 0;
      }
    }
  }
  if (consume) readOffset_ = offset;
  return copied;
}

void StreamBuffer::clear() {
  while (first_ != nullptr) pop_front();
  readOffset_ = 0;
  total_ = 0;
}

FrameLoop::Result FrameLoop::feed(const uint8_t* bytes, int n) {
  if (n > 0) buffer_.append(bytes, n);
  return pump();
}

FrameLoop::Result FrameLoop::pump() {
  for (;;) {
    uint8_t head[2];
    if (buffer_.copy_out(head, 2, false) < 2) return Result::Ok;
    // Read as signed: every length from 0x8000 up is negative and so below 3.
    const auto length = static_cast<int16_t>((head[0] << 8) | head[1]);
    if (length < MinFrame || length > MaxStreamFrame) return Result::Close;
    if (buffer_.available() < length) return Result::Ok;
    if (buffer_.copy_out(staging_, length, true) != length) return Result::Ok;
    // Frames of 1014..1024 bytes are refused by the packet and skipped whole,
    // which keeps the stream in step without closing.
    if (packet_.load(staging_, length) && dispatch_) dispatch_();
  }
}
