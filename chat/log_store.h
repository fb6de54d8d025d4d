#pragma once
// The chat log's lines, kept compactly: the log is never trimmed, so every byte
// per line is paid for the whole session. All text sits in one buffer, a line of
// plain ASCII one byte a character and any other line in UTF-16; each line has a
// colour index into a small palette and its links, found once when it arrives.
//
// Columns are UTF-16 code units of the line's text, as QString counts them.

#include <QColor>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class LogStore {
 public:
  struct Link {
    uint32_t begin = 0;   // column of the first character
    uint32_t length = 0;  // in UTF-16 units
  };

  // Appends one line of code page 932 bytes; control bytes become spaces. With
  // detectLinks the line's web addresses are found and kept; a marked line (one
  // that names the player) is drawn highlighted. Returns its index.
  int Append(std::string_view cp932Line, const QColor& color, bool detectLinks, bool marked = false);

  int Count() const { return static_cast<int>(lines_.size()); }
  // Length of line i in UTF-16 units.
  int Length(int line) const;
  // True when line i is kept one byte a character (plain ASCII).
  bool IsNarrow(int line) const { return (lines_[static_cast<size_t>(line)].flags & Wide) == 0; }
  bool IsMarked(int line) const { return (lines_[static_cast<size_t>(line)].flags & Marked) != 0; }
  QString Text(int line) const;
  QString Mid(int line, int from, int length) const;
  QColor Color(int line) const { return QColor::fromRgb(palette_[lines_[static_cast<size_t>(line)].colour]); }
  std::span<const Link> Links(int line) const;

  // Column of the first occurrence of needle in line i at or after `from`
  // (before `before` when searching backwards), ignoring case; -1 when none.
  int Find(int line, QStringView needle, int from) const;
  int FindBackward(int line, QStringView needle, int before) const;

  // Bytes held by the store's buffers (their used part).
  size_t UsedBytes() const;

 private:
  enum : uint8_t { Wide = 1, Padded = 2, Marked = 4 };
  struct Line {
    uint64_t start = 0;      // byte offset in text_
    uint32_t firstLink = 0;  // index in links_
    uint8_t colour = 0;      // index in palette_
    uint8_t flags = 0;       // Wide, Padded (one byte before start keeps UTF-16 aligned), Marked
  };

  size_t EndOf(int line) const;
  QStringView WideView(int line) const;
  std::string_view NarrowView(int line) const;
  uint8_t ColourIndex(QRgb rgb);

  std::vector<char> text_;
  std::vector<Line> lines_;
  std::vector<Link> links_;
  std::vector<QRgb> palette_;
};
