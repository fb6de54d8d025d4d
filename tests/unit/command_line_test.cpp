#include <gtest/gtest.h>

#include "platform/command_line.h"

namespace {
std::vector<std::u16string> Split(const char16_t* s) { return SplitWindowsCommandLine(s); }
using Args = std::vector<std::u16string>;
}  // namespace

TEST(SplitWindowsCommandLineTest, BlanksSeparateAndTrailingBlankAddsNothing) {
  EXPECT_EQ(Split(u"10.1.2.3 5000 abc 7 0 /r0 /s1 /m1 /f0 "),
            (Args{u"10.1.2.3", u"5000", u"abc", u"7", u"0", u"/r0", u"/s1", u"/m1", u"/f0"}));
  EXPECT_EQ(Split(u"  a\t\tb  "), (Args{u"a", u"b"}));
  EXPECT_TRUE(Split(u"").empty());
}

TEST(SplitWindowsCommandLineTest, QuotesGroupAnywhereInAnArgument) {
  EXPECT_EQ(Split(u"n 0 \"/pC:\\my data\\a.vdc\""), (Args{u"n", u"0", u"/pC:\\my data\\a.vdc"}));
  EXPECT_EQ(Split(u"a\"b c\"d"), (Args{u"ab cd"}));
  EXPECT_EQ(Split(u"\"\""), (Args{u""})) << "an empty quoted argument is kept";
  EXPECT_EQ(Split(u"\"unterminated arg"), (Args{u"unterminated arg"}));
}

TEST(SplitWindowsCommandLineTest, BackslashesBeforeQuotes) {
  EXPECT_EQ(Split(u"a\\\\b"), (Args{u"a\\\\b"})) << "backslashes not before a quote are literal";
  EXPECT_EQ(Split(u"a\\\"b"), (Args{u"a\"b"})) << "odd count: literal quote";
  EXPECT_EQ(Split(u"\"a\\\\\" b"), (Args{u"a\\", u"b"})) << "even count: half, and the quote groups";
  EXPECT_EQ(Split(u"\"a\"\"b\""), (Args{u"a\"b"})) << "doubled quote inside quotes";
}

TEST(SplitWindowsCommandLineTest, JapaneseNamesSurvive) {
  // "ソ" is 0x83 0x5C in code page 932: splitting must happen on text, not bytes.
  EXPECT_EQ(Split(u"ソフト 表"), (Args{u"ソフト", u"表"}));
}
