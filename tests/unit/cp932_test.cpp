#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "platform/cp932.h"

using cp932::FromUtf8;
using cp932::ToUtf8;

TEST(Cp932Test, JapaneseTextRoundTrips) {
  const std::string bytes = FromUtf8("待合室βテスト");
  EXPECT_EQ(bytes.size(), 14u);
  EXPECT_EQ(ToUtf8(bytes), "待合室βテスト");
}

TEST(Cp932Test, MicrosoftMappingsNotPlainShiftJis) {
  // 0x5C is the backslash (a game path separator), 0x8160 the full-width tilde,
  // 0x8740 a NEC row character: plain Shift-JIS would map these differently.
  EXPECT_EQ(cp932::ToUtf16("game\\soccer.exe"), u"game\\soccer.exe");
  EXPECT_EQ(cp932::ToUtf16("\x81\x60"), u"\uFF5E");
  EXPECT_EQ(cp932::ToUtf16("\x87\x40"), u"\u2460");
  EXPECT_EQ(FromUtf8("①"), "\x87\x40");
  EXPECT_EQ(FromUtf8("　"), "\x81\x40");
  EXPECT_EQ(FromUtf8("－"), "\x81\x7C");
}

TEST(Cp932Test, IbmRowsDecodeFromEveryCopyAndEncodeToTheIbmOne) {
  // The same characters sit in the NEC-selected IBM rows (0xED, 0xEE), the IBM
  // rows (0xFA-0xFC) and, for some, row 2; encoding picks one copy.
  EXPECT_EQ(cp932::ToUtf16("\xFA\x40"), u"\u2170");
  EXPECT_EQ(cp932::ToUtf16("\xED\x40"), u"\u7E8A");
  EXPECT_EQ(cp932::ToUtf16("\xFA\x5C"), u"\u7E8A") << "0x5C as a trail byte";
  EXPECT_EQ(cp932::ToUtf16("\xEE\xF9\xFA\x54\x81\xCA"), u"\uFFE2\uFFE2\uFFE2");
  EXPECT_EQ(FromUtf8("ⅰ"), "\xFA\x40");
  EXPECT_EQ(FromUtf8("纊"), "\xFA\x5C");
  EXPECT_EQ(FromUtf8("￢"), "\x81\xCA");
}

TEST(Cp932Test, HalfWidthKatakanaIsOneByte) {
  EXPECT_EQ(FromUtf8("ｷｬﾝｾﾙ"), "\xB7\xAC\xDD\xBE\xD9");
  EXPECT_EQ(ToUtf8("\xB7\xAC\xDD\xBE\xD9"), "ｷｬﾝｾﾙ");
}

