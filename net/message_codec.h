#pragma once
// How a message is written once and read back: a codec lists its fields in
// fields(io, info), and that list is visited by an encoding Io (the side that
// sends) and by a decoding Io (the side that receives).
//
// Field kinds:
//   u8 / u16 / i16 / u32   big-endian integers
//   number                 i16 that must not be negative when received (keys)
//   text                   length byte + bytes; Info holds char[N + 1]
//   list16<Max> / list8<Max>  count then entries; a received count is clamped
//                          into 0..Max without failing

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "net/net_packet.h"

namespace net_detail {

struct EncodeIo {
  PacketWriter w;

  void u8(uint8_t v) { w.put_u8(v); }
  void u16(uint16_t v) { w.put_u16(v); }
  void i16(int16_t v) { w.put_u16(static_cast<uint16_t>(v)); }
  void number(int16_t v) { w.put_u16(static_cast<uint16_t>(v)); }
  void u32(uint32_t v) { w.put_u32(v); }
  void u8x4(const uint8_t (&v)[4]) { w.put_bytes(v, 4); }
  template <size_t N>
  void text(const char (&s)[N]) {
    w.put_text(s, static_cast<int>(N) - 1);
  }
  template <int Max, class E, class F>
  void list16(const int& count, const E (&entries)[Max], F each) {
    const int n = count < 0 ? 0 : (count > Max ? Max : count);
    w.put_u16(static_cast<uint16_t>(n));
    for (int i = 0; i < n; ++i) each(*this, entries[i]);
  }
  template <int Max, class E, class F>
  void list8(const int& count, const E (&entries)[Max], F each) {
    const int n = count < 0 ? 0 : (count > Max ? Max : count);
    w.put_u8(static_cast<uint8_t>(n));
    for (int i = 0; i < n; ++i) each(*this, entries[i]);
  }
};

struct DecodeIo {
  PacketReader r;

  void u8(uint8_t& v) { v = r.get_u8(); }
  void u16(uint16_t& v) { v = r.get_u16(); }
  void i16(int16_t& v) { v = r.get_i16(); }
  void number(int16_t& v) { r.get_number(v); }
  void u32(uint32_t& v) { v = r.get_u32(); }
  void u8x4(uint8_t (&v)[4]) { r.get_u8x4(v); }
  template <size_t N>
  void text(char (&s)[N]) {
    r.get_text(s, static_cast<int>(N));
  }
  template <int Max, class E, class F>
  void list16(int& count, E (&entries)[Max], F each) {
    const int16_t n = r.get_i16();
    count = n < 0 ? 0 : (n > Max ? Max : n);
    for (int i = 0; i < count; ++i) each(*this, entries[i]);
  }
  template <int Max, class E, class F>
  void list8(int& count, E (&entries)[Max], F each) {
    const uint8_t n = r.get_u8();
    count = n > Max ? Max : n;
    for (int i = 0; i < count; ++i) each(*this, entries[i]);
  }
};

}  // namespace net_detail

// Shared encode/decode for every codec: M provides Type, Info and fields().
// (The Info type is looked up through a defaulted template parameter because M is
// still incomplete when Codec<M> is instantiated as its base.)
template <class M>
struct Codec {
  template <class Self = M>
  static bool encode(NetPacket& packet, const typename Self::Info& info) {
    net_detail::EncodeIo io{PacketWriter(packet)};
    M::fields(io, info);
    return packet.finish(M::Type, io.w.length());
  }
  template <class Self = M>
  static bool decode(const NetPacket& packet, typename Self::Info& info) {
    net_detail::DecodeIo io{PacketReader(packet)};
    M::fields(io, info);
    return io.r.ok();
  }
};

// A message without payload.
template <uint8_t T>
struct EmptyMessage : Codec<EmptyMessage<T>> {
  static constexpr uint8_t Type = T;
  struct Info {};
  template <class Io, class I>
  static void fields(Io&, I&) {}
};

// Copies a zero-terminated text into a fixed Info array, cut to its capacity.
template <size_t N>
void CopyText(char (&dest)[N], const char* src) {
  size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < N && src[n] != '\0') ++n;
    std::memcpy(dest, src, n);
  }
  dest[n] = '\0';
}
