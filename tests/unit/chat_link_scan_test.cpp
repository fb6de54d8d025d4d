#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chat/link_scan.h"
#include "platform/cp932.h"

namespace {

// The texts of the links found in a line.
std::vector<std::string> Links(const std::string& line) {
  std::vector<std::string> out;
  for (const LinkRange& r : FindLinks(line)) out.push_back(line.substr(r.begin, r.length));
  return out;
}

using Texts = std::vector<std::string>;

}  // namespace

TEST(LinkScanTest, FindsSchemeLinksInPlainText) {
  EXPECT_EQ(Links("see http://example.com/a?b=1&c=%20 now"), Texts{"http://example.com/a?b=1&c=%20"});
  EXPECT_EQ(Links("https://a.jp/x#frag"), Texts{"https://a.jp/x#frag"});
  EXPECT_EQ(Links("get ftp://files.a.jp/pub/f.zip"), Texts{"ftp://files.a.jp/pub/f.zip"});
  EXPECT_EQ(Links("HTTP://A.JP/"), Texts{"HTTP://A.JP/"});
  EXPECT_EQ(Links("two http://a.jp and https://b.jp"), (Texts{"http://a.jp", "https://b.jp"}));
  const std::string line = "at http://a.jp x";
  EXPECT_EQ(FindLinks(line), (std::vector<LinkRange>{{3, 11}}));
}

TEST(LinkScanTest, FindsWwwRunsOnlyAtAWordStart) {
  EXPECT_EQ(Links("www.example.com"), Texts{"www.example.com"});
  EXPECT_EQ(Links("go to WWW.A.JP/index.html now"), Texts{"WWW.A.JP/index.html"});
  EXPECT_EQ(Links("(www.a.jp)"), Texts{"www.a.jp"});
  EXPECT_EQ(Links("xwww.a.jp"), Texts{});
  EXPECT_EQ(Links("me@www.a.jp"), Texts{});
  EXPECT_EQ(Links("www."), Texts{});
  EXPECT_EQ(Links("http://www.a.jp"), Texts{"http://www.a.jp"}) << "one link, not two";
}

TEST(LinkScanTest, LeavesTrailingPunctuationOutside) {
  EXPECT_EQ(Links("look: http://a.jp/x."), Texts{"http://a.jp/x"});
  EXPECT_EQ(Links("http://a.jp/x, then"), Texts{"http://a.jp/x"});
  EXPECT_EQ(Links("really http://a.jp/?!"), Texts{"http://a.jp/"});
  EXPECT_EQ(Links("(see http://a.jp/x)"), Texts{"http://a.jp/x"});
  EXPECT_EQ(Links("http://w.jp/wiki/A_(b)"), Texts{"http://w.jp/wiki/A_(b)"});
  EXPECT_EQ(Links("[http://a.jp/x]"), Texts{"http://a.jp/x"});
  EXPECT_EQ(Links("'http://a.jp/x'"), Texts{"http://a.jp/x"});
  EXPECT_EQ(Links("<http://a.jp/x>"), Texts{"http://a.jp/x"});
  EXPECT_EQ(Links("\"http://a.jp/x\""), Texts{"http://a.jp/x"});
  EXPECT_EQ(Links("http://..."), Texts{}) << "nothing is left after the punctuation";
}

TEST(LinkScanTest, JapaneseTextAroundLinksEndsThem) {
  const std::string line = cp932::FromUtf8("詳しくはhttp://a.jp/page。を見て www.b.jp、ｱhttp://c.jpｱ");
  EXPECT_EQ(Links(line), (Texts{"http://a.jp/page", "www.b.jp", "http://c.jp"}));
  const auto ranges = FindLinks(line);
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[0].begin, 8u) << "four double-byte characters before it";
}

