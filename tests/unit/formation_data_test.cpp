#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "formation/team_formation.h"
#include "platform/cp932.h"

namespace {

TeamFormation Default() {
  TeamFormation f;
  f.Init(9);
  return f;
}

FormationCheck CheckWithPlayerAt(int slot, int32_t x, int32_t y, int* badSlot = nullptr) {
  TeamFormation f = Default();
  f.Slot(slot).SetPosition(x, y);
  int bad = -1;
  const FormationCheck r = f.Check(bad);
  if (badSlot != nullptr) *badSlot = bad;
  return r;
}

}  // namespace

TEST(FormationInitTest, NineBuildsBallPlayersAndOpponentColumn) {
  const TeamFormation f = Default();
  ASSERT_EQ(f.SlotCount(), 19);
  EXPECT_EQ(f.PlayersPerSide(), 9);
  EXPECT_EQ(f.Slot(0).kind, SlotKind::Ball);
  EXPECT_EQ(f.Slot(0).number, 0);
  EXPECT_EQ(f.Slot(0).x, 0);
  EXPECT_EQ(f.Slot(0).y, 0);
  EXPECT_EQ(f.Slot(1).posType, PosType::GK);
  EXPECT_EQ(f.Slot(1).y, 4950);
  EXPECT_EQ(f.Slot(9).kind, SlotKind::Player);
  EXPECT_EQ(f.Slot(9).posType, PosType::FW);
  EXPECT_EQ(f.Slot(9).number, 9);
  EXPECT_EQ(f.Slot(9).x, 900);
  EXPECT_EQ(f.Slot(9).y, 750);
  for (int k = 0; k < 9; ++k) {
    const FormationSlot& o = f.Slot(10 + k);
    EXPECT_EQ(o.kind, SlotKind::Opponent);
    EXPECT_EQ(o.number, k + 1);
    EXPECT_EQ(o.posType, PosType::None);
    EXPECT_EQ(o.x, 3700);
    EXPECT_EQ(o.y, 400 * k);
    EXPECT_STREQ(o.name, "");
  }
  EXPECT_EQ(f.Slot(18).y, 3200);
  EXPECT_EQ(f.Slot(19).kind, SlotKind::Empty);
}

TEST(FormationInitTest, OtherTeamSizesLeaveNoSlots) {
  for (int size : {0, 8, 10, 11, -9}) {
    TeamFormation f = Default();
    f.Init(size);
    EXPECT_EQ(f.SlotCount(), 0) << size;
    EXPECT_EQ(f.PlayersPerSide(), 0) << size;
    EXPECT_FALSE(f.HasSlot(0));
    EXPECT_EQ(f.SlotOrNull(0), nullptr);
    int bad = -1;
    // No players: no goalkeeper either.
    EXPECT_EQ(f.Check(bad), FormationCheck::GoalkeeperCount);
  }
}

TEST(FormationCheckTest, DefaultLayoutPasses) {
  int bad = 77;
  EXPECT_EQ(Default().Check(bad), FormationCheck::Ok);
  EXPECT_EQ(bad, 77) << "badSlot is left alone unless a position is bad";
}

TEST(FormationCheckTest, OwnHalfBoundsAreExclusive) {
  int bad = -1;
  EXPECT_EQ(CheckWithPlayerAt(5, 0, 100, &bad), FormationCheck::BadPosition);
  EXPECT_EQ(bad, 5);
  EXPECT_EQ(CheckWithPlayerAt(5, 1000, 101), FormationCheck::Ok);
  EXPECT_EQ(CheckWithPlayerAt(5, 0, 5150), FormationCheck::BadPosition);
  EXPECT_EQ(CheckWithPlayerAt(5, 0, 5149), FormationCheck::Ok);
  EXPECT_EQ(CheckWithPlayerAt(5, 3300, 2000), FormationCheck::BadPosition);
  EXPECT_EQ(CheckWithPlayerAt(5, -3300, 2000), FormationCheck::BadPosition);
  EXPECT_EQ(CheckWithPlayerAt(5, 3299, 2000), FormationCheck::Ok);
  EXPECT_EQ(CheckWithPlayerAt(5, -3299, 2000), FormationCheck::Ok);
  EXPECT_EQ(CheckWithPlayerAt(5, 0, -2000), FormationCheck::BadPosition);
}

