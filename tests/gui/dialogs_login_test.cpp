// The login dialog driven through its modal call with real key and mouse input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "dialogs/form_login.h"
#include "platform/cp932.h"
#include "recording_platform.h"
#include "ui_input.h"

namespace {

class LoginDialogTest : public ::testing::Test {
 protected:
  QLineEdit* editId() { return dialog.findChild<QLineEdit*>(QStringLiteral("EditID")); }
  QLineEdit* editPassword() { return dialog.findChild<QLineEdit*>(QStringLiteral("EditPassword")); }
  QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(QString::fromLatin1(name)); }

  // Runs Execute; `during` acts on the open dialog. A dialog still open after it
  // is cancelled so that a failed expectation cannot hang the test.
  bool Run(const std::function<void()>& during, const char* registration = "http://example.test/regist") {
    QTimer::singleShot(0, &dialog, [this, during] {
      EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
      ASSERT_TRUE(dialog.isVisible());
      during();
      if (dialog.isVisible()) dialog.reject();
    });
    return dialog.Execute(id, password, registration);
  }

  RecordingPlatform platform;
  TFormLogin dialog;
  int32_t id = 0;
  std::string password;
};

TEST_F(LoginDialogTest, ZeroIdOpensEmptyAndOkWaitsForBothFields) {
  Run([&] {
    EXPECT_EQ(editId()->text(), QString());
    EXPECT_EQ(dialog.focusWidget(), editId());
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
    TypeText(editId(), QStringLiteral("15"));
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
    TypeText(editPassword(), QStringLiteral("x"));
    EXPECT_TRUE(button("ButtonOk")->isEnabled());
    QTest::keyClick(editId(), Qt::Key_Backspace);
    QTest::keyClick(editId(), Qt::Key_Backspace);
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
  });
}

TEST_F(LoginDialogTest, StoredValuesAreShownAndEnableOk) {
  id = 1234;
  password = "PASS1";
  Run([&] {
    EXPECT_EQ(editId()->text(), QStringLiteral("1234"));
    EXPECT_EQ(editPassword()->text(), QStringLiteral("PASS1"));
    EXPECT_EQ(editPassword()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(button("ButtonOk")->isEnabled());
  });
}

TEST_F(LoginDialogTest, ZeroOrNegativeIdIsRefusedAndTheDialogStays) {
  for (const char* bad : {"0", "-3", "abc"}) {
    platform.boxes.clear();
    id = 77;
    password = "OLD";
    const bool ok = Run([&] {
      editId()->clear();
      TypeText(editId(), QString::fromLatin1(bad));
      editPassword()->clear();
      TypeText(editPassword(), QStringLiteral("!bad"));  // the ID is checked first
      QTest::mouseClick(button("ButtonOk"), Qt::LeftButton);
      EXPECT_TRUE(dialog.isVisible()) << bad;
      EXPECT_EQ(editId()->text(), QString::fromLatin1(bad)) << "the user's text stays";
    });
    EXPECT_FALSE(ok);
    ASSERT_EQ(platform.boxes.size(), 1u) << bad;
    EXPECT_EQ(platform.boxes[0].kind, RecordingPlatform::Box::Error);
    EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("正しいIDを入力してください"));
    EXPECT_EQ(id, 77);
    EXPECT_EQ(password, "OLD");
  }
}

TEST_F(LoginDialogTest, PasswordWithBlankSymbolOrDoubleByteCharacterIsRefused) {
  for (const QString& bad :
       {QStringLiteral("ab c"), QStringLiteral("ab-c"), QStringLiteral("abあ"), QStringLiteral("ａｂ")}) {
    platform.boxes.clear();
    Run([&] {
      TypeText(editId(), QStringLiteral("42"));
      TypeText(editPassword(), bad);
      ASSERT_EQ(editPassword()->text(), bad);
      QTest::keyClick(editPassword(), Qt::Key_Return);
      EXPECT_TRUE(dialog.isVisible());
    });
    EXPECT_EQ(platform.errorTexts(), QStringList{QStringLiteral("正しいパスワードを入力してください")})
        << bad.toStdString();
    EXPECT_EQ(id, 0);
  }
}

TEST_F(LoginDialogTest, BlankBeforeIdIsReadAndPasswordComesBackUpperCase) {
  const bool ok = Run([&] {
    TypeText(editId(), QStringLiteral(" 42"));
    TypeText(editPassword(), QStringLiteral("abc123xY"));
    QTest::keyClick(editPassword(), Qt::Key_Return);  // the default button
  });
  EXPECT_TRUE(ok);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(id, 42);
  EXPECT_EQ(password, "ABC123XY");
}

TEST_F(LoginDialogTest, IdWithTrailingLettersReadsItsDigits) {
  EXPECT_TRUE(Run([&] {
    TypeText(editId(), QStringLiteral("12ab"));
    TypeText(editPassword(), QStringLiteral("p"));
    QTest::mouseClick(button("ButtonOk"), Qt::LeftButton);
  }));
  EXPECT_EQ(id, 12);
  EXPECT_EQ(password, "P");
}

