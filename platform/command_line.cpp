#include "platform/command_line.h"

std::vector<std::u16string> SplitWindowsCommandLine(const std::u16string& text) {
  std::vector<std::u16string> args;
  std::u16string current;
  bool inArg = false;
  bool quoted = false;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const char16_t c = text[i];
    if (!quoted && (c == u' ' || c == u'\t')) {
      if (inArg) {
        args.push_back(current);
        current.clear();
        inArg = false;
      }
      ++i;
      continue;
    }
    inArg = true;
    if (c == u'\\') {
      size_t slashes = 0;
      while (i < n && text[i] == u'\\') {
        ++slashes;
        ++i;
      }
      if (i < n && text[i] == u'"') {
        current.append(slashes / 2, u'\\');
        if (slashes % 2 == 1) {
          current.push_back(u'"');
          ++i;
        }
        // An even count leaves the quote to the next round, where it groups.
      } else {
        current.append(slashes, u'\\');
      }
      continue;
    }
    if (c == u'"') {
      if (quoted && i + 1 < n && text[i + 1] == u'"') {
        current.push_back(u'"');
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    current.push_back(c);
    ++i;
  }
  if (inArg) args.push_back(current);
  return args;
}
