#include <gtest/gtest.h>

#include <string>

#include "dialogs/entry_checks.h"
#include "messages.h"
#include "platform/cp932.h"

TEST(ReadIntegerTextTest, ReadsLeadingNumberAndIgnoresTheRest) {
  EXPECT_EQ(ReadIntegerText("42"), 42);
  EXPECT_EQ(ReadIntegerText(" 42"), 42);
  EXPECT_EQ(ReadIntegerText("\t\n+7"), 7);
  EXPECT_EQ(ReadIntegerText("12ab"), 12);
  EXPECT_EQ(ReadIntegerText("-3"), -3);
  EXPECT_EQ(ReadIntegerText("007"), 7);
  EXPECT_EQ(ReadIntegerText("1 2"), 1);
}

TEST(ReadIntegerTextTest, TextWithoutDigitsIsZero) {
  for (const char* text : {"", "a", "ab12", "-", "+", " ", "- 5", "+-5"}) EXPECT_EQ(ReadIntegerText(text), 0) << text;
  EXPECT_EQ(ReadIntegerText(Sjis("１２")), 0) << "full-width digits are not digits";
}

TEST(ReadIntegerTextTest, SaturatesInsteadOfWrapping) {
  EXPECT_EQ(ReadIntegerText("2147483647"), 2147483647);
  EXPECT_EQ(ReadIntegerText("2147483648"), 2147483647);
  EXPECT_EQ(ReadIntegerText("4294967297"), 2147483647) << "would wrap to 1";
  EXPECT_EQ(ReadIntegerText("99999999999999999999999"), 2147483647);
  EXPECT_EQ(ReadIntegerText("-2147483648"), INT32_MIN);
  EXPECT_EQ(ReadIntegerText("-99999999999"), INT32_MIN);
}

TEST(UpperCaseAsciiTest, UpperCasesLettersOnly) {
  EXPECT_EQ(UpperCaseAscii("abc123XyZ"), "ABC123XYZ");
  EXPECT_EQ(UpperCaseAscii(""), "");
  // "ッ" is 0x83 0x62: its trail byte is not the letter b.
  const std::string kana = Sjis("ッa");
  ASSERT_EQ(kana, std::string("\x83\x62"
                              "a"));
  EXPECT_EQ(UpperCaseAscii(kana), std::string("\x83\x62"
                                              "A"));
}

TEST(CheckLoginTest, IdIsCheckedBeforePassword) {
  EXPECT_EQ(CheckLogin("0", "!!"), LoginRefusal::BadId);
  EXPECT_EQ(CheckLogin("-3", "abc"), LoginRefusal::BadId);
  EXPECT_EQ(CheckLogin("abc", "abc"), LoginRefusal::BadId);
  EXPECT_EQ(CheckLogin(" 42", "abc"), LoginRefusal::None);
  EXPECT_EQ(CheckLogin("12ab", "A1b2"), LoginRefusal::None);
}

TEST(CheckLoginTest, PasswordMustBeAsciiLettersAndDigits) {
  for (const char* bad : {"a b", "a-b", "a!", "ａｂ", "パス", "ｱ"}) {
    EXPECT_EQ(CheckLogin("1", Sjis(bad)), LoginRefusal::BadPassword) << bad;
  }
  EXPECT_EQ(CheckLogin("1", std::string("ab\0!", 4)), LoginRefusal::BadPassword) << "a NUL must not hide the rest";
}

TEST(CheckCreateRoomTest, TeamIdIsCheckedOnlyWhenGiven) {
  EXPECT_EQ(CheckCreateRoom("r", "", ""), CreateRoomRefusal::None);
  EXPECT_EQ(CheckCreateRoom("r", "", "-0"), CreateRoomRefusal::BadTeamId);
  EXPECT_EQ(CheckCreateRoom("r", "", " "), CreateRoomRefusal::BadTeamId) << "a blank is given but no number";
  EXPECT_EQ(TeamIdOf(""), 0);
  EXPECT_EQ(TeamIdOf("12ab"), 12);
}

TEST(CheckCreateRoomTest, NameWithNulIsRefused) {
  EXPECT_EQ(CheckCreateRoom(std::string("ab\0 c", 5), "", ""), CreateRoomRefusal::BadName);
}

TEST(ClampIndexTest, PullsOutsideValuesToTheNearestEnd) {
  EXPECT_EQ(ClampIndex(20, 13), 12);
  EXPECT_EQ(ClampIndex(13, 13), 12);
  EXPECT_EQ(ClampIndex(12, 13), 12);
  EXPECT_EQ(ClampIndex(0, 13), 0);
  EXPECT_EQ(ClampIndex(-1, 2), 0);
  EXPECT_EQ(ClampIndex(INT32_MIN, 3), 0);
}
