#pragma once
// One frame of the lobby protocol and the cursors that fill and parse its payload.
//
//   +----------------+------+---------------------------+
//   | total length   | type | payload                   |
//   | u16 big-endian | u8   | total length - 3 bytes    |
//   +----------------+------+---------------------------+
//
// Numbers are big-endian; a text is one length byte followed by that many code
// page 932 bytes, without terminator. A packet holds frames of 3..1013 bytes.

#include <cstddef>
#include <cstdint>

class NetPacket {
 public:
  static constexpr int BufferSize = 1024;
  static constexpr int HeaderSize = 3;
  static constexpr int MaxFrame = 1013;
  static constexpr int MaxPayload = MaxFrame - HeaderSize;

  // Accepts a received frame of 3..1013 bytes; refuses anything else unchanged.
  bool load(const uint8_t* bytes, int n);
  // Completes an outgoing frame whose payload has been written.
  bool finish(uint8_t type, int payloadLength);

  uint8_t type() const { return buffer_[2]; }
  uint16_t wire_length() const { return static_cast<uint16_t>((buffer_[0] << 8) | buffer_[1]); }
  const uint8_t* frame_bytes() const { return buffer_; }
  uint8_t* payload() { return buffer_ + HeaderSize; }
  const uint8_t* payload() const { return buffer_ + HeaderSize; }
  int payload_length() const { return frameLength_ - HeaderSize; }
  int frame_length() const { return frameLength_; }

 private:
  uint8_t buffer_[BufferSize] = {};
  int16_t frameLength_ = 0;
};

// Write cursor over a packet's payload. Writes beyond the buffer are dropped but
// still counted, so finish() refuses the frame instead of overrunning the buffer.
class PacketWriter {
 public:
  explicit PacketWriter(NetPacket& packet) : start_(packet.payload()) {}

  void put_u8(uint8_t v);
  void put_u16(uint16_t v);
  void put_u32(uint32_t v);
  void put_u8x3(uint8_t a, uint8_t b, uint8_t c);
  // Writes min(max, strlen) as the length byte, then that many bytes.
  void put_text(const char* text, int max);
  void put_bytes(const void* bytes, int n);

  int length() const { return written_; }

 private:
  static constexpr int Room = NetPacket::BufferSize - NetPacket::HeaderSize;
  uint8_t* start_;
  int written_ = 0;
};

// Read cursor over a packet's payload with a sticky ok flag: once a field runs
// past the payload or a key is negative, every later read fails too.
class PacketReader {
 public:
  explicit PacketReader(const NetPacket& packet) : start_(packet.payload()), size_(packet.payload_length()) {}

  bool need(int n);
  uint8_t get_u8();
  int16_t get_i16();
  uint16_t get_u16();
  uint32_t get_u32();
  // An i16 that must not be negative (room numbers and similar keys).
  void get_number(int16_t& out);
  void get_u8x4(uint8_t out[4]);
  // Keeps min(len, capacity - 1) bytes, zero-terminated, and skips the rest.
  void get_text(char* dest, int capacity);

  bool ok() const { return ok_; }
  int position() const { return pos_; }

 private:
  const uint8_t* start_;
  int size_;
  int pos_ = 0;
  bool ok_ = true;
};
