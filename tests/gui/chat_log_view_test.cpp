// The log control on its own: selecting and copying across lines, links hit
// after wrapping and resizing, the anchor that keeps a reader's place, keyboard
// scrolling, find, control bytes, and what a screen reader reads.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include "chat/log_find_bar.h"
#include "chat/rich_edit_ex.h"
#include "platform/cp932.h"
#include "wait.h"

namespace {

using Pos = TRichEditEx::TextPos;

class ChatLogViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log.resize(480, 240);
    log.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&log));
    QObject::connect(&log, &TRichEditEx::URLClick, [this](const std::string& url) { clicked.push_back(url); });
  }

  void Add(const std::string& utf8, const QColor& c = Qt::black) { log.AppendLine(cp932::FromUtf8(utf8), c); }
  void Settle() {
    EXPECT_TRUE(WaitUntil([&] { return !log.HasPendingUpdate(); }));
    QApplication::processEvents();
  }
  // The middle of the character at column, and the place just before it.
  QPoint On(int line, int column) {
    Settle();
    const QRect r = log.CharRect(line, column);
    EXPECT_FALSE(r.isEmpty()) << "line " << line << " column " << column;
    return r.center();
  }
  QPoint Before(int line, int column) {
    Settle();
    const QRect r = log.CharRect(line, column);
    return {r.left() + 1, r.center().y()};
  }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(log.viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(log.viewport(), (from + to) / 2);
    QTest::mouseMove(log.viewport(), to);
    QTest::mouseRelease(log.viewport(), Qt::LeftButton, {}, to);
  }
  // A move with no button down (QTest skips a move to where the pointer already is).
  void Hover(QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, log.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(log.viewport(), &move);
  }
  QString CopiedWithKeys() {
    QApplication::clipboard()->clear();
    QTest::keyClick(&log, Qt::Key_C, Qt::ControlModifier);
    return QApplication::clipboard()->text();
  }
  void Fill(int lines) {
    for (int i = 0; i < lines; ++i) {
      // Every seventh line is long enough to wrap, so estimates and real heights differ.
      Add("line " + std::to_string(i) + (i % 7 == 0 ? std::string(40, ' ') + std::string(250, 'w') : ""));
    }
    Settle();
  }
  QScrollBar* Bar() { return log.verticalScrollBar(); }

  TRichEditEx log;
  std::vector<std::string> clicked;
};

}  // namespace

TEST_F(ChatLogViewTest, MouseSelectionCopiesWithinAndAcrossLines) {
  Add("first line");
  Add("二行目のテキスト");
  Add("third http://a.jp/x end");
  struct Row {
    Pos from, to;
    const char* copied;
  } rows[] = {
      {{0, 0}, {0, 5}, "first"},
      {{0, 6}, {2, 5}, "line\n二行目のテキスト\nthird"},
      {{2, 5}, {0, 6}, "line\n二行目のテキスト\nthird"},  // dragged upwards
      {{1, 1}, {1, 3}, "行目"},
      {{2, 0}, {2, 12}, "third http:/"},  // across the start of a link: a selection, no click
  };
  for (const Row& row : rows) {
    Drag(Before(row.from.line, row.from.column), Before(row.to.line, row.to.column));
    EXPECT_EQ(CopiedWithKeys(), QString::fromUtf8(row.copied)) << row.copied;
  }
  EXPECT_TRUE(clicked.empty());

  // A click without a drag drops the selection: nothing left to copy.
  QTest::mouseClick(log.viewport(), Qt::LeftButton, {}, On(0, 2));
  EXPECT_FALSE(log.HasSelection());
  EXPECT_EQ(CopiedWithKeys(), QString());
}

