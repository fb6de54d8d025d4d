#include "chat/link_scan.h"

#include <cstdint>

#include "platform/cp932.h"

namespace {

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiAlnum(char c) { return IsAsciiAlpha(c) || (c >= '0' && c <= '9'); }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Printable ASCII that may stand inside a link. Blanks, control characters, every
// byte of a double-byte or half-width character, and the delimiters < > " end it.
bool IsUrlChar(char c) {
  const auto b = static_cast<uint8_t>(c);
  return b > 0x20 && b < 0x7F && c != '<' && c != '>' && c != '"';
}

bool IsSchemeChar(char c) { return IsAsciiAlnum(c) || c == '+' || c == '-' || c == '.'; }

bool StartsWithNoCase(std::string_view text, size_t pos, std::string_view prefix) {
  if (text.size() - pos < prefix.size()) return false;
  for (size_t k = 0; k < prefix.size(); ++k) {
    if (AsciiLower(text[pos + k]) != prefix[k]) return false;
  }
  return true;
}

// End of the run of link characters that starts at pos.
size_t RunEnd(std::string_view text, size_t pos) {
  while (pos < text.size() && IsUrlChar(text[pos])) ++pos;
  return pos;
}

// Drops sentence punctuation from the end of [begin, end): "see http://a.jp." links
// http://a.jp. A closing bracket stays while the link holds its opening one
// ("http://x/wiki/A_(b)").
size_t TrimTrailing(std::string_view text, size_t begin, size_t end) {
  long parens = 0;
  long squares = 0;
  for (size_t k = begin; k < end; ++k) {
    if (text[k] == '(') ++parens;
    if (text[k] == ')') --parens;
    if (text[k] == '[') ++squares;
    if (text[k] == ']') --squares;
  }
  while (end > begin) {
    const char c = text[end - 1];
    if (c == '.' || c == ',' || c == ';' || c == ':' || c == '!' || c == '?' || c == '\'') {
      --end;
    } else if (c == ')' && parens < 0) {
      ++parens;
      --end;
    } else if (c == ']' && squares < 0) {
      ++squares;
      --end;
    } else {
      break;
    }
  }
  return end;
}

bool IsHostChar(char c) { return IsAsciiAlnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '%'; }

// The host of "scheme://[user@]host[:port][/...]"; empty when it has none or it
// holds characters no host name has.
std::string_view HostOf(std::string_view afterScheme) {
  size_t end = 0;
  while (end < afterScheme.size() && afterScheme[end] != '/' && afterScheme[end] != '?' && afterScheme[end] != '#') {
    ++end;
  }
  std::string_view authority = afterScheme.substr(0, end);
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos || close < 2) return {};
    for (size_t k = 1; k < close; ++k) {
      const char c = authority[k];
      if (!(IsAsciiAlnum(c) || c == ':' || c == '.')) return {};
    }
    return authority.substr(0, close + 1);
  }
  const std::string_view host = authority.substr(0, authority.find(':'));
  for (const char c : host) {
    if (!IsHostChar(c)) return {};
  }
  return host;
}

}  // namespace

std::vector<LinkRange> FindLinks(std::string_view text) {
  std::vector<LinkRange> links;
  constexpr size_t None = static_cast<size_t>(-1);
  size_t schemeStart = None;  // start of the run of scheme characters ending here
  size_t prev = None;         // start of the previous character
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    const size_t len = cp932::CharLength(text, i);
    size_t linkBegin = None;
    size_t bodyBegin = 0;

    if (len == 1 && c == ':' && schemeStart != None && StartsWithNoCase(text, i, "://")) {
      size_t s = schemeStart;
      while (s < i && !IsAsciiAlpha(text[s])) ++s;
      if (s < i) {
        linkBegin = s;
        bodyBegin = i + 3;
      }
    } else if (len == 1 && (c == 'w' || c == 'W') && StartsWithNoCase(text, i, "www.")) {
      const bool boundary = prev == None || !(IsSchemeChar(text[prev]) || text[prev] == '@' || text[prev] == '/') ||
                            cp932::CharLength(text, prev) != 1;
      if (boundary) {
        linkBegin = i;
        bodyBegin = i + 4;
      }
    }

    if (linkBegin != None) {
      const size_t end = TrimTrailing(text, linkBegin, RunEnd(text, bodyBegin));
      if (end > bodyBegin) {
        links.push_back({linkBegin, end - linkBegin});
        prev = end - 1;
        i = end;
        schemeStart = None;
        continue;
      }
    }

    if (len == 1 && IsSchemeChar(c)) {
      if (schemeStart == None) schemeStart = i;
    } else {
      schemeStart = None;
    }
    prev = i;
    i += len;
  }
  return links;
}

std::optional<std::string> WebAddressToOpen(std::string_view link) {
  for (const char c : link) {
    if (!IsUrlChar(c)) return std::nullopt;
  }
  std::string address;
  if (const size_t sep = link.find("://"); sep != std::string_view::npos) {
    std::string scheme;
    for (const char c : link.substr(0, sep)) scheme += AsciiLower(c);
    if (scheme != "http" && scheme != "https") return std::nullopt;
    address = std::string(link);
  } else if (StartsWithNoCase(link, 0, "www.") && link.size() > 4) {
    address = "http://" + std::string(link);
  } else {
    return std::nullopt;
  }
  if (HostOf(std::string_view(address).substr(address.find("://") + 3)).empty()) return std::nullopt;
  return address;
}
