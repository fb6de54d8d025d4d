// The chat log on the real widget: links clicked with the mouse, following the
// end, one colour per line, server text never taken as markup, copying.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "messages.h"
#include "platform/cp932.h"
#include "recording_platform.h"
#include "wait.h"

namespace {

const QColor Black(0, 0, 0);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);
const QColor Blue(0, 0, 255);

class ChatFrameLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame.resize(640, 320);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    log = frame.EditLog();
  }

  // A viewport point on the character at `column` of line `line`.
  QPoint PointOf(int line, int column) {
    Settle();
    const QRect r = log->CharRect(line, column);
    EXPECT_FALSE(r.isEmpty()) << "line " << line << " column " << column << " is not on screen";
    return r.center();
  }

  void Click(Qt::MouseButton button, QPoint at) { QTest::mouseClick(log->viewport(), button, {}, at); }

  // The foreground colours of the pieces line `line` is drawn in.
  std::vector<QColor> ColoursOf(int line) {
    std::vector<QColor> colours;
    for (const QTextLayout::FormatRange& r : log->LineFormats(line)) colours.push_back(r.format.foreground().color());
    return colours;
  }

  QScrollBar* Bar() { return log->verticalScrollBar(); }
  // Lets the log catch up with what was appended (it does so once per frame).
  void Settle() {
    EXPECT_TRUE(WaitUntil([&] { return !log->HasPendingUpdate(); }));
    QApplication::processEvents();
  }

  RecordingPlatform platform;
  TFrameChatRoom frame;
  TRichEditEx* log = nullptr;
};

}  // namespace

TEST_F(ChatFrameLogTest, LeftClickOnAWebLinkOpensIt) {
  frame.AddLog("12:00:00 ", "taro", " > see http://a.jp/x?q=1 now", Black);
  Click(Qt::LeftButton, PointOf(0, 25));
  EXPECT_EQ(platform.openedUrls, QStringList{QStringLiteral("http://a.jp/x?q=1")});

  // Without "://" a link names a member, never a page: nobody here is www.b.jp.
  frame.AddLog("", "", "www.b.jp", Black);
  Click(Qt::LeftButton, PointOf(1, 2));
  EXPECT_EQ(platform.openedUrls.size(), 1) << platform.openedUrls.join(u' ').toStdString();
}

TEST_F(ChatFrameLogTest, RightButtonMovesAndPlainTextOpenNothing) {
  frame.AddLog("", "", "go http://a.jp/x now", Black);
  const QPoint onLink = PointOf(0, 6);
  Click(Qt::RightButton, onLink);
  QTest::mouseMove(log->viewport(), onLink);
  QTest::mouseMove(log->viewport(), PointOf(0, 10));
  QTest::mousePress(log->viewport(), Qt::MiddleButton, {}, onLink);
  QTest::mouseRelease(log->viewport(), Qt::MiddleButton, {}, onLink);
  Click(Qt::LeftButton, PointOf(0, 1));
  Click(Qt::LeftButton, PointOf(0, 17));
  EXPECT_TRUE(platform.openedUrls.isEmpty()) << platform.openedUrls.join(u' ').toStdString();
  Click(Qt::LeftButton, onLink);
  EXPECT_EQ(platform.openedUrls.size(), 1) << "the same link opens with the left button";
}

TEST_F(ChatFrameLogTest, DraggingASelectionOverALinkIsNotAClick) {
  frame.AddLog("", "", "go http://a.jp/abcdef now", Black);
  QTest::mousePress(log->viewport(), Qt::LeftButton, {}, PointOf(0, 5));
  QTest::mouseMove(log->viewport(), PointOf(0, 12));
  QTest::mouseMove(log->viewport(), PointOf(0, 18));
  QTest::mouseRelease(log->viewport(), Qt::LeftButton, {}, PointOf(0, 18));
  EXPECT_TRUE(log->HasSelection());
  EXPECT_TRUE(platform.openedUrls.isEmpty());
  // Pressed on the link, released on plain text: no click either.
  Click(Qt::LeftButton, PointOf(0, 1));
  QTest::mousePress(log->viewport(), Qt::LeftButton, {}, PointOf(0, 5));
  QTest::mouseRelease(log->viewport(), Qt::LeftButton, {}, PointOf(0, 24));
  EXPECT_TRUE(platform.openedUrls.isEmpty());
}

