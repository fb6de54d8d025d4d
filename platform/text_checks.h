#pragma once
// Checks on room names and passwords, read one code page 932 character at a time.

#include <cstdint>

// Reads one character at pos: a valid lead and trail byte pair gives
// lead * 256 + trail and consumes two bytes, anything else the single byte.
// Returns the next position, or nullptr when no bytes are left.
const char* NextMbChar(const char* pos, uint16_t& code, int& bytesLeft);

// Room names: not empty, no control codes, blanks, quotes, comma, backslash,
// full-width space, angle brackets, full stop or single-byte codes 0x80-0xFF.
bool IsValidNameText(const char* text);

// Passwords: empty, or ASCII letters and digits only.
bool IsAlphanumericText(const char* text);
