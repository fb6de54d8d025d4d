#pragma once
// Code page 932 (Japanese Windows Shift-JIS) text. Every text the client shows,
// sends or stores stays as CP932 bytes; this is the one place that converts to
// and from Unicode (glibc iconv "CP932" on POSIX, the Win32 converter on Windows).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cp932 {

// 0x81-0x9F and 0xE0-0xFC start a double-byte character.
constexpr bool IsLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// 0x40-0x7E and 0x80-0xFC may follow a lead byte.
constexpr bool IsTrailByte(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Byte length of the character starting at text[pos] (1 or 2); 1 for a lead byte
// cut off at the end.
inline size_t CharLength(std::string_view text, size_t pos) {
  const auto b = static_cast<uint8_t>(text[pos]);
  if (IsLeadByte(b) && pos + 1 < text.size() && IsTrailByte(static_cast<uint8_t>(text[pos + 1]))) {
    return 2;
  }
  return 1;
}

// CP932 bytes to UTF-16. Invalid bytes and a lead byte cut off at the end become
// U+FFFD; never fails.
std::u16string ToUtf16(std::string_view bytes);

// UTF-16 to CP932. Returns false when a character has no CP932 form (or the text
// holds a broken surrogate); then *firstBad is its index in `text` and `out`
// holds the bytes before it.
bool FromUtf16(std::u16string_view text, std::string& out, size_t* firstBad = nullptr);

// Byte length of `text` in CP932, or -1 when a character has no CP932 form.
long ByteLength(std::u16string_view text);

// The longest prefix of `bytes` of at most maxBytes bytes that does not end in
// the first half of a double-byte character.
std::string_view CutToBytes(std::string_view bytes, size_t maxBytes);

// Whether text begins with prefix, both walked character by character from
// their start: ASCII letters match either case, every other character byte for
// byte, so a trail byte that happens to be a letter is never folded.
bool StartsWithFoldingAscii(std::string_view text, std::string_view prefix);

// UTF-8 (file names, the server's accounts file) to UTF-16; an invalid byte
// reads as the character of its own value.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Convenience for tests and literals written in UTF-8 source.
std::string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::string_view bytes);
// UTF-16 text as UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace cp932