TEST_F(ChatFrameLogTest, LocalFilesScriptsAndOtherSchemesNeverReachTheDesktop) {
  frame.AddLog("", "", "file:///etc/passwd", Black);
  frame.AddLog("", "", "javascript://%0Aalert(1)", Black);
  frame.AddLog("", "", "javascript:alert(1)", Black);
  frame.AddLog("", "", "game://start?x=1", Black);
  frame.AddLog("", "", "http:///etc/passwd", Black);
  for (int line = 0; line < 5; ++line) Click(Qt::LeftButton, PointOf(line, 4));
  EXPECT_TRUE(platform.openedUrls.isEmpty()) << platform.openedUrls.join(u' ').toStdString();
  EXPECT_FALSE(log->LinkAt(PointOf(0, 4)).empty()) << "shown as a link, refused on click";
  EXPECT_TRUE(log->LinkAt(PointOf(2, 4)).empty()) << "no \"://\", no link";
}

TEST_F(ChatFrameLogTest, AMemberNameLinkSelectsTheMemberAndPopsTheTwoItemMenu) {
  frame.AddUserRow("hanako", TFrameChatRoom::ImageUnlit);
  frame.AddUserRow("www.taro", TFrameChatRoom::ImageLit);
  QMenu* popped = nullptr;
  QObject::connect(&frame, &TFrameChatRoom::MenuPopping, [&](QMenu* m, const QPoint&) { popped = m; });
  frame.AddLog("", "", "ask www.taro now", Black);
  Click(Qt::LeftButton, PointOf(0, 6));
  EXPECT_EQ(popped, frame.PopupMenuUser2());
  EXPECT_EQ(frame.SelectedUserRow(), 1);
  EXPECT_TRUE(platform.openedUrls.isEmpty()) << "a member's name is not a web page";
  EXPECT_TRUE(WaitUntil([&] { return frame.PopupMenuUser2()->isVisible(); }));
  frame.PopupMenuUser2()->hide();

  // A www link that names nobody does nothing at all.
  popped = nullptr;
  frame.AddLog("", "", "www.jiro", Black);
  Click(Qt::LeftButton, PointOf(1, 2));
  EXPECT_EQ(popped, nullptr);
  EXPECT_TRUE(platform.openedUrls.isEmpty()) << platform.openedUrls.join(u' ').toStdString();
}

TEST_F(ChatFrameLogTest, FollowsNewLinesOnlyWhileAtTheEnd) {
  for (int i = 0; i < 200; ++i) frame.AddLog("", "", "line " + std::to_string(i), Black);
  Settle();
  ASSERT_GT(Bar()->maximum(), 0);
  EXPECT_EQ(Bar()->value(), Bar()->maximum()) << "a reader at the end sees the newest line";

  Bar()->setValue(Bar()->maximum() / 3);
  const int readerAt = Bar()->value();
  for (int i = 0; i < 50; ++i) frame.AddLog("", "", "more " + std::to_string(i), Black);
  Settle();
  EXPECT_EQ(Bar()->value(), readerAt) << "a reader who scrolled back stays where he is";
  EXPECT_FALSE(log->IsFollowingEnd());

  Bar()->setValue(Bar()->maximum());
  frame.AddLog("", "", "back at the end", Black);
  Settle();
  EXPECT_EQ(Bar()->value(), Bar()->maximum());
  EXPECT_GT(Bar()->value(), readerAt);
}

