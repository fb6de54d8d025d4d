#include "server/accounts.h"

#include "platform/text_checks.h"

#include <charconv>
#include <set>

#include "net/net_def.h"
#include "platform/cp932.h"

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool ParseNumber(std::string_view s, uint64_t max, uint64_t& out) {
  s = Trim(s);
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size() && out <= max;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(sep, start);
    if (at == std::string_view::npos) {
      parts.push_back(s.substr(start));
      return parts;
    }
    parts.push_back(s.substr(start, at - start));
    start = at + 1;
  }
}

}  // namespace

AccountsParse ParseAccounts(std::string_view utf8Text) {
  AccountsParse result;
  std::set<uint32_t> seen;
  int lineNo = 0;
  for (std::string_view line : Split(utf8Text, '\n')) {
    ++lineNo;
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    const std::string where = "line " + std::to_string(lineNo) + ": ";
    const auto fields = Split(line, ':');
    if (fields.size() < 4 || fields.size() > 5) {
      result.errors.push_back(where + "expected ID:PASSWORD:NAME:TEAMS[:LEVEL]");
      continue;
    }
    Account account;
    uint64_t n = 0;
    if (!ParseNumber(fields[0], 0xFFFFFFFFu, n) || n == 0) {
      result.errors.push_back(where + "the ID must be a positive number");
      continue;
    }
    account.id = static_cast<uint32_t>(n);
    const std::string_view password = Trim(fields[1]);
    if (password.size() > static_cast<size_t>(NetDef::PasswordBytes) ||
        !IsAlphanumericText(std::string(password).c_str())) {
      result.errors.push_back(where + "the password must be at most 12 letters and digits");
      continue;
    }
    account.password = std::string(password);
    account.name = cp932::FromUtf8(Trim(fields[2]));
    if (account.name.empty() || account.name.size() > static_cast<size_t>(NetDef::NameBytes)) {
      result.errors.push_back(where + "the name must hold 1 to 18 bytes in code page 932");
      continue;
    }
    bool teamsOk = true;
    const std::string_view teams = Trim(fields[3]);
    if (!teams.empty()) {
      for (const std::string_view team : Split(teams, ',')) {
        if (!ParseNumber(team, 0xFFFFFFFFu, n) || n == 0) {
          teamsOk = false;
          break;
        }
        account.teams.push_back(static_cast<uint32_t>(n));
      }
    }
    if (!teamsOk) {
      result.errors.push_back(where + "team IDs must be positive numbers separated by commas");
      continue;
    }
    if (fields.size() == 5 && !Trim(fields[4]).empty()) {
      if (!ParseNumber(fields[4], 255, n)) {
        result.errors.push_back(where + "the level must be a number from 0 to 255");
        continue;
      }
      account.level = static_cast<uint8_t>(n);
    }
    if (!seen.insert(account.id).second) {
      result.errors.push_back(where + "ID " + std::to_string(account.id) + " appears twice; the first line counts");
      continue;
    }
    result.accounts.push_back(std::move(account));
  }
  return result;
}
