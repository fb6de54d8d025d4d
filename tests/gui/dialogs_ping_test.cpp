// The ping window: lines handed to it, cleared on request, shown modally while
// results keep arriving, closed by its button, Enter or Escape.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialogs/form_ping.h"
#include "wait.h"

namespace {

class PingWindowTest : public ::testing::Test {
 protected:
  QPushButton* closeButton() { return window.findChild<QPushButton*>(QStringLiteral("ButtonClose")); }
  QPlainTextEdit* list() { return window.findChild<QPlainTextEdit*>(QStringLiteral("EditPing")); }
  TFormPing window;
};

TEST_F(PingWindowTest, ResultsAreListedInMillisecondsInOrder) {
  window.AddResult(31);
  window.AddResult(0);
  window.AddResult(1500);
  EXPECT_EQ(window.Results(), (QStringList{QStringLiteral("31ms"), QStringLiteral("0ms"), QStringLiteral("1500ms")}));
  EXPECT_EQ(list()->toPlainText(), QStringLiteral("31ms\n0ms\n1500ms"));
}

TEST_F(PingWindowTest, ClearEmptiesTheList) {
  EXPECT_TRUE(window.Results().isEmpty());
  window.AddResult(5);
  window.Clear();
  EXPECT_TRUE(window.Results().isEmpty());
  window.AddResult(6);
  EXPECT_EQ(window.Results(), QStringList{QStringLiteral("6ms")});
}

TEST_F(PingWindowTest, ResultsArriveWhileOpenAndAfterClosing) {
  int closedChecks = 0;
  QTimer::singleShot(0, &window, [&] {
    EXPECT_TRUE(window.isVisible());
    window.AddResult(12);  // as the main window's answer handler does
    QTest::mouseClick(closeButton(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    ++closedChecks;
  });
  window.Execute();
  EXPECT_EQ(closedChecks, 1);
  EXPECT_FALSE(window.isVisible());
  window.AddResult(40);  // the answer to a ping sent before the window closed
  EXPECT_EQ(window.Results(), (QStringList{QStringLiteral("12ms"), QStringLiteral("40ms")}));
}

TEST_F(PingWindowTest, EnterAndEscapeCloseTheWindow) {
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    bool ran = false;
    QTimer::singleShot(0, &window, [&] {
      ran = true;
      QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, key);
      if (window.isVisible()) {
        ADD_FAILURE() << "key " << key << " did not close the window";
        window.reject();
      }
    });
    window.Execute();
    EXPECT_TRUE(ran);
  }
}

TEST_F(PingWindowTest, AltCClosesTheWindow) {
  QTimer::singleShot(0, &window, [&] {
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    // A mnemonic presses the button visibly first and clicks a moment later.
    if (!WaitUntil([&] { return !window.isVisible(); }, 2000)) {
      ADD_FAILURE() << "Alt+C did not close the window";
      window.reject();
    }
  });
  window.Execute();
}

TEST_F(PingWindowTest, EnterClosesEvenWithTheListFocused) {
  QTimer::singleShot(0, &window, [&] {
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Return);
    if (window.isVisible()) {
      ADD_FAILURE() << "Enter in the list did not close the window";
      window.reject();
    }
  });
  window.Execute();
}

TEST_F(PingWindowTest, ListIsSkippedByTabAndReadOnly) {
  EXPECT_FALSE(list()->focusPolicy() & Qt::TabFocus);
  EXPECT_TRUE(list()->isReadOnly());
  EXPECT_EQ(window.windowTitle(), QStringLiteral("PING"));
  EXPECT_EQ(closeButton()->text(), QStringLiteral("閉じる(&C)"));
}

}  // namespace
