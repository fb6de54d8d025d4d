#include <gtest/gtest.h>

#include "lobby/stadium_command_line.h"
#include "lobby/stadium_waiting.h"
#include "platform/cp932.h"

TEST(GameParameterTextTest, DefaultOptionsGolden) {
  EXPECT_EQ(GameParameterText("10.1.2.3", 5000, "abc", GameOptions{}, ""), "10.1.2.3 5000 abc 7 0 /r0 /s1 /m1 /f0 ");
}

TEST(GameParameterTextTest, SizeBeforeModeAndEveryOptionInPlace) {
  GameOptions o;
  o.GameMode = 1;
  o.GameSize = 12;
  o.GameFrameRate = 1;
  o.GameShadow = 2;
  o.GameModel = 0;
  o.GameFog = 1;
  EXPECT_EQ(GameParameterText("1.2.3.4", 65535, "x", o, "\"/pC:\\a b.vdc\""),
            "1.2.3.4 65535 x 12 1 /r1 /s2 /m0 /f1 \"/pC:\\a b.vdc\"");
}

TEST(WaitingRulesTest, EventReactions) {
  EXPECT_EQ(ReactionToWaitingEvent(2, false), WaitingReaction::Leave);
  EXPECT_EQ(ReactionToWaitingEvent(3, false), WaitingReaction::Enter);
  EXPECT_EQ(ReactionToWaitingEvent(4, true), WaitingReaction::Refused);
  EXPECT_EQ(ReactionToWaitingEvent(5, true), WaitingReaction::ConfirmMatch);
  EXPECT_EQ(ReactionToWaitingEvent(5, false), WaitingReaction::MissingStadium);
  for (uint8_t e : {0, 1, 6, 255}) EXPECT_EQ(ReactionToWaitingEvent(e, true), WaitingReaction::Ignore) << int(e);
}

TEST(WaitingRulesTest, ControlEnabling) {
  // socket, waiting, selected -> list, game, reserve
  struct Case {
    bool open, waiting, selected, list, game, reserve;
  };
  const Case cases[] = {
      {false, false, true, false, false, false}, {false, true, true, false, false, false},
      {true, false, false, true, false, false},  {true, false, true, true, true, true},
      {true, true, false, true, false, true},    {true, true, true, true, false, true},
  };
  for (const Case& c : cases) {
    const StadiumControlStates s = StadiumControlRules(c.open, c.waiting, c.selected);
    EXPECT_EQ(s.listEnabled, c.list);
    EXPECT_EQ(s.gameEnabled, c.game) << c.open << c.waiting << c.selected;
    EXPECT_EQ(s.reserveEnabled, c.reserve) << c.open << c.waiting << c.selected;
  }
}

TEST(WaitingRulesTest, LabelUsesTheFullWidthDashOnlyAfterAName) {
  StadiumRow named, unnamed;
  CopyText(named.stadium.name, cp932::FromUtf8("第一").c_str());
  EXPECT_EQ(WaitingLabelText(&named), cp932::FromUtf8("第一") + "\x81\x7C" + cp932::FromUtf8("入場待機中"));
  EXPECT_EQ(WaitingLabelText(&unnamed), cp932::FromUtf8("入場待機中"));
  EXPECT_EQ(WaitingLabelText(nullptr), cp932::FromUtf8("入場待機中"));
}
