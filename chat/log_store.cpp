#include "chat/log_store.h"

#include <algorithm>
#include <cstring>

#include "chat/chat_line.h"
#include "chat/link_scan.h"
#include "platform/cp932.h"

namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool IsAscii(QStringView s) {
  return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// Case-blind search of an ASCII needle in a line kept as ASCII bytes; the common
// case of a find through a long log, so it avoids widening every line.
int FindNarrow(std::string_view hay, QStringView needle, int from) {
  const auto n = static_cast<size_t>(needle.size());
  if (n == 0 || hay.size() < n) return -1;
  const char16_t first = FoldAscii(needle[0].unicode());
  for (size_t i = static_cast<size_t>(std::max(0, from)); i + n <= hay.size(); ++i) {
    if (FoldAscii(static_cast<unsigned char>(hay[i])) != first) continue;
    size_t k = 1;
    while (k < n && FoldAscii(static_cast<unsigned char>(hay[i + k])) == FoldAscii(needle[k].unicode())) ++k;
    if (k == n) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

uint8_t LogStore::ColourIndex(QRgb rgb) {
  for (size_t i = 0; i < palette_.size(); ++i) {
    if (palette_[i] == rgb) return static_cast<uint8_t>(i);
  }
  // The log shows a handful of colours; should a caller ever use more than the
  // index holds, the last entry is reused rather than running past it.
  if (palette_.size() == 256) return 255;
  palette_.push_back(rgb);
  return static_cast<uint8_t>(palette_.size() - 1);
}

int LogStore::Append(std::string_view received, const QColor& color, bool detectLinks, bool marked) {
  std::string cleaned;
  const std::string_view line = WithoutControls(received, cleaned);
  Line rec;
  rec.firstLink = static_cast<uint32_t>(links_.size());
  rec.colour = ColourIndex(color.rgb());
  std::vector<LinkRange> found;
  if (detectLinks) found = FindLinks(line);

  const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) {
    rec.start = text_.size();
    text_.insert(text_.end(), line.begin(), line.end());
    for (const LinkRange& r : found)
      links_.push_back({static_cast<uint32_t>(r.begin), static_cast<uint32_t>(r.length)});
  } else {
    rec.flags = Wide;
    if (text_.size() % 2 != 0) {
      text_.push_back(0);
      rec.flags |= Padded;
    }
    rec.start = text_.size();
    uint32_t column = 0;
    // Converted piece by piece: a link begins and ends on a character boundary,
    // so the pieces decode as the whole line would, and the link columns fall out.
    auto put = [&](std::string_view piece) {
      if (piece.empty()) return;
      const std::u16string u = cp932::ToUtf16(piece);
      const auto* bytes = reinterpret_cast<const char*>(u.data());
      text_.insert(text_.end(), bytes, bytes + u.size() * sizeof(char16_t));
      column += static_cast<uint32_t>(u.size());
    };
    size_t at = 0;
    for (const LinkRange& r : found) {
      put(line.substr(at, r.begin - at));
      const uint32_t begin = column;
      put(line.substr(r.begin, r.length));
      links_.push_back({begin, column - begin});
      at = r.begin + r.length;
    }
    put(line.substr(at));
  }
  if (marked) rec.flags |= Marked;
  lines_.push_back(rec);
  return Count() - 1;
}

size_t LogStore::EndOf(int line) const {
  const auto next = static_cast<size_t>(line) + 1;
  if (next >= lines_.size()) return text_.size();
  return lines_[next].start - ((lines_[next].flags & Padded) != 0 ? 1 : 0);
}

std::string_view LogStore::NarrowView(int line) const {
  const Line& rec = lines_[static_cast<size_t>(line)];
  return {text_.data() + rec.start, EndOf(line) - rec.start};
}

QStringView LogStore::WideView(int line) const {
  const Line& rec = lines_[static_cast<size_t>(line)];
  // The buffer keeps every wide line at an even offset, and vector storage is
  // aligned for any type.
  const auto* chars = reinterpret_cast<const char16_t*>(text_.data() + rec.start);
  return {chars, static_cast<qsizetype>((EndOf(line) - rec.start) / 2)};
}

int LogStore::Length(int line) const {
  const Line& rec = lines_[static_cast<size_t>(line)];
  const size_t bytes = EndOf(line) - rec.start;
  return static_cast<int>((rec.flags & Wide) != 0 ? bytes / 2 : bytes);
}

QString LogStore::Text(int line) const {
  if (IsNarrow(line)) {
    const std::string_view s = NarrowView(line);
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
  }
  return WideView(line).toString();
}

QString LogStore::Mid(int line, int from, int length) const {
  if (IsNarrow(line)) {
    const std::string_view s = NarrowView(line).substr(static_cast<size_t>(from), static_cast<size_t>(length));
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
  }
  return WideView(line).mid(from, length).toString();
}

std::span<const LogStore::Link> LogStore::Links(int line) const {
  const auto i = static_cast<size_t>(line);
  const size_t first = lines_[i].firstLink;
  const size_t end = i + 1 < lines_.size() ? lines_[i + 1].firstLink : links_.size();
  return {links_.data() + first, end - first};
}

int LogStore::Find(int line, QStringView needle, int from) const {
  if (needle.isEmpty()) return -1;
  if (IsNarrow(line)) {
    if (IsAscii(needle)) return FindNarrow(NarrowView(line), needle, from);
    return static_cast<int>(Text(line).indexOf(needle, from, Qt::CaseInsensitive));
  }
  return static_cast<int>(WideView(line).indexOf(needle, from, Qt::CaseInsensitive));
}

int LogStore::FindBackward(int line, QStringView needle, int before) const {
  if (needle.isEmpty() || before <= 0) return -1;
  const QString text = Text(line);
  return static_cast<int>(
      QStringView(text).left(before + needle.size() - 1).lastIndexOf(needle, -1, Qt::CaseInsensitive));
}

size_t LogStore::UsedBytes() const {
  return text_.size() + lines_.size() * sizeof(Line) + links_.size() * sizeof(Link);
}
