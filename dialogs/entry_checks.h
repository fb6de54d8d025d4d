#pragma once
// Decisions of the login, game options and room dialogs that need no widget:
// reading a number the way the edit fields are read, the order of the checks and
// the enabling rules. Every text is code page 932 bytes.

#include <cstdint>
#include <string>
#include <string_view>

// Leading white space, an optional sign, then decimal digits up to the first
// other character; no digits read as 0 ("12ab" is 12, "ab" is 0). A value beyond
// the 32-bit range saturates instead of wrapping, so a long text of digits can
// never turn into a small or negative number.
int32_t ReadIntegerText(std::string_view text);

// ASCII letters upper-cased; every other byte, double-byte characters included,
// is left as it is.
std::string UpperCaseAscii(std::string_view text);

// The login dialog's confirmation, first failure only.
enum class LoginRefusal { None, BadId, BadPassword };
LoginRefusal CheckLogin(std::string_view idText, const std::string& password);

// The login dialog's OK button: both fields hold text.
constexpr bool LoginOkEnabled(bool idEmpty, bool passwordEmpty) { return !idEmpty && !passwordEmpty; }

// A password as the login and room dialogs accept it: ASCII letters and digits
// only, the empty text included.
bool IsAcceptedPassword(const std::string& password);

// The room creation dialog's confirmation, in order: name, password, team ID.
enum class CreateRoomRefusal { None, BadName, BadPassword, BadTeamId };
CreateRoomRefusal CheckCreateRoom(const std::string& name, const std::string& password, std::string_view teamIdText);

// The team ID the creation dialog hands back: 0 for an empty field.
int32_t TeamIdOf(std::string_view teamIdText);

// The room password dialog's controls.
struct PasswordDialogState {
  bool okEnabled;
  bool passwordEnabled;  // the edit and its label
};
constexpr PasswordDialogState PasswordDialogRule(bool secondChoiceSelected, bool passwordEmpty) {
  return {!secondChoiceSelected || !passwordEmpty, secondChoiceSelected};
}

// A stored option index shown in a control of `count` items: values outside the
// control are pulled to its nearest end so the control always shows a choice.
constexpr int ClampIndex(int value, int count) {
  if (count <= 0) return 0;
  if (value < 0) return 0;
  if (value >= count) return count - 1;
  return value;
}
