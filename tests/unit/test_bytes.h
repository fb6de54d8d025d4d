#pragma once
// Helpers for tests that compare frames byte by byte.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "net/net_packet.h"

using Bytes = std::vector<uint8_t>;

inline Bytes FrameOf(const NetPacket& p) { return Bytes(p.frame_bytes(), p.frame_bytes() + p.wire_length()); }

// A frame built by hand: the length field is computed from the payload.
inline Bytes Frame(uint8_t type, std::initializer_list<uint8_t> payload) {
  Bytes b;
  const size_t n = payload.size() + 3;
  b.push_back(static_cast<uint8_t>(n >> 8));
  b.push_back(static_cast<uint8_t>(n));
  b.push_back(type);
  b.insert(b.end(), payload);
  return b;
}

inline Bytes FrameRaw(uint8_t type, const Bytes& payload) {
  Bytes b;
  const size_t n = payload.size() + 3;
  b.push_back(static_cast<uint8_t>(n >> 8));
  b.push_back(static_cast<uint8_t>(n));
  b.push_back(type);
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}

inline void LoadFrame(NetPacket& p, const Bytes& b) { p.load(b.data(), static_cast<int>(b.size())); }
