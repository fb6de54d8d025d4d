// The room creation dialog: OK enabling, the checks in order with their texts,
// byte limits, and what the modal call hands back.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "chat/form_create_room.h"
#include "platform/cp932.h"
#include "recording_platform.h"
#include "ui_input.h"

namespace {

class CreateRoomDialogTest : public ::testing::Test {
 protected:
  QLineEdit* edit(const char* name) { return dialog.findChild<QLineEdit*>(QString::fromLatin1(name)); }
  QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(QString::fromLatin1(name)); }

  bool Run(const std::function<void()>& during) {
    QTimer::singleShot(0, &dialog, [this, during] {
      EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
      during();
      if (dialog.isVisible()) dialog.reject();
    });
    return dialog.CreateRoomExecute(name, password, teamId);
  }
  // Fills the three fields and presses OK; returns whether the dialog closed
  // with OK.
  bool Submit(const QString& roomName, const QString& pass, const QString& team) {
    platform.boxes.clear();
    return Run([&] {
      TypeText(edit("EditName"), roomName);
      TypeText(edit("EditPassword"), pass);
      TypeText(edit("EditTeamID"), team);
      QTest::mouseClick(button("ButtonOk"), Qt::LeftButton);
      if (dialog.isVisible()) {
        EXPECT_EQ(edit("EditName")->text(), roomName) << "a refusal keeps the input";
      }
    });
  }

  RecordingPlatform platform;
  TFormCreateRoom dialog;
  std::string name = "untouched";
  std::string password = "untouched";
  int32_t teamId = -7;
};

const QString kBadName = QStringLiteral("部屋名には空白や記号は使えません");
const QString kBadPassword = QStringLiteral("パスワードには英数字のみ指定可能です");
const QString kBadTeam = QStringLiteral("チームIDには正数のみ指定可能です");