TEST(FormationCheckTest, CentreSquareIncludesItsEdges) {
  EXPECT_EQ(CheckWithPlayerAt(5, 715, 715), FormationCheck::BadPosition);
  EXPECT_EQ(CheckWithPlayerAt(5, -715, 200), FormationCheck::BadPosition);
  EXPECT_EQ(CheckWithPlayerAt(5, 0, 500), FormationCheck::BadPosition);
  EXPECT_EQ(CheckWithPlayerAt(5, 716, 300), FormationCheck::Ok);
  EXPECT_EQ(CheckWithPlayerAt(5, -716, 300), FormationCheck::Ok);
  EXPECT_EQ(CheckWithPlayerAt(5, 0, 716), FormationCheck::Ok);
}

TEST(FormationCheckTest, GoalkeeperMustBeExactlyOne) {
  TeamFormation f = Default();
  int bad = -1;
  ASSERT_TRUE(f.Slot(2).SetPosType(PosType::GK));
  EXPECT_EQ(f.Check(bad), FormationCheck::GoalkeeperCount);
  f.Slot(2).SetPosType(PosType::DF);
  f.Slot(1).SetPosType(PosType::DF);
  EXPECT_EQ(f.Check(bad), FormationCheck::GoalkeeperCount);
  f.Slot(9).SetPosType(PosType::GK);
  EXPECT_EQ(f.Check(bad), FormationCheck::Ok) << "any one player may be the goalkeeper";
}

TEST(FormationCheckTest, MisplacedPlayerReportedBeforeGoalkeeperCount) {
  TeamFormation f = Default();
  f.Slot(2).SetPosType(PosType::GK);
  f.Slot(7).SetPosition(0, -3000);
  f.Slot(4).SetPosition(0, 0);
  int bad = -1;
  EXPECT_EQ(f.Check(bad), FormationCheck::BadPosition);
  EXPECT_EQ(bad, 4) << "the first misplaced player in slot order";
}

TEST(FormationCheckTest, BallAndOpponentsAreNeverExamined) {
  TeamFormation f = Default();
  f.Slot(0).SetPosition(0, -5000);
  for (int i = 10; i < 19; ++i) f.Slot(i).SetPosition(0, 0);
  f.Slot(12).SetPosType(PosType::GK);
  int bad = -1;
  EXPECT_EQ(f.Check(bad), FormationCheck::Ok);
}

TEST(FormationSlotTest, SetPosTypeReportsChange) {
  FormationSlot s;
  EXPECT_TRUE(s.SetPosType(PosType::DF));
  EXPECT_FALSE(s.SetPosType(PosType::DF));
  EXPECT_EQ(s.posType, PosType::DF);
  EXPECT_TRUE(s.SetPosType(200)) << "values from the server are stored as they came";
}

TEST(FormationSlotTest, SetNameKeepsFourBytes) {
  FormationSlot s;
  s.SetName("abcdef");
  EXPECT_STREQ(s.name, "abcd");
  s.SetName("");
  EXPECT_STREQ(s.name, "");
  s.SetName("xy");
  EXPECT_STREQ(s.name, "xy");
  EXPECT_EQ(s.name[3], '\0') << "no leftovers of a longer earlier name";
}

TEST(FormationSlotTest, SetNameNeverEndsInHalfACharacter) {
  FormationSlot s;
  const std::string yamada = cp932::FromUtf8("山田");  // two double-byte characters
  s.SetName(yamada);
  EXPECT_EQ(std::string(s.name), yamada);
  s.SetName("a" + yamada);  // a + 山 fits in 3 bytes; 田 would need bytes 4 and 5
  EXPECT_EQ(std::string(s.name), "a" + cp932::FromUtf8("山"));
  s.SetName("abc" + cp932::FromUtf8("田"));
  EXPECT_STREQ(s.name, "abc");
  // A lone lead byte at the end of the input is half a character as well.
  s.SetName(std::string("ab\x82", 3));
  EXPECT_STREQ(s.name, "ab");
  // Half-width katakana are single bytes and count one each.
  const std::string kana = cp932::FromUtf8("ｱｲｳｴｵ");
  s.SetName(kana);
  EXPECT_EQ(std::string(s.name), kana.substr(0, 4));
}

TEST(FormationSlotTest, SetNameStopsAtTerminator) {
  FormationSlot s;
  s.SetName(std::string_view("ab\0cd", 5));
  EXPECT_STREQ(s.name, "ab");
}
