#pragma once
// Member accounts of the development server, read from a small text file.
//
//   # comment lines and blank lines are skipped
//   ID:PASSWORD:NAME:TEAMS:LEVEL
//   1001:secret1:たろう:7,12:1
//
// ID is a positive decimal number; PASSWORD is 0..12 ASCII letters and digits;
// NAME is the player name in UTF-8 (1..18 bytes once converted to code page 932);
// TEAMS is a comma-separated list of positive team IDs, possibly empty; LEVEL is
// the member level 0..255 and may be left out (0).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Account {
  uint32_t id = 0;
  std::string password;  // ASCII
  std::string name;      // code page 932
  std::vector<uint32_t> teams;
  uint8_t level = 0;
};

struct AccountsParse {
  std::vector<Account> accounts;
  std::vector<std::string> errors;  // "line N: why", in UTF-8
};

// Parses the whole file; bad lines are reported and skipped, a repeated ID keeps
// its first line.
AccountsParse ParseAccounts(std::string_view utf8Text);
