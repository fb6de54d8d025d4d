#include <gtest/gtest.h>

#include <vector>

#include "formation/formation_sync.h"
#include "platform/cp932.h"
#include "test_bytes.h"

namespace {

Bytes EncodedInfo(const GmFormationInfo::Info& info) {
  NetMessageSet set;
  EXPECT_TRUE(set.encode<GmFormationInfo>(info));
  return FrameOf(set.packet());
}

TeamFormation Default() {
  TeamFormation f;
  f.Init(9);
  return f;
}

}  // namespace

TEST(SlotChangeTest, MovedPlayerGoesOutWithPositionsOnly) {
  TeamFormation f = Default();
  f.Slot(5).SetPosition(-100, 3000);
  const GmFormationInfo::Info info = MakeSlotChange(f, 0x0102, 12, 5, true, false, false);
  EXPECT_EQ(EncodedInfo(info), Frame(33, {0x01, 0x02, 0, 12, 0x19, 1, 5, 0xFF, 0x9C, 0x0B, 0xB8}));
}

TEST(SlotChangeTest, RenamedOpponentCarriesOnlyTheName) {
  TeamFormation f = Default();
  f.Slot(11).SetName("Bob");
  const GmFormationInfo::Info info = MakeSlotChange(f, 7, 3, 11, false, false, true);
  EXPECT_EQ(EncodedInfo(info), Frame(33, {0, 7, 0, 3, 0x49, 1, 11, 3, 'B', 'o', 'b'}));
}

TEST(SlotChangeTest, PosTypeAndNameTogetherKeepFieldOrder) {
  TeamFormation f = Default();
  f.Slot(2).SetPosType(PosType::FW);
  f.Slot(2).SetName(cp932::FromUtf8("山"));
  const GmFormationInfo::Info info = MakeSlotChange(f, 1, 1, 2, true, true, true);
  EXPECT_EQ(EncodedInfo(info), Frame(33, {0, 1, 0, 1, 0x79, 1, 2, 0xF7, 0xCC, 0x0E, 0xA6, PosType::FW, 2, 0x8E, 0x52}));
}

TEST(SlotChangeTest, CoordinatesTravelAsLow16Bits) {
  TeamFormation f = Default();
  f.Slot(0).SetPosition(70000, -70000);  // 0x11170 and -0x11170
  const GmFormationInfo::Info info = MakeSlotChange(f, 0, 0, 0, true, false, false);
  EXPECT_EQ(info.entries[0].x, 0x1170);
  EXPECT_EQ(static_cast<uint16_t>(info.entries[0].y), 0xEE90);
}

TEST(SlotChangeTest, NoEntryForASlotThatDoesNotExist) {
  const TeamFormation f = Default();
  EXPECT_EQ(MakeSlotChange(f, 0, 0, 19, true, false, false).count, 0);
  EXPECT_EQ(MakeSlotChange(f, 0, 0, -1, true, false, false).count, 0);
}

TEST(ApplyInfoTest, FlagsChooseWhatChanges) {
  TeamFormation f = Default();
  GmFormationInfo::Info info;
  info.flags = 9 | GmFormationInfo::HasPosType;
  info.count = 1;
  info.entries[0] = {4, -3000, -3000, PosType::FW, "zz"};
  std::vector<int> redraws;
  EXPECT_EQ(ApplyFormationInfo(f, info, [&](int i) { redraws.push_back(i); }), 1);
  EXPECT_EQ(f.Slot(4).posType, PosType::FW);
  EXPECT_EQ(f.Slot(4).x, 2100) << "position not flagged: kept";
  EXPECT_STREQ(f.Slot(4).name, "");
  EXPECT_EQ(redraws, (std::vector<int>{4, 4}));

  info.flags = GmFormationInfo::HasPosition | GmFormationInfo::HasName;
  redraws.clear();
  ApplyFormationInfo(f, info, [&](int i) { redraws.push_back(i); });
  EXPECT_EQ(f.Slot(4).x, -3000);
  EXPECT_EQ(f.Slot(4).y, -3000);
  EXPECT_STREQ(f.Slot(4).name, "zz");
  EXPECT_EQ(redraws.size(), 2u);
}