TEST_F(ChatFrameLogTest, ABurstOfLinesScrollsOnceAtTheNextFrame) {
  for (int i = 0; i < 100; ++i) frame.AddLog("", "", "warm " + std::to_string(i), Black);
  Settle();
  int moves = 0;
  QObject::connect(Bar(), &QScrollBar::valueChanged, [&] { ++moves; });
  for (int i = 0; i < 300; ++i) frame.AddLog("", "", "burst " + std::to_string(i), Black);
  EXPECT_EQ(moves, 0) << "no scrolling while the lines are added";
  Settle();
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(Bar()->value(), Bar()->maximum());
}

TEST_F(ChatFrameLogTest, EachLineIsInOneColourAndLinksAreUnderlined) {
  frame.AddLog("12:34:56 ", "taro", " > look http://a.jp/ here", Red);
  frame.AddLog("", "hanako", " > hi", Blue);
  frame.AddLog("", "", Sjis("緑の行 www.a.jp"), Green);
  for (const QColor& c : ColoursOf(0)) EXPECT_EQ(c, Red);
  for (const QColor& c : ColoursOf(1)) EXPECT_EQ(c, Blue);
  for (const QColor& c : ColoursOf(2)) EXPECT_EQ(c, Green);
  EXPECT_EQ(ColoursOf(0).size(), 3u) << "text, link, text";
  int underlined = 0;
  for (const QTextLayout::FormatRange& r : log->LineFormats(0)) {
    if (r.format.fontUnderline()) {
      ++underlined;
      EXPECT_EQ(log->LineText(0).mid(r.start, r.length), QStringLiteral("http://a.jp/"));
    }
  }
  EXPECT_EQ(underlined, 1);
}

TEST_F(ChatFrameLogTest, ServerTextIsNeverMarkup) {
  frame.AddLog("", "<i>taro</i>", " > <b>x</b> &amp; <a href=\"file:///x\">y</a>", Black);
  EXPECT_EQ(log->LineText(0), QStringLiteral("<i>taro</i> > <b>x</b> &amp; <a href=\"file:///x\">y</a>"));
  // Only the address that the link scan finds is a link; the markup is text.
  for (const QTextLayout::FormatRange& r : log->LineFormats(0)) {
    EXPECT_FALSE(r.format.font().bold());
    EXPECT_FALSE(r.format.font().italic());
    if (r.format.isAnchor()) {
      EXPECT_EQ(log->LineText(0).mid(r.start, r.length), QStringLiteral("file:///x"));
    }
  }
}

