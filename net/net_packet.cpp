#include "net/net_packet.h"

#include <cstring>

bool NetPacket::load(const uint8_t* bytes, int n) {
  if (bytes == nullptr || n < HeaderSize || n > MaxFrame) return false;
  std::memcpy(buffer_, bytes, static_cast<size_t>(n));
  buffer_[0] = static_cast<uint8_t>(n >> 8);
  buffer_[1] = static_cast<uint8_t>(n);
  frameLength_ = static_cast<int16_t>(n);
  return true;
}

bool NetPacket::finish(uint8_t type, int payloadLength) {
  if (payloadLength < 0 || payloadLength + HeaderSize > MaxFrame) return false;
  const int n = payloadLength + HeaderSize;
  buffer_[2] = type;
  buffer_[0] = static_cast<uint8_t>(n >> 8);
  buffer_[1] = static_cast<uint8_t>(n);
  frameLength_ = static_cast<int16_t>(n);
  return true;
}

void PacketWriter::put_bytes(const void* bytes, int n) {
  if (n <= 0) return;
  if (written_ < Room) {
    const int fits = n < Room - written_ ? n : Room - written_;
    std::memcpy(start_ + written_, bytes, static_cast<size_t>(fits));
  }
  written_ += n;
}

void PacketWriter::put_u8(uint8_t v) { put_bytes(&v, 1); }

void PacketWriter::put_u16(uint16_t v) {
  const uint8_t b[2] = {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  put_bytes(b, 2);
}

void PacketWriter::put_u32(uint32_t v) {
  const uint8_t b[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                        static_cast<uint8_t>(v)};
  put_bytes(b, 4);
}

void PacketWriter::put_u8x3(uint8_t a, uint8_t b, uint8_t c) {
  const uint8_t bytes[3] = {a, b, c};
  put_bytes(bytes, 3);
}

void PacketWriter::put_text(const char* text, int max) {
  int n = 0;
  if (text != nullptr) {
    while (n < max && text[n] != '\0') ++n;
  }
  put_u8(static_cast<uint8_t>(n));
  put_bytes(text, n);
}

bool PacketReader::need(int n) {
  if (!ok_) return false;
  if (pos_ + n > size_) {
    ok_ = false;
    return false;
  }
  return true;
}

uint8_t PacketReader::get_u8() {
  if (!need(1)) return 0;
  return start_[pos_++];
}

uint16_t PacketReader::get_u16() {
  if (!need(2)) return 0;
  const auto v = static_cast<uint16_t>((start_[pos_] << 8) | start_[pos_ + 1]);
  pos_ += 2;
  return v;
}

int16_t PacketReader::get_i16() { return static_cast<int16_t>(get_u16()); }

uint32_t PacketReader::get_u32() {
  if (!need(4)) return 0;
  const uint32_t v = (uint32_t{start_[pos_]} << 24) | (uint32_t{start_[pos_ + 1]} << 16) |
                     (uint32_t{start_[pos_ + 2]} << 8) | uint32_t{start_[pos_ + 3]};
  pos_ += 4;
  return v;
}

void PacketReader::get_number(int16_t& out) {
  out = get_i16();
  if (out < 0) ok_ = false;
}

void PacketReader::get_u8x4(uint8_t out[4]) {
  for (int i = 0; i < 4; ++i) out[i] = get_u8();
}

void PacketReader::get_text(char* dest, int capacity) {
  const int len = get_u8();
  if (!need(len)) {
    if (capacity > 0) dest[0] = '\0';
    return;
  }
  int kept = len < capacity - 1 ? len : capacity - 1;
  if (kept < 0) kept = 0;
  if (capacity > 0) {
    std::memcpy(dest, start_ + pos_, static_cast<size_t>(kept));
    dest[kept] = '\0';
  }
  pos_ += len;
}
