#pragma once
// A line-preserving editor of Windows-style INI files (code page 932 bytes).
//
// The file is kept as its raw lines. Reading follows the Windows profile
// functions: section and key names match without regard to ASCII case, blanks
// around names and values are ignored, a value enclosed in one pair of matching
// quotes loses them, the first matching section and key win. Writing a key
// replaces only that key's value bytes, or adds the key after the last key of
// its section, or adds the section at the end of the file; every other byte
// (comments, unknown keys, order, spacing, line endings) stays as it was.
// Saving writes a temporary file beside the target and renames it over the
// target, so the file on disk is always either the old or the new one.

#include <string>
#include <string_view>
#include <vector>

class IniFile {
 public:
  IniFile() = default;
  // Parses bytes as the contents of a file (for tests and for text read elsewhere).
  static IniFile FromBytes(std::string_view bytes);
  // Reads the file at path. A missing or unreadable file gives an empty editor:
  // every read then yields its default, and a save creates the file.
  static IniFile Load(const std::string& path);
  // True when Load found the file but could not read it (no permission, an I/O
  // error, a folder of that name): saving this editor over it would lose the
  // file's other lines.
  bool ReadFailed() const { return readFailed_; }

  // The value of section/key, or def when the key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // The value as a decimal integer (leading blanks, an optional sign, digits and
  // nothing else, within the range of int), otherwise def.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  bool HasKey(std::string_view section, std::string_view key) const;

  // Sets section/key to value. A value never spans lines: CR, LF and what
  // follows a NUL are dropped. A value that would lose blanks or quotes when
  // read back is written inside one more pair of double quotes.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);

  // The whole file as it would be saved.
  std::string Bytes() const;
  // The line ending used for new lines: the first one found in the file, or CRLF.
  const std::string& LineEnding() const { return eol_; }

  // Writes Bytes() to path through a temporary file in the same folder and a
  // rename. A new file is created readable and writable by its owner only; an
  // existing file keeps its permission bits. False (the old file untouched, no
  // temporary file left) when any step fails.
  bool Save(const std::string& path) const;

 private:
  struct Line {
    std::string text;  // without the line ending
    std::string eol;   // "\r\n", "\n" or empty for a last line without one
  };
  struct KeyPos {
    size_t line;
    size_t valueBegin;  // value bytes, blanks excluded
    size_t valueEnd;
  };

  // Index of the header line of the first section named `section`, or npos.
  size_t FindSection(std::string_view section) const;
  // End of the section whose header is at `header`: the index of the next
  // header line or lines_.size().
  size_t SectionEnd(size_t header) const;
  bool FindKey(std::string_view section, std::string_view key, KeyPos& pos) const;
  void InsertLine(size_t at, std::string text);

  std::vector<Line> lines_;
  std::string eol_ = "\r\n";
  bool readFailed_ = false;
};
