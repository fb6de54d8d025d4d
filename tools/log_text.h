#pragma once
// How the stand-in game writes a text into its log: in double quotes, with
// quotes and backslashes escaped and control bytes as \xNN, so every byte the
// program was given can be read back exactly.

#include <cstdio>
#include <string>
#include <string_view>

inline std::string Quoted(std::string_view bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20 || b == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    } else {
      out += c;
    }
  }
  return out + "\"";
}