TEST(ApplyInfoTest, IndicesOutsideTheSlotsAreSkipped) {
  TeamFormation f = Default();
  const TeamFormation before = f;
  GmFormationInfo::Info info;
  info.flags = GmFormationInfo::HasPosition | GmFormationInfo::HasPosType | GmFormationInfo::HasName;
  info.count = 4;
  info.entries[0] = {200, 1, 1, 1, "x"};
  info.entries[1] = {19, 1, 1, 1, "x"};  // inside the capacity, outside the slots in use
  info.entries[2] = {255, 1, 1, 1, "x"};
  info.entries[3] = {18, -500, -600, 0, "opp"};
  std::vector<int> redraws;
  EXPECT_EQ(ApplyFormationInfo(f, info, [&](int i) { redraws.push_back(i); }), 1);
  EXPECT_EQ(f.Slot(18).x, -500);
  EXPECT_STREQ(f.Slot(18).name, "opp");
  EXPECT_EQ(f.Slot(19).kind, SlotKind::Empty);
  EXPECT_EQ(f.Slot(19).x, 0);
  for (int i = 0; i < 18; ++i) EXPECT_EQ(f.Slot(i).x, before.Slot(i).x) << i;
  EXPECT_EQ(redraws, (std::vector<int>{18, 18}));
}

TEST(ApplyInfoTest, CountBeyondCapacityOrNegativeIsClamped) {
  TeamFormation f = Default();
  GmFormationInfo::Info info;
  info.flags = GmFormationInfo::HasPosition;
  info.count = 1000;
  for (auto& e : info.entries) e = {1, 500, 1000, 0, ""};
  EXPECT_EQ(ApplyFormationInfo(f, info, nullptr), NetDef::MaxFormationEntries);
  info.count = -3;
  EXPECT_EQ(ApplyFormationInfo(f, info, nullptr), 0);
}

TEST(ApplyInfoTest, ReceivedNameIsCutWithoutHalfCharacters) {
  TeamFormation f = Default();
  GmFormationInfo::Info info;
  info.flags = GmFormationInfo::HasName;
  info.count = 1;
  info.entries[0].index = 3;
  const std::string name = "abc" + cp932::FromUtf8("田");  // 5 bytes; the record holds 4
  std::memcpy(info.entries[0].name, name.data(), 4);
  info.entries[0].name[4] = '\0';
  ApplyFormationInfo(f, info, nullptr);
  EXPECT_STREQ(f.Slot(3).name, "abc");
}

TEST(CheckTextTest, TextsOfTheResults) {
  TeamFormation f = Default();
  EXPECT_EQ(CheckErrorText(f, FormationCheck::Ok, -1), "");
  EXPECT_EQ(CheckErrorText(f, FormationCheck::GoalkeeperCount, -1), cp932::FromUtf8("GKが一人でありません"));
  EXPECT_EQ(CheckErrorText(f, FormationCheck::BadPosition, 1), cp932::FromUtf8("1の位置が不正です"));
  f.Slot(3).SetName(cp932::FromUtf8("山田"));
  EXPECT_EQ(CheckErrorText(f, FormationCheck::BadPosition, 3), cp932::FromUtf8("3山田の位置が不正です"));
}

TEST(FileAnswerTest, BoxPerResultAndAction) {
  EXPECT_EQ(FileAnswerBox(4, 0).kind, FormationAnswerBox::Information);
  EXPECT_EQ(FileAnswerBox(4, 0).caption, cp932::FromUtf8("確認"));
  EXPECT_EQ(FileAnswerBox(4, 0).text, cp932::FromUtf8("チームフォーメーションの更新に成功しました"));
  EXPECT_EQ(FileAnswerBox(1, 0).kind, FormationAnswerBox::None);
  EXPECT_EQ(FileAnswerBox(3, 0).kind, FormationAnswerBox::None);
  EXPECT_EQ(FileAnswerBox(4, 2).text, cp932::FromUtf8("座標やポジション種別が不正です"));
  EXPECT_EQ(FileAnswerBox(4, 3).text, cp932::FromUtf8("権限がありません"));
  EXPECT_EQ(FileAnswerBox(1, 4).text, cp932::FromUtf8("権限がありません"));
  for (int result : {1, 5, 6, 100, 255}) {
    const FormationAnswerBox box = FileAnswerBox(4, static_cast<uint8_t>(result));
    EXPECT_EQ(box.kind, FormationAnswerBox::Error) << result;
    EXPECT_EQ(box.text, cp932::FromUtf8("失敗しました")) << result;
  }
}
