#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/text_checks.h"

namespace {
bool ValidName(const char* utf8) { return IsValidNameText(cp932::FromUtf8(utf8).c_str()); }
bool Alnum(const char* utf8) { return IsAlphanumericText(cp932::FromUtf8(utf8).c_str()); }
}  // namespace

TEST(NextMbCharTest, ReadsPairsAndSingles) {
  const char text[] = "\x82\xA0z\x82";
  int left = 4;
  uint16_t code = 0;
  const char* p = NextMbChar(text, code, left);
  EXPECT_EQ(code, 0x82A0);
  EXPECT_EQ(left, 2);
  p = NextMbChar(p, code, left);
  EXPECT_EQ(code, 'z');
  p = NextMbChar(p, code, left);
  EXPECT_EQ(code, 0x82) << "a lead byte with nothing after it is one byte";
  EXPECT_EQ(left, 0);
  EXPECT_EQ(NextMbChar(p, code, left), nullptr);
}

TEST(NextMbCharTest, LeadByteWithInvalidTrailIsSingle) {
  const char text[] = "\x82\x20";
  int left = 2;
  uint16_t code = 0;
  NextMbChar(text, code, left);
  EXPECT_EQ(code, 0x82);
  EXPECT_EQ(left, 1);
}

TEST(IsValidNameTextTest, RefusesBlanksSignsAndHalfWidthKana) {
  for (const char* bad : {"a b", "a　b", "a.b", "a,b", "a<b", "a>b", "a\"b", "a'b", "a\\b", "ｱ", "", "a\tb"}) {
    EXPECT_FALSE(ValidName(bad)) << bad;
  }
  EXPECT_FALSE(IsValidNameText("a\x82")) << "a stray high byte";
}

TEST(IsValidNameTextTest, AcceptsDoubleByteAndOtherSigns) {
  for (const char* good : {"待合室", "a-b", "a_b", "a!b", "a/b", "ＡＢＣ", "room1", "ソ表"}) {
    EXPECT_TRUE(ValidName(good)) << good;
  }
}

TEST(IsAlphanumericTextTest, LettersAndDigitsOnly) {
  EXPECT_TRUE(Alnum(""));
  EXPECT_TRUE(Alnum("abcXYZ019"));
  EXPECT_FALSE(Alnum("ab-c"));
  EXPECT_FALSE(Alnum("ａｂ"));
  EXPECT_FALSE(Alnum("ab c"));
}