TEST_F(LoginDialogTest, CancelAndEscapeLeaveTheCallersValues) {
  id = 5;
  password = "KEEP";
  EXPECT_FALSE(Run([&] {
    TypeText(editId(), QStringLiteral("9"));
    TypeText(editPassword(), QStringLiteral("zz"));
    QTest::mouseClick(button("ButtonCancel"), Qt::LeftButton);
  }));
  EXPECT_EQ(id, 5);
  EXPECT_EQ(password, "KEEP");
  EXPECT_FALSE(Run([&] {
    TypeText(editPassword(), QStringLiteral("zz"));
    QTest::keyClick(editPassword(), Qt::Key_Escape);
  }));
  EXPECT_EQ(id, 5);
  EXPECT_EQ(password, "KEEP");
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(LoginDialogTest, RegistrationButtonOpensTheAddressAndTheDialogStays) {
  Run(
      [&] {
        QTest::mouseClick(button("ButtonNew"), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
      },
      "http://example.test/regist?a=1&b=2");
  EXPECT_EQ(platform.openedUrls, QStringList{QStringLiteral("http://example.test/regist?a=1&b=2")});
  // The address is the one handed in by the latest call.
  Run([&] { QTest::mouseClick(button("ButtonNew"), Qt::LeftButton); }, "http://example.test/new");
  EXPECT_EQ(platform.openedUrls.last(), QStringLiteral("http://example.test/new"));
}

TEST_F(LoginDialogTest, FieldsRefuseBytesBeyondTheirWidth) {
  Run([&] {
    TypeText(editId(), QStringLiteral("123456789"));
    EXPECT_EQ(editId()->text(), QStringLiteral("12345678"));
    TypeText(editPassword(), QStringLiteral("ABCDEFGHIJKLM"));
    EXPECT_EQ(editPassword()->text(), QStringLiteral("ABCDEFGHIJKL"));
  });
}

// A member whose stored ID is longer than the 8 digits that can be typed still
// sees it whole and can log in with it; the typing limit is never raised.
TEST_F(LoginDialogTest, StoredIdLongerThanTheTypingLimitIsShownWhole) {
  id = 1234567890;
  password = "ABCDEFGHIJKLMNOP";  // sixteen bytes into twelve
  EXPECT_TRUE(Run([&] {
    EXPECT_EQ(editId()->text(), QStringLiteral("1234567890"));
    EXPECT_EQ(editPassword()->text(), QStringLiteral("ABCDEFGHIJKL"));
    editId()->end(false);
    TypeText(editId(), QStringLiteral("1"));
    EXPECT_EQ(editId()->text(), QStringLiteral("1234567890")) << "no digit beyond the stored ones";
    QTest::keyClick(editId(), Qt::Key_Backspace);
    EXPECT_EQ(editId()->text(), QStringLiteral("123456789")) << "the long ID can be shortened";
    TypeText(editId(), QStringLiteral("7"));
    EXPECT_EQ(editId()->text(), QStringLiteral("123456789")) << "nor grown back once shortened";
    QTest::mouseClick(button("ButtonOk"), Qt::LeftButton);
  }));
  EXPECT_EQ(id, 123456789);
  // The next opening shows the new stored ID whole; typing anew keeps 8 digits.
  EXPECT_FALSE(Run([&] {
    EXPECT_EQ(editId()->text(), QStringLiteral("123456789"));
    editId()->selectAll();
    TypeText(editId(), QStringLiteral("9876543210"));
    EXPECT_EQ(editId()->text(), QStringLiteral("98765432"));
  }));
}

TEST_F(LoginDialogTest, TabOrderRunsThroughFieldsButtonsAndPanel) {
  Run([&] {
    TypeText(editId(), QStringLiteral("1"));
    TypeText(editPassword(), QStringLiteral("a"));
    editId()->setFocus();
    QWidget* expected[] = {editPassword(), button("ButtonOk"), button("ButtonCancel"), button("ButtonNew")};
    for (QWidget* w : expected) {
      QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(dialog.focusWidget(), w) << w->objectName().toStdString();
    }
  });
}

TEST_F(LoginDialogTest, SecondCallWhileOpenIsRefusedAndLeavesTheFirstAlone) {
  id = 9;
  password = "FIRST";
  EXPECT_TRUE(Run([&] {
    int32_t otherId = 3;
    std::string otherPassword = "OTHER";
    EXPECT_FALSE(dialog.Execute(otherId, otherPassword, "x"));
    EXPECT_EQ(otherId, 3);
    EXPECT_EQ(editId()->text(), QStringLiteral("9")) << "the open dialog's fields are not reset";
    QTest::mouseClick(button("ButtonOk"), Qt::LeftButton);
  }));
  EXPECT_EQ(id, 9);
  EXPECT_EQ(password, "FIRST");
}

}  // namespace