TEST_F(CreateRoomDialogTest, OkIsEnabledOnlyWithAName) {
  Run([&] {
    EXPECT_EQ(dialog.focusWidget(), edit("EditName"));
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
    TypeText(edit("EditPassword"), QStringLiteral("abc"));
    TypeText(edit("EditTeamID"), QStringLiteral("12"));
    EXPECT_FALSE(button("ButtonOk")->isEnabled()) << "whatever the other fields hold";
    TypeText(edit("EditName"), QStringLiteral("r"));
    EXPECT_TRUE(button("ButtonOk")->isEnabled());
    QTest::keyClick(edit("EditName"), Qt::Key_Backspace);
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
    QTest::keyClick(edit("EditName"), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible()) << "Enter does nothing while OK is disabled";
  });
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(CreateRoomDialogTest, EveryRefusedNameCharacterGivesTheNameText) {
  for (const QString& bad :
       {QStringLiteral("a b"), QStringLiteral("a　b"), QStringLiteral("a.b"), QStringLiteral("a,b"),
        QStringLiteral("a<b"), QStringLiteral("a>b"), QStringLiteral("a\"b"), QStringLiteral("a'b"),
        QStringLiteral("a\\b"), QStringLiteral("ｱｲ"), QStringLiteral(" ")}) {
    EXPECT_FALSE(Submit(bad, QString(), QString())) << bad.toStdString();
    EXPECT_EQ(platform.errorTexts(), QStringList{kBadName}) << bad.toStdString();
  }
  EXPECT_EQ(name, "untouched");
}

TEST_F(CreateRoomDialogTest, DoubleByteAndPermittedSignsAreAccepted) {
  for (const QString& good : {QStringLiteral("待合室"), QStringLiteral("a-b_c!d/e"), QStringLiteral("チーム１")}) {
    EXPECT_TRUE(Submit(good, QString(), QString())) << good.toStdString();
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(name, cp932::FromUtf8(good.toStdString()));
    EXPECT_EQ(password, "");
    EXPECT_EQ(teamId, 0) << "an empty team ID is 0";
  }
}

TEST_F(CreateRoomDialogTest, PasswordMustBeLettersAndDigits) {
  EXPECT_FALSE(Submit(QStringLiteral("room"), QStringLiteral("a-b"), QString()));
  EXPECT_EQ(platform.errorTexts(), QStringList{kBadPassword});
  EXPECT_FALSE(Submit(QStringLiteral("room"), QStringLiteral("パス"), QString()));
  EXPECT_EQ(platform.errorTexts(), QStringList{kBadPassword});
  EXPECT_TRUE(Submit(QStringLiteral("room"), QStringLiteral("Abc123"), QString()));
  EXPECT_EQ(password, "Abc123") << "returned as typed";
}

TEST_F(CreateRoomDialogTest, TeamIdMustBePositive) {
  for (const char* bad : {"0", "-1", "a"}) {
    EXPECT_FALSE(Submit(QStringLiteral("room"), QString(), QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(platform.errorTexts(), QStringList{kBadTeam}) << bad;
  }
  EXPECT_TRUE(Submit(QStringLiteral("room"), QString(), QStringLiteral("12ab")));
  EXPECT_EQ(teamId, 12);
  EXPECT_TRUE(Submit(QStringLiteral("room"), QString(), QStringLiteral("3")));
  EXPECT_EQ(teamId, 3);
}

TEST_F(CreateRoomDialogTest, ChecksStopAtTheFirstFailureInOrder) {
  EXPECT_FALSE(Submit(QStringLiteral("a b"), QStringLiteral("a-b"), QStringLiteral("0")));
  EXPECT_EQ(platform.errorTexts(), QStringList{kBadName});
  EXPECT_FALSE(Submit(QStringLiteral("ab"), QStringLiteral("a-b"), QStringLiteral("0")));
  EXPECT_EQ(platform.errorTexts(), QStringList{kBadPassword});
  EXPECT_FALSE(Submit(QStringLiteral("ab"), QStringLiteral("ab"), QStringLiteral("0")));
  EXPECT_EQ(platform.errorTexts(), QStringList{kBadTeam});
  EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("エラー"));
}

TEST_F(CreateRoomDialogTest, RefusalThenCorrectionIsAcceptedInTheSameShowing) {
  platform.boxes.clear();
  EXPECT_TRUE(Run([&] {
    TypeText(edit("EditName"), QStringLiteral("a.b"));
    QTest::keyClick(edit("EditName"), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    edit("EditName")->selectAll();
    TypeText(edit("EditName"), QStringLiteral("ab"));
    QTest::keyClick(edit("EditName"), Qt::Key_Return);
  }));
  EXPECT_EQ(platform.errorTexts(), QStringList{kBadName});
  EXPECT_EQ(name, "ab");
}

TEST_F(CreateRoomDialogTest, CancelWritesNothingAndTheNextCallStartsEmpty) {
  EXPECT_FALSE(Run([&] {
    TypeText(edit("EditName"), QStringLiteral("room"));
    TypeText(edit("EditPassword"), QStringLiteral("pw"));
    TypeText(edit("EditTeamID"), QStringLiteral("5"));
    QTest::keyClick(edit("EditTeamID"), Qt::Key_Escape);
  }));
  EXPECT_EQ(name, "untouched");
  EXPECT_EQ(password, "untouched");
  EXPECT_EQ(teamId, -7);
  Run([&] {
    EXPECT_EQ(edit("EditName")->text(), QString());
    EXPECT_EQ(edit("EditPassword")->text(), QString());
    EXPECT_EQ(edit("EditTeamID")->text(), QString());
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
    QTest::mouseClick(button("ButtonCancel"), Qt::LeftButton);
  });
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(CreateRoomDialogTest, NameFieldCountsCp932Bytes) {
  Run([&] {
    QLineEdit* e = edit("EditName");
    TypeText(e, QStringLiteral("123456789012345678"));
    TypeText(e, QStringLiteral("9"));
    EXPECT_EQ(e->text(), QStringLiteral("123456789012345678")) << "a 19th byte is refused";
    e->clear();
    TypeText(e, QStringLiteral("12345678901234567"));
    TypeText(e, QStringLiteral("あ"));
    EXPECT_EQ(e->text(), QStringLiteral("12345678901234567")) << "a double-byte character counts two";
    e->clear();
    TypeText(e, QStringLiteral("1234567890123456"));
    TypeText(e, QStringLiteral("あ"));
    EXPECT_EQ(e->text(), QStringLiteral("1234567890123456あ"));
    e->clear();
    TypeText(e, QStringLiteral("a한b"));
    EXPECT_EQ(e->text(), QStringLiteral("ab")) << "a character CP932 cannot hold is refused";
    e->insert(QStringLiteral("€x"));
    EXPECT_EQ(e->text(), QStringLiteral("ab")) << "pasted text is checked as a whole";
  });
}

TEST_F(CreateRoomDialogTest, PasswordFieldHoldsTwelveBytesInPlainSight) {
  Run([&] {
    QLineEdit* e = edit("EditPassword");
    EXPECT_EQ(e->echoMode(), QLineEdit::Normal);
    TypeText(e, QStringLiteral("abcdefghijklm"));
    EXPECT_EQ(e->text(), QStringLiteral("abcdefghijkl"));
  });
}

TEST_F(CreateRoomDialogTest, TabOrderFollowsTheFields) {
  Run([&] {
    TypeText(edit("EditName"), QStringLiteral("r"));
    QWidget* expected[] = {edit("EditPassword"), edit("EditTeamID"), button("ButtonOk"), button("ButtonCancel")};
    for (QWidget* w : expected) {
      QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(dialog.focusWidget(), w) << w->objectName().toStdString();
    }
  });
}

TEST_F(CreateRoomDialogTest, SecondCallWhileOpenKeepsTheTypedName) {
  EXPECT_TRUE(Run([&] {
    TypeText(edit("EditName"), QStringLiteral("room"));
    std::string n, p;
    int32_t t = 0;
    EXPECT_FALSE(dialog.CreateRoomExecute(n, p, t));
    EXPECT_EQ(edit("EditName")->text(), QStringLiteral("room"));
    QTest::mouseClick(button("ButtonOk"), Qt::LeftButton);
  }));
  EXPECT_EQ(name, "room");
}

}  // namespace