TEST(LinkScanTest, TrailBytesOfDoubleByteCharactersNeverStartALink) {
  // 0x83 0x77 is one character whose second byte is 'w': "\x83www.a.jp" is that
  // character and "ww.a.jp", not a www link; one more 'w' makes a link after it.
  EXPECT_EQ(Links("\x83www.a.jp"), Texts{});
  EXPECT_EQ(FindLinks("\x83wwww.a.jp"), (std::vector<LinkRange>{{2, 8}}));
  // 0x83 0x68 ends in 'h': the link must not begin inside the character.
  const std::string line = "\x83http://a.jp";
  const auto ranges = FindLinks(line);
  ASSERT_EQ(ranges.size(), 1u);
  EXPECT_EQ(ranges[0].begin, 2u);
  EXPECT_EQ(line.substr(ranges[0].begin, ranges[0].length), "ttp://a.jp");
  // A lead byte right after a link ends it whatever its trail byte.
  EXPECT_EQ(Links("http://a.jp/\x83\x77x"), Texts{"http://a.jp/"});
  // A lead byte cut off at the very end is a character of its own.
  EXPECT_EQ(Links("http://a.jp\x83"), Texts{"http://a.jp"});
}

TEST(LinkScanTest, TextsWithoutASchemeHaveNoLinks) {
  for (const char* text : {"example.com", "mailto:a@b.jp", "javascript:alert(1)", "://a.jp", "http://", "1://a.jp",
                           "http:/a.jp", "http:// a.jp", "", "a", ":", "::://"}) {
    EXPECT_EQ(Links(text), Texts{}) << text;
  }
  EXPECT_EQ(Links("x1+a.b-c://q"), Texts{"x1+a.b-c://q"}) << "a scheme of letters, digits and + . -";
  EXPECT_EQ(Links("12http://a.jp"), Texts{"http://a.jp"}) << "a scheme starts with a letter";
}

TEST(LinkScanTest, LongTokensAreScannedInOnePass) {
  const std::string plain(100000, 'a');
  EXPECT_EQ(Links(plain), Texts{});
  const std::string longLink = "http://" + std::string(100000, 'a');
  EXPECT_EQ(Links("x " + longLink + " y"), Texts{longLink});
  std::string colons;
  for (int i = 0; i < 25000; ++i) colons += "a://";
  ASSERT_EQ(FindLinks(colons).size(), 1u);
  EXPECT_EQ(FindLinks(colons)[0].length, colons.size());
  std::string many;
  for (int i = 0; i < 10000; ++i) many += "http://a.jp ";
  EXPECT_EQ(FindLinks(many).size(), 10000u);
  const std::string www(100000, 'w');
  EXPECT_EQ(Links(www), Texts{});
}

TEST(WebAddressToOpenTest, OpensHttpAndHttpsWithAHost) {
  EXPECT_EQ(WebAddressToOpen("http://a.jp/x?y=1"), "http://a.jp/x?y=1");
  EXPECT_EQ(WebAddressToOpen("HTTPS://A.JP"), "HTTPS://A.JP");
  EXPECT_EQ(WebAddressToOpen("http://user:pw@host.jp:8080/p"), "http://user:pw@host.jp:8080/p");
  EXPECT_EQ(WebAddressToOpen("http://[::1]:8080/"), "http://[::1]:8080/");
  EXPECT_EQ(WebAddressToOpen("www.a.jp/x"), "http://www.a.jp/x");
  EXPECT_EQ(WebAddressToOpen("WWW.A.JP"), "http://WWW.A.JP");
}

TEST(WebAddressToOpenTest, RefusesEverythingThatIsNotAWebPage) {
  for (const char* link : {"file:///etc/passwd",
                           "file://host/share/x.exe",
                           "javascript://%0aalert(1)",
                           "javascript:alert(1)",
                           "ftp://a.jp/f",
                           "myapp://run",
                           "vbscript://x",
                           "http:///etc/passwd",
                           "http://user@/x",
                           "http://:80/",
                           "http://a\\b.jp/",
                           "http://a.jp/ x",
                           "http:// a.jp",
                           "http://a.jp\x01",
                           "http://[::1/",
                           "http://[]/",
                           "www.",
                           "wwwa.jp",
                           "a.jp",
                           "",
                           "http://\x83\x77.jp"}) {
    EXPECT_EQ(WebAddressToOpen(link), std::nullopt) << link;
  }
}
