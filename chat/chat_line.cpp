#include "chat/chat_line.h"

#include <algorithm>
#include <cstdio>

#include "platform/cp932.h"

std::string_view WithoutControls(std::string_view line, std::string& storage) {
  if (std::none_of(line.begin(), line.end(), IsControlByte)) return line;
  storage.assign(line);
  std::replace_if(storage.begin(), storage.end(), IsControlByte, ' ');
  return storage;
}

ChatColor TalkColor(uint8_t kind) {
  switch (kind) {
    case NetDef::TalkNotice1:
    case NetDef::TalkNotice4:
      return ChatRed;
    case NetDef::TalkNotice2:
    case NetDef::TalkPrivateEcho:
      return ChatGreen;
    case NetDef::TalkPrivate:
      return ChatBlue;
    default:
      return ChatBlack;
  }
}

std::string FormatTimePrefix(const ClockTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d ", t.hour % 100, t.minute % 100, t.second % 100);
  return buf;
}

bool ComposeChatLine(const GmTalk::Info& talk, int16_t tabRoom, const ChatUserList& users, bool showTime,
                     const ClockTime& now, ChatLine& out) {
  if (talk.room != tabRoom) return false;
  out = ChatLine{};
  if (showTime && talk.kind != NetDef::TalkNotice1 && talk.kind != NetDef::TalkNotice2) {
    out.prefix = FormatTimePrefix(now);
  }
  const int i = users.IndexOf(talk.sender);
  if (i >= 0) {
    out.namePart = users.At(i).name;
    out.body = " > ";
  } else if (talk.name[0] != '\0') {
    if (talk.kind == NetDef::TalkPrivateEcho) out.prefix += "====> ";
    out.namePart = talk.name;
    out.body = " > ";
  }
  out.body += talk.text;
  out.color = TalkColor(talk.kind);
  return true;
}

int CallSoundNumber(std::string_view text) {
  // Only the bytes before a terminator count.
  if (const size_t zero = text.find('\0'); zero != std::string_view::npos) text = text.substr(0, zero);
  if (text.empty() || text.size() > 2) return 0;
  size_t pos = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    pos = 1;
  }
  if (pos == text.size()) return 0;
  int value = 0;
  for (; pos < text.size(); ++pos) {
    if (text[pos] < '0' || text[pos] > '9') return 0;
    value = value * 10 + (text[pos] - '0');
  }
  if (negative) value = -value;
  return value >= 1 && value <= 99 ? value : 0;
}

std::string PrivateTalkNotice(std::string_view senderName) {
  static const std::string tail = cp932::FromUtf8(" さん からの個別チャットを受信しました");
  std::string text(senderName);
  text += tail;
  return std::string(cp932::CutToBytes(text, NetDef::TalkBytes));
}
