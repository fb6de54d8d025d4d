#pragma once
// Texts from clients arrive already cut to their field by the decoder, which
// counts bytes and may keep the first half of a double-byte character at the
// end. Relaying or storing that half would garble the next text shown after it.

#include <string>
#include <string_view>

#include "platform/cp932.h"

// The text up to its last whole character, at most maxBytes long.
inline std::string WholeChars(std::string_view text, size_t maxBytes) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t len = cp932::CharLength(text, end);
    const bool cutLead = len == 1 && cp932::IsLeadByte(static_cast<uint8_t>(text[end])) && end + 1 == text.size();
    if (cutLead || end + len > maxBytes) break;
    end += len;
  }
  return std::string(text.substr(0, end));
}
