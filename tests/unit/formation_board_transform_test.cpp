#include <gtest/gtest.h>

#include "formation/board_transform.h"

TEST(BoardTransformTest, PitchLinesOnA320PixelBoard) {
  const PitchGeometry g;
  const BoardTransform t(320, g.scale);
  EXPECT_EQ(t.FieldToScreen(g.field), (FieldRect{24, 10, 296, 430}));
  EXPECT_EQ(t.FieldToScreen(g.halfwayLine), (FieldRect{24, 220, 296, 220}));
  EXPECT_EQ(t.FieldToScreen(FieldPoint{0, 0}), (FieldPoint{160, 220}));
  // Row 220 is the origin whatever the board's height; divisions truncate toward zero.
  EXPECT_EQ(t.FieldToScreen(FieldPoint{-24, -49}), (FieldPoint{160, 219}));
  EXPECT_EQ(t.ScreenToField(0, 0), (FieldPoint{-4000, -5500}));
  EXPECT_EQ(t.ScreenToField(155, 339), (FieldPoint{-125, 2975}));
}

TEST(SnapTest, NearestMetreHalfwayGoesUp) {
  struct Row {
    int32_t in, out;
  } rows[] = {{-125, -100}, {2975, 3000}, {150, 200}, {2950, 3000}, {-150, -100}, {-175, -200}, {25, 0},
              {0, 0},       {49, 0},      {50, 100},  {-50, 0},     {-51, -100},  {-100, -100}, {-4000, -4000}};
  for (const Row& r : rows) EXPECT_EQ(SnapToMetre(r.in), r.out) << r.in;
}

TEST(HitTestTest, DiscSquareLeftTopInsideRightBottomOutside) {
  TeamFormation f;
  f.Init(9);
  // Player 8 at (-900, 750), alone there.
  EXPECT_EQ(HitTest(f, {-900 - 170, 750 - 170}), 8);
  EXPECT_EQ(HitTest(f, {-900 + 169, 750 + 169}), 8);
  EXPECT_EQ(HitTest(f, {-900 + 170, 750}), -1);
  EXPECT_EQ(HitTest(f, {-900, 750 + 170}), -1);
  EXPECT_EQ(HitTest(f, {-900 - 171, 750}), -1);
  EXPECT_EQ(HitTest(f, {-2500, -3000}), -1);
}

TEST(HitTestTest, SlotOrderDecidesOverlaps) {
  TeamFormation f;
  f.Init(9);
  f.Slot(5).SetPosition(0, 0);
  EXPECT_EQ(HitTest(f, {0, 0}), 0) << "the ball wins over a player";
  f.Slot(12).SetPosition(-1800, 2200);
  EXPECT_EQ(HitTest(f, {-1800, 2200}), 6) << "a player wins over an opponent";
  f.Init(0);
  EXPECT_EQ(HitTest(f, {0, 0}), -1);
}

TEST(BoardShapesTest, ColoursByKindAndPosType) {
  FormationSlot s;
  s.kind = SlotKind::Ball;
  EXPECT_EQ(ColoursOf(s).disc, 0xFFFFFFu);
  s.kind = SlotKind::Opponent;
  EXPECT_EQ(ColoursOf(s).disc, 0xFFFF00u);
  EXPECT_EQ(ColoursOf(s).label, 0x000000u);
  s.kind = SlotKind::Player;
  const uint32_t expected[] = {GreyDisc, 0x000000, 0x0000FF, 0xFF00FF, 0xFF0000, GreyDisc, GreyDisc};
  for (uint8_t p = 0; p <= 6; ++p) {
    s.posType = p;
    EXPECT_EQ(ColoursOf(s).disc, expected[p]) << int(p);
    EXPECT_EQ(ColoursOf(s).label, 0xFFFFFFu);
  }
  s.posType = 255;
  EXPECT_EQ(ColoursOf(s).disc, GreyDisc);
}