TEST_F(ChatLogViewTest, DoubleClickSelectsAWordAndTheMenuCopiesOrSelectsAll) {
  Add("hello world-wide web");
  Add("last");
  QTest::mouseDClick(log.viewport(), Qt::LeftButton, {}, On(0, 8));
  EXPECT_EQ(log.SelectedText(), QStringLiteral("world"));

  QMenu* menu = nullptr;
  QObject::connect(&log, &TRichEditEx::MenuPopping, [&](QMenu* m, const QPoint&) { menu = m; });
  auto action = [&](const QString& caption) -> QAction* {
    for (QAction* a : menu->actions())
      if (a->text() == caption) return a;
    return nullptr;
  };
  QContextMenuEvent ev(QContextMenuEvent::Mouse, On(0, 8), log.viewport()->mapToGlobal(On(0, 8)));
  QApplication::sendEvent(log.viewport(), &ev);
  ASSERT_NE(menu, nullptr);
  ASSERT_NE(action(QStringLiteral("コピー")), nullptr);
  ASSERT_NE(action(QStringLiteral("すべて選択")), nullptr);
  EXPECT_TRUE(action(QStringLiteral("コピー"))->isEnabled());
  action(QStringLiteral("コピー"))->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("world"));
  action(QStringLiteral("すべて選択"))->trigger();
  EXPECT_EQ(log.SelectedText(), QStringLiteral("hello world-wide web\nlast"));
  menu->close();

  log.ClearSelection();
  menu = nullptr;
  QApplication::sendEvent(log.viewport(), &ev);
  ASSERT_NE(menu, nullptr);
  EXPECT_FALSE(action(QStringLiteral("コピー"))->isEnabled()) << "nothing selected, nothing to copy";
  menu->close();
}

TEST_F(ChatLogViewTest, LinksAreHitWhereverWrappingPutsThem) {
  const std::string line = "とても長い日本語の前置きテキストがここに続きます see http://example.com/path/abcdef end";
  Add(line);
  const QString text = log.LineText(0);
  const int link = static_cast<int>(text.indexOf(QStringLiteral("http")));
  const int linkEnd = link + static_cast<int>(QStringLiteral("http://example.com/path/abcdef").size());
  const int see = static_cast<int>(text.indexOf(QStringLiteral("see")));
  for (int width : {150, 260, 420, 900, 300}) {
    SCOPED_TRACE(width);
    log.resize(width, 240);
    Settle();
    for (int column : {link, link + 10, linkEnd - 1}) {
      EXPECT_EQ(log.LinkAt(On(0, column)), "http://example.com/path/abcdef") << column;
    }
    EXPECT_EQ(log.LinkAt(On(0, see)), "");
    EXPECT_EQ(log.LinkAt(On(0, linkEnd + 1)), "");
    // The pointer says where a click opens something.
    Hover(On(0, link + 3));
    EXPECT_EQ(log.viewport()->cursor().shape(), Qt::PointingHandCursor);
    Hover(On(0, see));
    EXPECT_EQ(log.viewport()->cursor().shape(), Qt::IBeamCursor);
    clicked.clear();
    QTest::mouseClick(log.viewport(), Qt::LeftButton, {}, On(0, linkEnd - 1));
    EXPECT_EQ(clicked, std::vector<std::string>{"http://example.com/path/abcdef"});
  }
}

TEST_F(ChatLogViewTest, JapaneseWrapsBetweenCharactersLatinWordsStayWhole) {
  Add("日本語の文章は単語の間に空白がないのでどの文字の間でも折り返してよい");
  Add("xx abcdefghijklmnop qrstuvwxyzabcdef ghijklmnopqrstu vwxyzabcdefghij klmnopqrstuvwx yz");
  for (int width : {140, 220, 330}) {
    SCOPED_TRACE(width);
    log.resize(width, 400);
    Settle();
    const int last = static_cast<int>(log.LineText(0).size()) - 1;
    EXPECT_GT(log.CharRect(0, last).top(), log.CharRect(0, 0).top()) << "the Japanese line wrapped";
    // Each Latin word of line 1 is on one visual line, first letter to last.
    const QString latin = log.LineText(1);
    for (qsizetype at = 0; at < latin.size();) {
      const qsizetype end = latin.indexOf(u' ', at) < 0 ? latin.size() : latin.indexOf(u' ', at);
      EXPECT_EQ(log.CharRect(1, static_cast<int>(at)).top(), log.CharRect(1, static_cast<int>(end - 1)).top())
          << latin.mid(at, end - at).toStdString();
      at = end + 1;
    }
  }
}

