// The game options dialog: the seven values go in, only OK writes them back, and
// values outside a control's items are shown and returned clamped.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "dialogs/form_game_option.h"
#include "lobby/game_options.h"
#include "recording_platform.h"

namespace {

struct Values {
  int32_t mode = 0, size = 0, frameRate = 0, shadow = 0, model = 0, fog = 0;
  bool chatTime = false;
  bool operator==(const Values&) const = default;
};

class GameOptionDialogTest : public ::testing::Test {
 protected:
  QButtonGroup* group(const char* name) { return dialog.findChild<QButtonGroup*>(QString::fromLatin1(name)); }
  QRadioButton* radio(const char* groupName, int index) {
    return qobject_cast<QRadioButton*>(group(groupName)->button(index));
  }
  QComboBox* sizeList() { return dialog.findChild<QComboBox*>(QStringLiteral("RadioGroupSize")); }
  QCheckBox* chatTime() { return dialog.findChild<QCheckBox*>(QStringLiteral("CheckBoxChatTime")); }
  QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(QString::fromLatin1(name)); }

  // Clicks a radio button or the check box on its indicator, as a user does
  // (the empty space right of a short text is not part of the button).
  static void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }

  bool Run(Values& v, const std::function<void()>& during) {
    QTimer::singleShot(0, &dialog, [this, during] {
      EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
      during();
      if (dialog.isVisible()) dialog.reject();
    });
    return dialog.Execute(v.mode, v.size, v.frameRate, v.shadow, v.model, v.fog, v.chatTime);
  }
  void ChangeEverything() {
    Click(radio("RadioGroupMode", 1));
    sizeList()->setCurrentIndex(3);
    Click(radio("RadioGroupFrameRate", 1));
    Click(radio("RadioGroupShadow", 2));
    Click(radio("RadioGroupModel", 0));
    Click(radio("RadioGroupFog", 1));
    Click(chatTime());
  }

  RecordingPlatform platform;
  TFormGameOption dialog;
};

TEST_F(GameOptionDialogTest, CancelAndEscapeLeaveEveryValueAfterChanges) {
  const Values before{0, 7, 0, 1, 1, 0, false};
  Values v = before;
  EXPECT_FALSE(Run(v, [&] {
    ChangeEverything();
    QTest::mouseClick(button("ButtonCancel"), Qt::LeftButton);
  }));
  EXPECT_EQ(v, before);
  EXPECT_FALSE(Run(v, [&] {
    ChangeEverything();
    QTest::keyClick(&dialog, Qt::Key_Escape);
  }));
  EXPECT_EQ(v, before);
  EXPECT_FALSE(Run(v, [&] {
    ChangeEverything();
    dialog.close();  // the close box
  }));
  EXPECT_EQ(v, before);
}

TEST_F(GameOptionDialogTest, ConfirmingWithoutChangesReturnsTheSameValues) {
  for (const Values& in :
       {Values{0, 7, 0, 1, 1, 0, false}, Values{1, 12, 1, 2, 0, 1, true}, Values{0, 0, 0, 0, 0, 0, true}}) {
    Values v = in;
    EXPECT_TRUE(Run(v, [&] { QTest::mouseClick(button("ButtonOK"), Qt::LeftButton); }));
    EXPECT_EQ(v, in);
  }
}

TEST_F(GameOptionDialogTest, ChosenItemsComeBackAsTheirIndexes) {
  Values v{0, 0, 0, 0, 0, 0, false};
  EXPECT_TRUE(Run(v, [&] {
    sizeList()->setCurrentIndex(sizeList()->findText(QStringLiteral("1920×1080 (Wide)")));
    QRadioButton* ballOnly = radio("RadioGroupShadow", 1);
    ASSERT_EQ(ballOnly->text(), QStringLiteral("ボールのみ"));
    Click(ballOnly);
    Click(radio("RadioGroupFog", 1));
    Click(chatTime());
    QTest::keyClick(&dialog, Qt::Key_Return);  // OK is the default button
  }));
  EXPECT_EQ(v, (Values{0, 11, 0, 1, 0, 1, true}));
}

