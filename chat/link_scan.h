#pragma once
// Web addresses in a chat line, found the way a rich edit's automatic link
// detection finds them: a "scheme://..." run or a "www...." run of printable
// ASCII, ended by a blank, a control character, a double-byte character or one
// of < > " and without trailing punctuation. The text is code page 932 bytes and
// is walked character by character, so the trail byte of a double-byte character
// never starts or ends a link. One pass, no backtracking: a line of any length is
// scanned in linear time and constant stack.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LinkRange {
  size_t begin = 0;   // byte offset in the line
  size_t length = 0;  // in bytes
  bool operator==(const LinkRange&) const = default;
};

// Every link of the line, in order, not overlapping.
std::vector<LinkRange> FindLinks(std::string_view cp932Line);

// What a click on a link may hand to the desktop: an http or https address with a
// host as it is, a "www." link as "http://" followed by it; anything else
// (file://, javascript:, custom schemes, no host) is refused with nullopt, so a
// chat line can never open a local file or start a program.
std::optional<std::string> WebAddressToOpen(std::string_view linkText);