TEST_F(ChatLogViewTest, AReaderWhoScrolledBackKeepsHisPlaceThroughAppendsAndResizes) {
  Fill(2000);
  EXPECT_TRUE(log.IsFollowingEnd());
  EXPECT_EQ(Bar()->value(), Bar()->maximum());
  const QRect lastChar = log.CharRect(1999, 0);
  EXPECT_FALSE(lastChar.isEmpty());
  EXPECT_LE(lastChar.bottom(), log.viewport()->height()) << "the newest line is on screen";

  for (int i = 0; i < 3; ++i) QTest::keyClick(&log, Qt::Key_PageUp);
  Settle();
  EXPECT_FALSE(log.IsFollowingEnd());
  const int top = log.TopLine();
  const int value = Bar()->value();
  const int y = log.CharRect(top + 1, 0).top();
  Fill(500);  // lines that wrap and get laid out below the reader
  EXPECT_EQ(log.TopLine(), top);
  EXPECT_EQ(log.CharRect(top + 1, 0).top(), y) << "not moved by a pixel";
  EXPECT_EQ(Bar()->value(), value);

  // A new width re-wraps everything; the line at the top stays the top line.
  log.resize(300, 240);
  Settle();
  EXPECT_EQ(log.TopLine(), top);
  EXPECT_FALSE(log.IsFollowingEnd());
  log.resize(480, 240);
  Settle();
  EXPECT_EQ(log.TopLine(), top);

  // Back at the end by the scroll bar: following again.
  Bar()->setValue(Bar()->maximum());
  Add("newest");
  Settle();
  EXPECT_TRUE(log.IsFollowingEnd());
  EXPECT_FALSE(log.CharRect(log.LineCount() - 1, 0).isEmpty());
}

