// The room password dialog: the two choices, what they enable, and the password
// that comes back.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "chat/form_password.h"
#include "recording_platform.h"

namespace {

class PasswordDialogTest : public ::testing::Test {
 protected:
  QRadioButton* radio(const char* name) { return dialog.findChild<QRadioButton*>(QString::fromLatin1(name)); }
  QLineEdit* editPassword() { return dialog.findChild<QLineEdit*>(QStringLiteral("EditPassword")); }
  QLabel* label() { return dialog.findChild<QLabel*>(QStringLiteral("Label1")); }
  QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(QString::fromLatin1(name)); }
  static void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }

  bool Run(const std::function<void()>& during) {
    QTimer::singleShot(0, &dialog, [this, during] {
      EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
      during();
      if (dialog.isVisible()) dialog.reject();
    });
    return dialog.PasswordExecute(password);
  }

  RecordingPlatform platform;
  TFormPassword dialog;
  std::string password = "untouched";
};

TEST_F(PasswordDialogTest, TeamMemberChoiceNeedsNoPassword) {
  EXPECT_TRUE(Run([&] {
    EXPECT_TRUE(radio("RadioPass")->isChecked());
    EXPECT_EQ(dialog.focusWidget(), radio("RadioPass"));
    EXPECT_FALSE(editPassword()->isEnabled());
    EXPECT_FALSE(label()->isEnabled());
    EXPECT_TRUE(button("ButtonOk")->isEnabled());
    QTest::keyClick(radio("RadioPass"), Qt::Key_Return);
  }));
  EXPECT_EQ(password, "");
}

TEST_F(PasswordDialogTest, SecondChoiceEnablesTheFieldAndWaitsForText) {
  EXPECT_TRUE(Run([&] {
    Click(radio("RadioPass2"));
    EXPECT_TRUE(radio("RadioPass2")->isChecked());
    EXPECT_TRUE(editPassword()->isEnabled());
    EXPECT_TRUE(label()->isEnabled());
    EXPECT_EQ(dialog.focusWidget(), editPassword());
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
    QTest::keyClicks(editPassword(), QStringLiteral("Pw12"));
    EXPECT_TRUE(button("ButtonOk")->isEnabled());
    EXPECT_EQ(editPassword()->echoMode(), QLineEdit::Password);
    QTest::keyClick(editPassword(), Qt::Key_Return);
  }));
  EXPECT_EQ(password, "Pw12");
}

TEST_F(PasswordDialogTest, TypedTextStaysAndIsReturnedAfterSwitchingBack) {
  EXPECT_TRUE(Run([&] {
    Click(radio("RadioPass2"));
    QTest::keyClicks(editPassword(), QStringLiteral("abc"));
    Click(radio("RadioPass"));
    EXPECT_FALSE(editPassword()->isEnabled());
    EXPECT_EQ(editPassword()->text(), QStringLiteral("abc"));
    EXPECT_TRUE(button("ButtonOk")->isEnabled());
    QTest::mouseClick(button("ButtonOk"), Qt::LeftButton);
  }));
  EXPECT_EQ(password, "abc");
}

TEST_F(PasswordDialogTest, ArrowKeysSwitchTheChoiceAndApplyTheRule) {
  Run([&] {
    QTest::keyClick(radio("RadioPass"), Qt::Key_Down);
    EXPECT_TRUE(radio("RadioPass2")->isChecked());
    EXPECT_TRUE(editPassword()->isEnabled());
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
    QTest::keyClick(radio("RadioPass2"), Qt::Key_Up);
    EXPECT_TRUE(radio("RadioPass")->isChecked());
    EXPECT_FALSE(editPassword()->isEnabled());
    EXPECT_TRUE(button("ButtonOk")->isEnabled());
  });
}

TEST_F(PasswordDialogTest, SymbolsAndDoubleByteCharactersAreRefused) {
  for (const QString& bad : {QStringLiteral("a-b"), QStringLiteral("パス"), QStringLiteral("a b")}) {
    platform.boxes.clear();
    EXPECT_FALSE(Run([&] {
      Click(radio("RadioPass2"));
      editPassword()->insert(bad);
      ASSERT_EQ(editPassword()->text(), bad);
      QTest::mouseClick(button("ButtonOk"), Qt::LeftButton);
      EXPECT_TRUE(dialog.isVisible());
      EXPECT_EQ(editPassword()->text(), bad);
    })) << bad.toStdString();
    EXPECT_EQ(platform.errorTexts(), QStringList{QStringLiteral("パスワードには英数字のみ指定可能です")});
    EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("エラー"));
  }
  EXPECT_EQ(password, "untouched");
}

TEST_F(PasswordDialogTest, EachCallStartsWithTheFirstChoiceAndNoText) {
  Run([&] {
    Click(radio("RadioPass2"));
    QTest::keyClicks(editPassword(), QStringLiteral("abc"));
    QTest::mouseClick(button("ButtonCancel"), Qt::LeftButton);
  });
  EXPECT_EQ(password, "untouched");
  Run([&] {
    EXPECT_TRUE(radio("RadioPass")->isChecked());
    EXPECT_EQ(editPassword()->text(), QString());
    EXPECT_FALSE(editPassword()->isEnabled());
    QTest::keyClick(&dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(password, "untouched");
}

TEST_F(PasswordDialogTest, FieldHoldsTwelveBytes) {
  Run([&] {
    Click(radio("RadioPass2"));
    QTest::keyClicks(editPassword(), QStringLiteral("abcdefghijklm"));
    EXPECT_EQ(editPassword()->text(), QStringLiteral("abcdefghijkl"));
  });
}

}  // namespace