TEST_F(GameOptionDialogTest, ControlsShowTheValuesHandedIn) {
  Values v{1, 9, 1, 2, 0, 1, true};
  Run(v, [&] {
    EXPECT_TRUE(radio("RadioGroupMode", 1)->isChecked());
    EXPECT_EQ(sizeList()->currentText(), QStringLiteral("1366×768 (Wide)"));
    EXPECT_TRUE(radio("RadioGroupFrameRate", 1)->isChecked());
    EXPECT_EQ(radio("RadioGroupShadow", 2)->text(), QStringLiteral("ボールと人体"));
    EXPECT_TRUE(radio("RadioGroupShadow", 2)->isChecked());
    EXPECT_TRUE(radio("RadioGroupModel", 0)->isChecked());
    EXPECT_TRUE(radio("RadioGroupFog", 1)->isChecked());
    EXPECT_TRUE(chatTime()->isChecked());
  });
}

TEST_F(GameOptionDialogTest, OutOfRangeValuesAreShownAndReturnedClamped) {
  Values v{-1, 20, 5, 7, -9, 2, false};
  EXPECT_TRUE(Run(v, [&] {
    EXPECT_TRUE(radio("RadioGroupMode", 0)->isChecked());
    EXPECT_EQ(sizeList()->currentText(), QStringLiteral("1920×1200 (Wide)"));
    EXPECT_TRUE(radio("RadioGroupFrameRate", 1)->isChecked());
    EXPECT_TRUE(radio("RadioGroupShadow", 2)->isChecked());
    EXPECT_TRUE(radio("RadioGroupModel", 0)->isChecked());
    EXPECT_TRUE(radio("RadioGroupFog", 1)->isChecked());
    QTest::mouseClick(button("ButtonOK"), Qt::LeftButton);
  }));
  EXPECT_EQ(v, (Values{0, 12, 1, 2, 0, 1, false}));

  Values cancelled{-1, 20, 5, 7, -9, 2, false};
  const Values keep = cancelled;
  EXPECT_FALSE(Run(cancelled, [] {}));
  EXPECT_EQ(cancelled, keep) << "cancel returns nothing, not even the clamped values";
}

TEST_F(GameOptionDialogTest, EachCallStartsFromTheValuesItIsGiven) {
  Values first{1, 3, 1, 0, 0, 1, true};
  Run(first, [&] { ChangeEverything(); });  // cancelled with changed controls
  Values second{0, 5, 0, 1, 1, 0, false};
  const Values expected = second;
  EXPECT_TRUE(Run(second, [&] { QTest::mouseClick(button("ButtonOK"), Qt::LeftButton); }));
  EXPECT_EQ(second, expected);
}

TEST_F(GameOptionDialogTest, GroupAcceleratorsReachTheirControls) {
  Values v;
  Run(v, [&] {
    QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(dialog.focusWidget(), chatTime());
    QTest::keyClick(&dialog, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(dialog.focusWidget(), radio("RadioGroupMode", 0));
  });
}

TEST_F(GameOptionDialogTest, RecordFormWritesTheSettingsFields) {
  GameOptions options;  // 0, 7, 0, 1, 1, 0
  bool time = false;
  QTimer::singleShot(0, &dialog, [&] {
    Click(radio("RadioGroupMode", 1));
    Click(radio("RadioGroupModel", 0));
    QTest::mouseClick(button("ButtonOK"), Qt::LeftButton);
  });
  EXPECT_TRUE(dialog.Execute(options, time));
  EXPECT_EQ(options.GameMode, 1);
  EXPECT_EQ(options.GameSize, 7);
  EXPECT_EQ(options.GameShadow, 1);
  EXPECT_EQ(options.GameModel, 0);
}

}  // namespace