TEST_F(ChatLogViewTest, KeysScrollByPagesAndToEitherEnd) {
  Fill(300);
  QTest::keyClick(&log, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(log.TopLine(), 0);
  EXPECT_EQ(Bar()->value(), 0);
  EXPECT_FALSE(log.IsFollowingEnd());
  Add("while reading the top");
  Settle();
  EXPECT_EQ(log.TopLine(), 0) << "a reader at the top stays there";

  const int page = Bar()->pageStep();
  ASSERT_GT(page, 0);
  QTest::keyClick(&log, Qt::Key_PageDown);
  EXPECT_EQ(Bar()->value(), page);
  QTest::keyClick(&log, Qt::Key_PageDown);
  EXPECT_EQ(Bar()->value(), 2 * page);
  QTest::keyClick(&log, Qt::Key_PageUp);
  EXPECT_EQ(Bar()->value(), page);
  EXPECT_GT(log.TopLine(), 0);

  QTest::keyClick(&log, Qt::Key_End, Qt::ControlModifier);
  EXPECT_TRUE(log.IsFollowingEnd());
  EXPECT_EQ(Bar()->value(), Bar()->maximum());
  Add("followed");
  Settle();
  EXPECT_EQ(Bar()->value(), Bar()->maximum());
  EXPECT_FALSE(log.CharRect(log.LineCount() - 1, 0).isEmpty());
}

TEST_F(ChatLogViewTest, FindGoesFromMatchToMatchRoundTheLog) {
  Add("alpha beta");
  Add("ベータ版 BETA");
  Add("gamma beta");
  Add("nothing");
  struct Step {
    const char* text;
    bool backward;
    Pos match;
  } steps[] = {
      {"beta", false, {0, 6}},   {"beta", false, {1, 5}},   // case does not matter
      {"beta", false, {2, 6}},   {"beta", false, {0, 6}},   // round to the top
      {"beta", true, {2, 6}},    {"beta", true, {1, 5}},    // and backwards
      {"ベータ", false, {1, 0}}, {"gamma", false, {2, 0}},  // a new text searches on from the match
      {"zzz", false, {-1, 0}},
  };
  for (const Step& s : steps) {
    const bool found = log.Find(QString::fromUtf8(s.text), s.backward);
    EXPECT_EQ(found, s.match.line >= 0) << s.text;
    EXPECT_EQ(log.CurrentMatch(), s.match) << s.text << (s.backward ? " backwards" : "");
  }
}

TEST_F(ChatLogViewTest, FindBarOpensWithCtrlFScrollsToTheMatchAndClosesWithEscape) {
  Add("the needle is here");
  Fill(400);
  ASSERT_TRUE(log.IsFollowingEnd());
  log.setFocus();
  QTest::keyClick(&log, Qt::Key_F, Qt::ControlModifier);
  TLogFindBar* bar = log.FindBar();
  ASSERT_TRUE(bar->isVisible());
  EXPECT_TRUE(bar->Edit()->hasFocus());

  QTest::keyClicks(bar->Edit(), QStringLiteral("NEEDLE"));
  EXPECT_EQ(log.CurrentMatch(), (Pos{0, 4}));
  EXPECT_FALSE(log.IsFollowingEnd()) << "moved to the match";
  EXPECT_FALSE(On(0, 4).isNull());
  QTest::keyClick(bar->Edit(), Qt::Key_Return);
  EXPECT_EQ(log.CurrentMatch(), (Pos{0, 4})) << "the only match, found again";

  QTest::keyClicks(bar->Edit(), QStringLiteral("x"));
  EXPECT_EQ(log.CurrentMatch().line, -1);
  EXPECT_EQ(bar->Status()->text(), QStringLiteral("見つかりません"));

  QTest::keyClick(bar->Edit(), Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(log.CurrentMatch().line, -1);
  EXPECT_TRUE(log.hasFocus());
}

TEST_F(ChatLogViewTest, ControlBytesShowAsSpacesAndTextDecodesAsCodePage932) {
  struct Row {
    std::string bytes;
    const char* shown;  // UTF-8
  } rows[] = {
      {"A\x01\x07\x1b[31mB\r\nSYSTEM > fake", "A   [31mB  SYSTEM > fake"},
      {"tab\there", "tab\there"},
      {"del\x7f!", "del !"},
      {"\\~", "\\~"},
      {"\xb1\xb2 kana", "ｱｲ kana"},
      {"\x01\x93\xfa\x96\x7b", " 日本"},
      {"end\x81", "end\xEF\xBF\xBD"},  // a lead byte cut off
      {"", ""},
  };
  for (const Row& row : rows) {
    const int before = log.LineCount();
    log.AppendLine(row.bytes, Qt::black);
    ASSERT_EQ(log.LineCount(), before + 1);
    EXPECT_EQ(log.LineText(before), QString::fromUtf8(row.shown)) << row.shown;
  }
  // A link in a line of double-byte text still covers exactly its characters.
  Add("日本 http://a.jp x");
  const int line = log.LineCount() - 1;
  int links = 0;
  for (const QTextLayout::FormatRange& r : log.LineFormats(line)) {
    if (!r.format.isAnchor()) continue;
    ++links;
    EXPECT_EQ(log.LineText(line).mid(r.start, r.length), QStringLiteral("http://a.jp"));
  }
  EXPECT_EQ(links, 1);
}

TEST_F(ChatLogViewTest, ScreenReadersReadTheWholeLogAndTheSelection) {
  Add("first");
  Add("二行目");
  Add("third line");
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&log);
  ASSERT_NE(a, nullptr);
  QAccessibleTextInterface* text = a->textInterface();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("チャットログ"));
  EXPECT_TRUE(a->state().readOnly);
  EXPECT_EQ(text->characterCount(), log.PlainText().size());
  EXPECT_EQ(text->text(0, text->characterCount()), log.PlainText());
  EXPECT_EQ(text->text(6, 9), QStringLiteral("二行目"));

  log.Select({1, 1}, {2, 5});
  int start = 0;
  int end = 0;
  ASSERT_EQ(text->selectionCount(), 1);
  text->selection(0, &start, &end);
  EXPECT_EQ(start, 7);
  EXPECT_EQ(end, 15);
  EXPECT_EQ(text->text(start, end), log.SelectedText());
  text->setSelection(0, 0, 5);
  EXPECT_EQ(log.SelectedText(), QStringLiteral("first"));
  EXPECT_EQ(text->offsetAtPoint(log.viewport()->mapToGlobal(Before(2, 3))), 13);
}

