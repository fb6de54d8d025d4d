#pragma once
// How one received talk becomes one log line: the time prefix, the name part,
// the body and the colour, and which talk texts ring a call sound.
// Texts are code page 932 bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "chat/chat_user_list.h"
#include "net/net_messages.h"
#include "platform/colour_contrast.h"

using ChatColor = Rgb;

inline constexpr ChatColor ChatBlack{0, 0, 0};
inline constexpr ChatColor ChatRed{255, 0, 0};
inline constexpr ChatColor ChatGreen{0, 128, 0};
inline constexpr ChatColor ChatBlue{0, 0, 255};

// Local wall-clock time of day, as the log prefix shows it.
struct ClockTime {
  int hour = 0, minute = 0, second = 0;
};

struct ChatLine {
  std::string prefix;
  std::string namePart;
  std::string body;
  ChatColor color;
  std::string Text() const { return prefix + namePart + body; }
};

// A control byte of a line: the log shows it as a blank, since a line break
// would start a log line of its own that seems to come from someone else, and
// the others have nothing to show. A tab stays. No CP932 trail byte is below
// 0x40, so the bytes of a line are safe to test one by one.
inline bool IsControlByte(char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F; }

// The line as the log shows it, its control bytes blanks: the line itself when
// it has none, else the blanked copy kept in storage.
std::string_view WithoutControls(std::string_view line, std::string& storage);

// The colour of a talk kind: 1 and 4 red, 2 and 5 green, 3 blue, others black.
ChatColor TalkColor(uint8_t kind);

// "hh:nn:ss " with a blank after the seconds.
std::string FormatTimePrefix(const ClockTime& t);

// The line for `talk` in the tab of room `tabRoom` with its member list; false
// (nothing to log) when the talk is for another room. A listed sender is named
// from the list, not from the message; an unlisted sender with a name of kind 5
// gets the "====> " marker; a sender with neither shows the text alone.
bool ComposeChatLine(const GmTalk::Info& talk, int16_t tabRoom, const ChatUserList& users, bool showTime,
                     const ClockTime& now, ChatLine& out);

// The call sound a talk text asks for: 1..99 for a text of one or two bytes that
// reads as a decimal number in that range ("5" and "05" give 5), else 0.
int CallSoundNumber(std::string_view text);

// The notice logged in the active room when a private talk arrives:
// "<sender> さん からの個別チャットを受信しました", cut to the talk width.
std::string PrivateTalkNotice(std::string_view senderName);
