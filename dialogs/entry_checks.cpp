#include "dialogs/entry_checks.h"

#include <limits>

#include "platform/cp932.h"
#include "platform/text_checks.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The checks read zero-terminated texts; a NUL inside would hide what follows it.
bool HasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

}  // namespace

int32_t ReadIntegerText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate towards the sign's limit; the magnitude of INT32_MIN is one more
  // than that of INT32_MAX.
  const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                 : static_cast<int64_t>(std::numeric_limits<int32_t>::max());
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) value = limit;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

std::string UpperCaseAscii(std::string_view text) {
  std::string out(text);
  // Step over whole characters: the trail byte of a double-byte character may
  // be 0x61-0x7A, which is not a letter there.
  for (size_t i = 0; i < out.size(); i += cp932::CharLength(out, i)) {
    const auto b = static_cast<unsigned char>(out[i]);
    if (b >= 'a' && b <= 'z') out[i] = static_cast<char>(b - 'a' + 'A');
  }
  return out;
}

bool IsAcceptedPassword(const std::string& password) {
  return !HasNul(password) && IsAlphanumericText(password.c_str());
}

LoginRefusal CheckLogin(std::string_view idText, const std::string& password) {
  if (ReadIntegerText(idText) <= 0) return LoginRefusal::BadId;
  if (!IsAcceptedPassword(password)) return LoginRefusal::BadPassword;
  return LoginRefusal::None;
}

CreateRoomRefusal CheckCreateRoom(const std::string& name, const std::string& password, std::string_view teamIdText) {
  if (HasNul(name) || !IsValidNameText(name.c_str())) return CreateRoomRefusal::BadName;
  if (!IsAcceptedPassword(password)) return CreateRoomRefusal::BadPassword;
  if (!teamIdText.empty() && ReadIntegerText(teamIdText) <= 0) return CreateRoomRefusal::BadTeamId;
  return CreateRoomRefusal::None;
}

int32_t TeamIdOf(std::string_view teamIdText) { return teamIdText.empty() ? 0 : ReadIntegerText(teamIdText); }
