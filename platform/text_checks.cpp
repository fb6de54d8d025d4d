#include "platform/text_checks.h"

#include <cstring>

#include "platform/cp932.h"

const char* NextMbChar(const char* pos, uint16_t& code, int& bytesLeft) {
  if (pos == nullptr || bytesLeft <= 0) return nullptr;
  const auto first = static_cast<uint8_t>(pos[0]);
  if (bytesLeft >= 2 && cp932::IsLeadByte(first) && cp932::IsTrailByte(static_cast<uint8_t>(pos[1]))) {
    code = static_cast<uint16_t>(first * 256 + static_cast<uint8_t>(pos[1]));
    bytesLeft -= 2;
    return pos + 2;
  }
  code = first;
  bytesLeft -= 1;
  return pos + 1;
}

namespace {

bool IsRefusedNameChar(uint16_t code) {
  if (code <= 0x20) return true;  // control codes and the blank
  switch (code) {
    case 0x22:    // "
    case 0x27:    // '
    case 0x2C:    // ,
    case 0x2E:    // .
    case 0x3C:    // <
    case 0x3E:    // >
    case 0x5C:    // backslash
    case 0x8140:  // full-width space
      return true;
    default:
      break;
  }
  return code >= 0x80 && code <= 0xFF;  // half-width katakana and stray high bytes
}

bool IsAsciiAlnum(uint16_t code) {
  return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
}

}  // namespace

bool IsValidNameText(const char* text) {
  if (text == nullptr || text[0] == '\0') return false;
  int left = static_cast<int>(std::strlen(text));
  uint16_t code = 0;
  for (const char* p = NextMbChar(text, code, left); p != nullptr; p = NextMbChar(p, code, left)) {
    if (IsRefusedNameChar(code)) return false;
  }
  return true;
}

bool IsAlphanumericText(const char* text) {
  if (text == nullptr) return true;
  int left = static_cast<int>(std::strlen(text));
  uint16_t code = 0;
  for (const char* p = NextMbChar(text, code, left); p != nullptr; p = NextMbChar(p, code, left)) {
    if (!IsAsciiAlnum(code)) return false;
  }
  return true;
}
