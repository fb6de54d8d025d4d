#include <gtest/gtest.h>

#include <cstring>

#include "lobby/stadium_row.h"
#include "messages.h"
#include "platform/cp932.h"

namespace {

StadiumRow MatchStadium(const char* utf8Name = "ピッチA") {
  StadiumRow row;
  row.stadium.id = 7;
  CopyText(row.stadium.name, Sjis(utf8Name).c_str());
  row.stadium.playable = 1;
  return row;
}

std::string Column(const StadiumRow& row, int c) { return RenderStadiumRow(row).columns[static_cast<size_t>(c)]; }

std::string PhaseColumn(uint8_t state, int16_t clock) {
  StadiumRow row = MatchStadium();
  row.state.state = state;
  row.state.clock = clock;
  return Column(row, 4);
}

}  // namespace

TEST(StadiumRenderTest, JustAddedStadiumShowsDefaults) {
  const StadiumRowTexts t = RenderStadiumRow(MatchStadium());
  EXPECT_EQ(t.caption(), Sjis("ピッチA"));
  EXPECT_EQ(t.columns[1], "HOME");
  EXPECT_EQ(t.columns[2], "0 - 0");
  EXPECT_EQ(t.columns[3], "AWAY");
  EXPECT_EQ(t.columns[4], Sjis("試合前") + "\x81\x40") << "phase, ideographic space, no clock";
  EXPECT_EQ(t.columns[5], Sjis("0人"));
  EXPECT_EQ(t.columns[6], Sjis("0人"));
}

TEST(StadiumRenderTest, TeamsScoreAndCounts) {
  StadiumRow row = MatchStadium();
  CopyText(row.teams.homeTeamName, Sjis("赤組").c_str());
  CopyText(row.teams.awayTeamName, "Blue");
  row.state = {7, 3, 4, 250, 12, 10, 255, 3, 90};
  const StadiumRowTexts t = RenderStadiumRow(row);
  EXPECT_EQ(t.columns[1], Sjis("赤組"));
  EXPECT_EQ(t.columns[2], "10 - 255") << "scores are unsigned bytes";
  EXPECT_EQ(t.columns[3], "Blue");
  EXPECT_EQ(t.columns[4], Sjis("後半　01:30"));
  EXPECT_EQ(t.columns[5], Sjis("257人")) << "the three counts add up beyond a byte";
  EXPECT_EQ(t.columns[6], Sjis("12人"));
}

TEST(StadiumRenderTest, PhaseTableAndClock) {
  const std::string space = "\x81\x40";
  EXPECT_EQ(PhaseColumn(0, 300), Sjis("試合前") + space);
  EXPECT_EQ(PhaseColumn(1, 65), Sjis("前半") + space + "01:05");
  EXPECT_EQ(PhaseColumn(2, 1234), Sjis("ハーフ") + space) << "half time hides the clock";
  EXPECT_EQ(PhaseColumn(3, 0), Sjis("後半") + space + "00:00");
  EXPECT_EQ(PhaseColumn(4, 10), Sjis("延長戦") + space);
  EXPECT_EQ(PhaseColumn(5, 10), Sjis("延長前半") + space + "00:10");
  EXPECT_EQ(PhaseColumn(6, 10), Sjis("延長ハーフ") + space);
  EXPECT_EQ(PhaseColumn(7, 10), Sjis("延長後半") + space + "00:10");
  EXPECT_EQ(PhaseColumn(8, 10), Sjis("PK戦") + space);
  EXPECT_EQ(PhaseColumn(9, 10), Sjis("終了") + space);
  EXPECT_EQ(PhaseColumn(200, 10), Sjis("終了") + space);
  EXPECT_EQ(PhaseColumn(255, 10), Sjis("終了") + space);
}

TEST(StadiumRenderTest, ClockBoundariesTruncateTowardZero) {
  EXPECT_EQ(StadiumClockText(5999), "99:59");
  EXPECT_EQ(StadiumClockText(6000), "100:00");
  EXPECT_EQ(StadiumClockText(-75), "-1:-15");
  EXPECT_EQ(StadiumClockText(-59), "00:-59");
  EXPECT_EQ(StadiumClockText(32767), "546:07");
  EXPECT_EQ(StadiumClockText(-32768), "-546:-8") << "\"%02d\" pads to two characters, the sign counts";
  EXPECT_EQ(PhaseColumn(1, 5999), Sjis("前半　99:59"));
  EXPECT_EQ(PhaseColumn(1, -75), Sjis("前半　") + "-1:-15");
}

TEST(StadiumRenderTest, SpectatorOnlyIgnoresStateButCountsPeople) {
  StadiumRow row = MatchStadium("観戦席");
  row.stadium.playable = 0;
  CopyText(row.teams.homeTeamName, "Reds");
  row.state = {7, 1, 2, 3, 9, 4, 5, 1, 600};
  const StadiumRowTexts t = RenderStadiumRow(row);
  EXPECT_EQ(t.caption(), Sjis("観戦席"));
  EXPECT_EQ(t.columns[1], "---");
  EXPECT_EQ(t.columns[2], "---");
  EXPECT_EQ(t.columns[3], "---");
  EXPECT_EQ(t.columns[4], Sjis("観戦専用"));
  EXPECT_EQ(t.columns[5], Sjis("6人"));
  EXPECT_EQ(t.columns[6], "---");
}

TEST(StadiumRenderTest, UnterminatedNameStopsAtItsArray) {
  StadiumRow row = MatchStadium();
  std::memset(row.stadium.name, 'x', sizeof row.stadium.name);
  EXPECT_EQ(RenderStadiumRow(row).caption(), std::string(sizeof row.stadium.name, 'x'));
}

TEST(StadiumRowTest, AddressTextFirstOctetFirst) {
  StadiumRow row = MatchStadium();
  const uint8_t address[4] = {10, 1, 2, 255};
  std::memcpy(row.stadium.address, address, 4);
  EXPECT_EQ(StadiumAddressText(row), "10.1.2.255");
}

TEST(StadiumRowTest, TestStadiumByBytes) {
  EXPECT_TRUE(IsTestStadium(MatchStadium("第2βテスト競技場")));
  EXPECT_TRUE(IsTestStadium(MatchStadium("βテスト")));
  EXPECT_FALSE(IsTestStadium(MatchStadium("βテス")));
  EXPECT_FALSE(IsTestStadium(MatchStadium("Βテスト"))) << "capital beta is another character";
  EXPECT_FALSE(IsTestStadium(MatchStadium("テスト")));
  EXPECT_EQ(Sjis("βテスト"), "\x83\xc0\x83\x65\x83\x58\x83\x67");
}
