#include "platform/cp932.h"

#include <bit>
#include <cerrno>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace cp932 {
namespace {

constexpr char16_t Replacement = u'\uFFFD';

// The two converters disagree on a few characters; input must be refused alike
// on both systems (a name typed on Linux has to be valid on Windows), so both
// refuse the union of what either refuses. iconv maps these to bytes that
// decode to other characters (one way only: U+301C, the wave dash, becomes
// 0x8160, which reads back as U+FF5E; U+00A5 becomes the backslash 0x5C);
// Win32 with WC_NO_BEST_FIT_CHARS refuses them. Win32 maps U+0080 and
// U+F8F0-U+F8F3 to the single bytes 0x80, 0xA0, 0xFD, 0xFE and 0xFF, which
// are no characters for either decoder; iconv refuses them.
bool RefusedOnInput(char16_t c) {
  switch (c) {
    case 0x00A2:  // cent sign
    case 0x00A3:  // pound sign
    case 0x00A5:  // yen sign
    case 0x00AC:  // not sign
    case 0x2014:  // em dash
    case 0x2016:  // double vertical line
    case 0x203E:  // overline
    case 0x2212:  // minus sign
    case 0x301C:  // wave dash
    case 0x0080:
    case 0xF8F0:
    case 0xF8F1:
    case 0xF8F2:
    case 0xF8F3:
      return true;
    default:
      return false;
  }
}

#ifndef _WIN32
// One converter per direction and thread; opening one loads a gconv module, far
// too slow to do per call.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t get() {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    return cd_;
  }
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

 private:
  iconv_t cd_;
};

const char* Utf16Name() { return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE"; }

Converter& Decoder() {
  thread_local Converter c(Utf16Name(), "CP932");
  return c;
}
Converter& Encoder() {
  thread_local Converter c("CP932", Utf16Name());
  return c;
}

// Converts one run with iconv; returns the number of input bytes consumed.
size_t DecodeRun(std::string_view in, std::u16string& out) {
  Converter& conv = Decoder();
  if (!conv.valid()) return 0;
  iconv_t cd = conv.get();
  const size_t start = out.size();
  out.resize(start + in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = reinterpret_cast<char*>(out.data() + start);
  size_t dstLeft = in.size() * 2 * sizeof(char16_t);
  iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  const size_t produced = (in.size() * 2 * sizeof(char16_t) - dstLeft) / sizeof(char16_t);
  out.resize(start + produced);
  return in.size() - srcLeft;
}
#endif

}  // namespace

std::u16string ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t pos = 0;
  while (pos < bytes.size()) {
    // Plain ASCII needs no converter.
    const auto b = static_cast<uint8_t>(bytes[pos]);
    if (b < 0x80) {
      out.push_back(static_cast<char16_t>(b));
      ++pos;
      continue;
    }
#ifdef _WIN32
    const size_t len = CharLength(bytes, pos);
    wchar_t w[2];
    const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data() + pos, static_cast<int>(len), w, 2);
    // Win32 passes 0x80 through as U+0080; iconv, like every other byte that
    // is no character, gives U+FFFD.
    if (n == 1 && b != 0x80) {
      out.push_back(static_cast<char16_t>(w[0]));
    } else {
      out.push_back(Replacement);
    }
    pos += len;
#else
    // Convert up to the next ASCII byte in one go; on an invalid sequence emit
    // U+FFFD for one character and go on after it.
    size_t end = pos;
    while (end < bytes.size() && static_cast<uint8_t>(bytes[end]) >= 0x80) end += CharLength(bytes, end);
    if (end > bytes.size()) end = bytes.size();
    while (pos < end) {
      const size_t used = DecodeRun(bytes.substr(pos, end - pos), out);
      pos += used;
      if (pos < end) {
        out.push_back(Replacement);
        pos += CharLength(bytes, pos);
      }
    }
#endif
  }
  return out;
}

bool FromUtf16(std::u16string_view text, std::string& out, size_t* firstBad) {
  out.clear();
  out.reserve(text.size() * 2);
  size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    // Unpaired surrogates and characters outside the BMP have no CP932 form.
    if ((c >= 0xD800 && c <= 0xDFFF) || RefusedOnInput(c)) {
      if (firstBad) *firstBad = i;
      return false;
    }
#ifdef _WIN32
    char buf[4];
    BOOL usedDefault = FALSE;
    const wchar_t w = static_cast<wchar_t>(c);
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &w, 1, buf, sizeof buf, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) {
      if (firstBad) *firstBad = i;
      return false;
    }
    out.append(buf, static_cast<size_t>(n));
#else
    Converter& conv = Encoder();
    if (!conv.valid()) {
      if (firstBad) *firstBad = i;
      return false;
    }
    iconv_t cd = conv.get();
    char16_t unit = c;
    char* src = reinterpret_cast<char*>(&unit);
    size_t srcLeft = sizeof unit;
    char buf[4];
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0) {
      if (firstBad) *firstBad = i;
      return false;
    }
    out.append(buf, sizeof buf - dstLeft);
#endif
    ++i;
  }
  return true;
}

long ByteLength(std::u16string_view text) {
  std::string bytes;
  if (!FromUtf16(text, bytes)) return -1;
  return static_cast<long>(bytes.size());
}

std::string_view CutToBytes(std::string_view bytes, size_t maxBytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t len = CharLength(bytes, pos);
    if (pos + len > maxBytes) break;
    pos += len;
  }
  return bytes.substr(0, pos);
}

bool StartsWithFoldingAscii(std::string_view text, std::string_view prefix) {
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size();) {
    const size_t len = CharLength(prefix, i);
    if (CharLength(text, i) != len) return false;
    if (len == 1 ? fold(text[i]) != fold(prefix[i]) : text.substr(i, len) != prefix.substr(i, len)) return false;
    i += len;
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<uint8_t>(s[i++]);
    const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 3 ? b & 0x07 : extra == 2 ? b & 0x0F : extra == 1 ? b & 0x1F : b;
    for (int k = 0; k < extra && i < s.size(); ++k) cp = (cp << 6) | (static_cast<uint8_t>(s[i++]) & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string FromUtf8(std::string_view utf8) {
  std::string out;
  FromUtf16(Utf8ToUtf16(utf8), out);
  return out;
}

std::string ToUtf8(std::string_view bytes) { return Utf16ToUtf8(ToUtf16(bytes)); }

std::string Utf16ToUtf8(std::u16string_view u) {
  std::string out;
  for (size_t i = 0; i < u.size(); ++i) {
    char32_t cp = u[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < u.size()) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (u[++i] - 0xDC00);
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace cp932