TEST_F(ChatFrameLogTest, LinesAreKeptWholeInOrderAndCopyable) {
  frame.AddLog("", "", "", Black);
  frame.AddLog("  ", Sjis("太郎"), Sjis(" > こんにちは  "), Black);
  frame.AddLog("", "", "last", Black);
  ASSERT_EQ(log->PlainText().count(u'\n'), 2);
  EXPECT_EQ(log->LineCount(), 3);
  EXPECT_EQ(log->LineText(1), QStringLiteral("  太郎 > こんにちは  ")) << "never trimmed";

  log->setFocus();
  QTest::keyClick(log, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(log, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("\n  太郎 > こんにちは  \nlast"));
}

TEST_F(ChatFrameLogTest, InvalidBytesShowAsReplacementsAndDoNotBreakTheLine) {
  frame.AddLog("", "", std::string("a\x81") + " http://a.jp \xFF", Black);
  const QString text = log->LineText(0);
  EXPECT_TRUE(text.startsWith(QStringLiteral("a"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("http://a.jp"))) << text.toStdString();
  EXPECT_EQ(log->PlainText(), text) << "one line";
}

TEST_F(ChatFrameLogTest, LinesArrivingDuringAClickDoNotMoveTheLinkAway) {
  for (int i = 0; i < 100; ++i) frame.AddLog("", "", "line " + std::to_string(i), Black);
  frame.AddLog("", "", "see http://a.jp/now", Black);
  Settle();
  const QPoint onLink = PointOf(100, 8);
  const int before = Bar()->value();
  QTest::mousePress(log->viewport(), Qt::LeftButton, {}, onLink);
  for (int i = 0; i < 20; ++i) frame.AddLog("", "", "late " + std::to_string(i), Black);
  Settle();
  EXPECT_EQ(Bar()->value(), before) << "held still under the button";
  QTest::mouseRelease(log->viewport(), Qt::LeftButton, {}, onLink);
  EXPECT_EQ(platform.openedUrls, QStringList{QStringLiteral("http://a.jp/now")});
  Settle();
  EXPECT_EQ(Bar()->value(), Bar()->maximum()) << "and follows the end again after the release";
  EXPECT_GT(Bar()->value(), before);
}

TEST_F(ChatFrameLogTest, TabStepsThroughTheLinksOnScreenAndThenLeavesTheLog) {
  frame.AddLog("", "", "gone http://off.jp/", Black);
  for (int i = 0; i < 100; ++i) frame.AddLog("", "", "line " + std::to_string(i), Black);
  frame.AddLog("", "", "see http://a.jp/ and www.b.jp", Black);
  frame.AddLog("", "", "then https://c.jp/x", Black);
  Settle();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  log->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(log->hasFocus());
  EXPECT_FALSE(log->HasFocusedLink()) << "Tab into the log reaches the log itself first";

  std::vector<std::string> visited;
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(log, Qt::Key_Tab);
    visited.push_back(log->FocusedLinkText());
  }
  EXPECT_EQ(visited, (std::vector<std::string>{"http://a.jp/", "www.b.jp", "https://c.jp/x"}))
      << "top to bottom, left to right, and only what is on screen";
  QTest::keyClick(log, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(log->FocusedLinkText(), "www.b.jp");
  QTest::keyClick(log, Qt::Key_Tab);
  QTest::keyClick(log, Qt::Key_Tab);
  EXPECT_FALSE(log->hasFocus()) << "past the last link Tab goes on to the next control";
  EXPECT_FALSE(log->HasFocusedLink());
  EXPECT_TRUE(platform.openedUrls.isEmpty()) << "stepping opens nothing";

  // Shift+Tab back into the log lands on its last link, and before the first it
  // returns to the log itself and then leaves it.
  QWidget* next = QApplication::focusWidget();
  QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_TRUE(log->hasFocus());
  EXPECT_EQ(log->FocusedLinkText(), "https://c.jp/x");
  for (int i = 0; i < 3; ++i) QTest::keyClick(log, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(log->hasFocus());
  EXPECT_FALSE(log->HasFocusedLink());
  QTest::keyClick(log, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_FALSE(log->hasFocus());
}

TEST_F(ChatFrameLogTest, EnterOnAFocusedLinkActsAsAClickAndTheMemberMenuPopsAtTheLink) {
  frame.AddUserRow("hanako", TFrameChatRoom::ImageUnlit);
  frame.AddUserRow("www.taro", TFrameChatRoom::ImageUnlit);
  QMenu* popped = nullptr;
  QPoint poppedAt;
  QObject::connect(&frame, &TFrameChatRoom::MenuPopping, [&](QMenu* m, const QPoint& at) {
    popped = m;
    poppedAt = at;
  });
  frame.AddLog("", "", "ask www.taro or http://a.jp/", Black);
  Settle();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  log->setFocus(Qt::TabFocusReason);

  QTest::keyClick(log, Qt::Key_Return);
  EXPECT_EQ(popped, nullptr) << "Enter without a focused link does nothing";
  QTest::keyClick(log, Qt::Key_Tab);
  QTest::keyClick(log, Qt::Key_Return);
  EXPECT_EQ(popped, frame.PopupMenuUser2());
  EXPECT_EQ(frame.SelectedUserRow(), 1);
  EXPECT_EQ(poppedAt, log->viewport()->mapToGlobal(log->CharRect(0, 4).bottomLeft()))
      << "under the link, not wherever the pointer is";
  frame.PopupMenuUser2()->hide();
  log->setFocus(Qt::PopupFocusReason);
  EXPECT_EQ(log->FocusedLinkText(), "www.taro") << "the menu keeps the link focused";

  QTest::keyClick(log, Qt::Key_Tab);
  QTest::keyClick(log, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(platform.openedUrls, QStringList{QStringLiteral("http://a.jp/")});
}
