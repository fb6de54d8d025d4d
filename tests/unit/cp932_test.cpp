#include <gtest/gtest.h>

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
