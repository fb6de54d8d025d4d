#pragma once
// Small text helpers shared by the parts of the lobby world.

#include <cstring>
#include <string>
#include <string_view>

#include "platform/cp932.h"

namespace world_text {

// A UTF-8 literal as the CP932 bytes the protocol carries.
inline std::string J(std::string_view utf8) { return cp932::FromUtf8(utf8); }

// Splits "NAME REST" at the first blank; REST loses its leading blanks.
inline void SplitWord(const std::string& text, std::string& word, std::string& rest) {
  const size_t blank = text.find(' ');
  word = text.substr(0, blank);
  rest.clear();
  if (blank == std::string::npos) return;
  const size_t start = text.find_first_not_of(' ', blank);
  if (start != std::string::npos) rest = text.substr(start);
}

inline bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace world_text