TEST_F(ChatLogViewTest, TheLinkMenuCopiesTheAddressAndOnPlainTextHasNoSuchItem) {
  Add("見て http://a.jp/ページ? www.b.jp");
  Add("plain text only");
  QMenu* menu = nullptr;
  QPoint poppedAt;
  QObject::connect(&log, &TRichEditEx::MenuPopping, [&](QMenu* m, const QPoint& at) {
    menu = m;
    poppedAt = at;
  });
  auto captions = [&] {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    menu->close();
    return out;
  };
  auto rightClick = [&](QPoint at) {
    menu = nullptr;
    QContextMenuEvent ev(QContextMenuEvent::Mouse, at, log.viewport()->mapToGlobal(at));
    QApplication::sendEvent(log.viewport(), &ev);
    EXPECT_NE(menu, nullptr);
  };
  const QString copyLink = QStringLiteral("リンクのアドレスをコピー");

  rightClick(On(1, 3));
  EXPECT_EQ(captions(), (QStringList{QStringLiteral("コピー"), QStringLiteral("-"), QStringLiteral("すべて選択")}));
  rightClick(On(0, 20));
  QAction* copy = nullptr;
  for (QAction* a : menu->actions())
    if (a->text() == copyLink) copy = a;
  ASSERT_NE(copy, nullptr);
  copy->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("www.b.jp"));
  EXPECT_EQ(captions(), (QStringList{QStringLiteral("コピー"), QStringLiteral("-"), QStringLiteral("すべて選択"),
                                     QStringLiteral("-"), copyLink}))
      << "the existing items keep their places";

  // From the keyboard (Shift+F10) the menu is about the focused link and pops at it.
  log.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&log));
  log.setFocus(Qt::TabFocusReason);
  QTest::keyClick(&log, Qt::Key_Tab);
  ASSERT_EQ(log.FocusedLinkText(), "http://a.jp/");
  menu = nullptr;
  QTest::keyClick(&log, Qt::Key_F10, Qt::ShiftModifier);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(poppedAt, log.viewport()->mapToGlobal(log.CharRect(0, 3).bottomLeft()));
  for (QAction* a : menu->actions())
    if (a->text() == copyLink) a->trigger();
  menu->close();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("http://a.jp/")) << "the link's own text";
}

TEST_F(ChatLogViewTest, AFocusedLinkIsDrawnInThePaletteSelectionColoursHoldsTheViewAndGoesWhenScrolledAway) {
  QPalette dark = log.palette();
  dark.setColor(QPalette::Base, QColor(20, 20, 24));
  dark.setColor(QPalette::Highlight, QColor(60, 110, 200));
  dark.setColor(QPalette::HighlightedText, QColor(250, 250, 250));
  log.setPalette(dark);
  Fill(300);
  Add("near the end http://a.jp/abcdefghij");
  Settle();
  log.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&log));
  log.setFocus(Qt::TabFocusReason);
  QTest::keyClick(&log, Qt::Key_Tab);
  ASSERT_EQ(log.FocusedLinkText(), "http://a.jp/abcdefghij");
  Settle();
  const QRect r = log.CharRect(300, 14).united(log.CharRect(300, 20));
  const QImage shot = log.viewport()->grab().toImage();
  int marked = 0;
  for (int x = r.left(); x <= r.right(); ++x) marked += shot.pixelColor(x, r.top()) == QColor(60, 110, 200) ? 1 : 0;
  EXPECT_GT(marked, r.width() / 2) << "the link's background is the palette's highlight";

  const int held = Bar()->value();
  for (int i = 0; i < 30; ++i) Add("more " + std::to_string(i));
  Settle();
  EXPECT_EQ(Bar()->value(), held) << "new lines do not move the focused link away";
  EXPECT_TRUE(log.HasFocusedLink());

  for (int i = 0; i < 3; ++i) QTest::keyClick(&log, Qt::Key_PageUp);
  Settle();
  EXPECT_FALSE(log.HasFocusedLink()) << "scrolled off screen, the link loses the focus";
  QTest::keyClick(&log, Qt::Key_End, Qt::ControlModifier);
  Settle();
  EXPECT_EQ(Bar()->value(), Bar()->maximum());
  Add("last");
  Settle();
  EXPECT_EQ(Bar()->value(), Bar()->maximum()) << "and the log follows new lines again";
}

TEST_F(ChatLogViewTest, AScreenReaderReadsTheFocusedLinkAsTheSelection) {
  Add("first");
  Add("go http://a.jp/ now");
  log.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&log));
  log.setFocus(Qt::TabFocusReason);
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&log);
  ASSERT_NE(face, nullptr);
  QAccessibleTextInterface* text = face->textInterface();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->selectionCount(), 0);
  QTest::keyClick(&log, Qt::Key_Tab);
  ASSERT_EQ(text->selectionCount(), 1);
  int start = 0;
  int end = 0;
  text->selection(0, &start, &end);
  EXPECT_EQ(start, 9) << "\"first\", a line feed, \"go \"";
  EXPECT_EQ(text->text(start, end), QStringLiteral("http://a.jp/"));
  EXPECT_EQ(text->cursorPosition(), end);
  QTest::keyClick(&log, Qt::Key_Escape);
  EXPECT_EQ(text->selectionCount(), 0) << "Escape leaves the link";
}