TEST(Cp932Test, BrokenBytesBecomeReplacementCharacters) {
  EXPECT_EQ(cp932::ToUtf16("ab\x82"), u"ab\uFFFD") << "lead byte cut off at the end";
  EXPECT_EQ(cp932::ToUtf16("\x82 a"), u"\uFFFD a") << "lead byte before a blank";
  EXPECT_EQ(cp932::ToUtf16("\xFD\xFE\xFF"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(cp932::ToUtf16("\x85\x40x"), u"\uFFFDx") << "an unassigned pair";
  EXPECT_EQ(cp932::ToUtf16(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Cp932Test, CharactersWithoutCp932FormAreReported) {
  std::string out;
  size_t bad = 99;
  EXPECT_FALSE(cp932::FromUtf16(u"ab\u00E9c", out, &bad)) << "e with acute accent";
  EXPECT_EQ(bad, 2u);
  EXPECT_EQ(out, "ab");
  EXPECT_FALSE(cp932::FromUtf16(u"x\U0001F600", out, &bad)) << "emoji outside the BMP";
  EXPECT_EQ(bad, 1u);
  EXPECT_FALSE(cp932::FromUtf16(u"\xD800", out, &bad)) << "lone surrogate";
  EXPECT_EQ(cp932::ByteLength(u"한"), -1);
  EXPECT_EQ(cp932::ByteLength(u"日本a"), 5);
}

TEST(Cp932Test, CutNeverSplitsADoubleByteCharacter) {
  const std::string bytes = FromUtf8("aあいう");  // 1 + 2 + 2 + 2
  EXPECT_EQ(cp932::CutToBytes(bytes, 4), FromUtf8("aあ"));
  EXPECT_EQ(cp932::CutToBytes(bytes, 5), FromUtf8("aあい"));
  EXPECT_EQ(cp932::CutToBytes(bytes, 0), "");
  EXPECT_EQ(cp932::CutToBytes(bytes, 100), bytes);
  EXPECT_EQ(cp932::CutToBytes("ab\x82", 3), "ab\x82") << "a stray lead byte counts one";
}

// Both converters (iconv on POSIX, Win32 on Windows) must agree, or a name
// accepted on one system is refused or garbled on the other. These are the
// inputs on which they differed before their answers were made one.
TEST(Cp932Test, TheConvertersAgreeOnTheInputsWhereTheyDiffered) {
  EXPECT_EQ(cp932::ToUtf16("\x80"), u"\uFFFD") << "0x80 is no character";
  EXPECT_EQ(cp932::ToUtf16("a\x80"
                           "b"),
            u"a\uFFFDb");
  const char16_t refused[] = {0x00A2, 0x00A3, 0x00A5, 0x00AC, 0x2014, 0x2016, 0x203E,
                              0x2212, 0x301C, 0x0080, 0xF8F0, 0xF8F1, 0xF8F2, 0xF8F3};
  for (const char16_t c : refused) {
    std::string out;
    size_t bad = 99;
    EXPECT_FALSE(cp932::FromUtf16(std::u16string(u"a") + c, out, &bad)) << std::hex << static_cast<int>(c);
    EXPECT_EQ(bad, 1u);
    EXPECT_EQ(out, "a");
  }
  // What a user types instead of the wave dash: the full-width tilde, 0x8160.
  EXPECT_EQ(FromUtf8("\xEF\xBD\x9E"), "\x81\x60");
  EXPECT_EQ(cp932::ByteLength(u"\u301C"), -1);
}

// Every single byte, every lead and trail pair, every BMP character: one
// digest of all answers, the same on every system.
TEST(Cp932Test, WholeTableIsTheSameOnEverySystem) {
  uint64_t hash = 0xcbf29ce484222325u;
  std::string line;
  auto add = [&](const char* format, unsigned value) {
    char buf[16];
    const int n = std::snprintf(buf, sizeof buf, format, value);
    line.append(buf, static_cast<size_t>(n));
  };
  auto flush = [&] {
    line.push_back('\n');
    for (const char b : line) {
      hash ^= static_cast<uint8_t>(b);
      hash *= 0x100000001b3u;
    }
    line.clear();
  };
  auto decoded = [&](const std::string& bytes) {
    for (const char16_t c : cp932::ToUtf16(bytes)) add(" %04X", c);
    flush();
  };
  for (unsigned b = 0; b < 256; ++b) {
    add("D1 %02X ->", b);
    decoded(std::string(1, static_cast<char>(b)));
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!cp932::IsLeadByte(static_cast<uint8_t>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      add("D2 %02X", lead);
      add("%02X ->", trail);
      decoded({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  size_t encodable = 0;
  for (unsigned c = 0x80; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string out;
    if (!cp932::FromUtf16(std::u16string(1, static_cast<char16_t>(c)), out)) continue;
    ++encodable;
    add("E %04X ->", c);
    for (const char b : out) add(" %02X", static_cast<uint8_t>(b));
    flush();
  }
  EXPECT_EQ(encodable, 9269u);
  EXPECT_EQ(hash, 0xf8a7cef0f318f11cu);
}
