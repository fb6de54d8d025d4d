#pragma once
// The chat log: a read-only view that is only ever appended to, one line at a
// time, each line in one colour. Web addresses in a line are shown as links and
// a click on one with the left button is reported with the link's text.
//
// The log is never trimmed, so it is a view of our own over a compact line store
// (LogStore): only the lines on screen are laid out, each with a QTextLayout kept
// in a small cache while it stays near the screen. Every other line has a height
// estimated from its length until it is laid out; the view is anchored on a line
// and an offset into it, so a corrected estimate never moves what the reader sees.
//
// Lines are server text, shown as plain text. While the view is at its end it
// follows new lines; a reader who scrolled back stays where he is; a mouse button
// held in the log holds the view. Appending only stores the line: the scroll bar,
// the following and the painting catch up once per frame of the screen.

#include <QAbstractScrollArea>
#include <QCache>
#include <QColor>
#include <QHash>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chat/log_heights.h"
#include "chat/log_store.h"

class QMenu;
class TLogFindBar;

class TRichEditEx : public QAbstractScrollArea {
  Q_OBJECT
 public:
  // A place in the text: line and column (UTF-16 units of the line's text).
  struct TextPos {
    int line = 0;
    int column = 0;
    auto operator<=>(const TextPos&) const = default;
  };

  explicit TRichEditEx(QWidget* parent = nullptr);
  ~TRichEditEx() override;

  // Appends one line (code page 932 bytes, without line end) in colour. Control
  // bytes in it show as spaces, so one call is always one line of the log. A
  // marked line (it names the player) is drawn on a band of the palette's
  // highlight colour.
  void AppendLine(std::string_view cp932Line, const QColor& color, bool marked = false);
  // Number of lines appended so far.
  int LineCount() const { return store_.Count(); }

  // Link detection on lines appended from now on (on at creation).
  bool GetAutoURLDetect() const { return autoUrlDetect_; }
  void SetAutoURLDetect(bool on) { autoUrlDetect_ = on; }

  // The text (CP932 bytes) of the link under the viewport point, empty when none.
  std::string LinkAt(const QPoint& viewportPos) const;
  // True while the view follows new lines (it was at its end at the last look).
  bool IsFollowingEnd() const { return following_; }

  // What the log holds and how a line is drawn.
  QString LineText(int line) const { return store_.Text(line); }
  int LineLength(int line) const { return store_.Length(line); }  // in UTF-16 units
  QColor LineColor(int line) const { return store_.Color(line); }
  bool IsLineMarked(int line) const { return store_.IsMarked(line); }
  // The background of a marked line: the palette's highlight a quarter over its base.
  QColor MarkBackground() const;
  // Every line, joined by line feeds.
  QString PlainText() const;
  // The character formats line i is drawn with (colour, links), without the
  // selection and the find marks.
  QList<QTextLayout::FormatRange> LineFormats(int line) const;
  // The character at column of line in viewport coordinates; empty when that
  // line is not on screen.
  QRect CharRect(int line, int column) const;
  // First line shown at the top of the view.
  int TopLine() const { return topLine_; }
  // True while appended lines or a move still wait for the next frame.
  bool HasPendingUpdate() const { return frameTimer_.isActive(); }

  // Selection (never reaches the clipboard by itself, except the X11 selection).
  bool HasSelection() const { return selAnchor_ != selCursor_; }
  QString SelectedText() const;
  // The selection's ends in text order.
  std::pair<TextPos, TextPos> SelectionRange() const { return std::minmax(selAnchor_, selCursor_); }
  void Select(TextPos from, TextPos to);
  void SelectAll();
  void ClearSelection();
  void Copy() const;

  // Scrolling: the top, and the end (which follows new lines again).
  void ScrollToTop();
  void ScrollToEnd();
  // Brings the line into view unless it is already wholly on screen.
  void EnsureLineVisible(int line);

  // Find (Ctrl+F): the bar, and the search it runs. Find moves to the next (or
  // previous) occurrence after the current one, wrapping round the log, and
  // returns false when the text occurs nowhere.
  void OpenFindBar();
  TLogFindBar* FindBar() const { return findBar_; }
  bool Find(const QString& text, bool backward = false);
  // The occurrence Find last moved to; line -1 when none.
  TextPos CurrentMatch() const { return match_; }
  int CurrentMatchLength() const { return static_cast<int>(findText_.size()); }
  void ClearFind();

  // Position in the text of a viewport point (the nearest place between
  // characters); for the accessible view and tests.
  TextPos PositionAt(const QPoint& viewportPos) const;

  // Links by keyboard: with the log focused, Tab and Shift+Tab step through the
  // links on screen, top to bottom (past the last one Tab leaves the log, and
  // Shift+Tab before the first returns to the log itself, then leaves it); Enter
  // opens the focused link as a left click does. While the log has the focus a
  // focused link holds the view as a held mouse button does; one that the reader
  // scrolls off screen loses the focus.
  bool HasFocusedLink() const { return focusedLink_.line >= 0; }
  // The focused link's text (CP932 bytes), empty when none.
  std::string FocusedLinkText() const;
  // Where the focused link is in the text; meaningful only with one focused.
  std::pair<TextPos, TextPos> FocusedLinkRange() const;

 Q_SIGNALS:
  // A link was clicked with the left button (pressed and released on the same link
  // without selecting text), or Enter was pressed on the focused link; urlText is
  // the link's text in CP932 bytes. menuPos is where a menu about the link pops
  // up: the pointer for a click, the link itself for the keyboard.
  void URLClick(const std::string& urlText, const QPoint& menuPos);
  // The context menu is about to pop up (tests watch it instead of a real popup).
  void MenuPopping(QMenu* menu, const QPoint& globalPos);

 protected:
  bool event(QEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  struct LinkRef {  // a link of the log; line -1 for none
    int line = -1;
    int index = -1;  // in the line's links
    auto operator<=>(const LinkRef&) const = default;
  };
  struct Hit {
    TextPos pos;          // between characters, for selecting
    int charColumn = -1;  // the character under the point, -1 over no text
  };

  void RebuildHeights();
  int EstimateHeight(int line) const;
  int TextWidth() const;

  QTextLayout* LayoutOf(int line) const;  // laid out and cached; corrects the height
  // The one walk over the lines on screen: from the anchor line down, each laid
  // out, visit(line, top, height, layout) until it returns false or the lines
  // reach `bottom` (the viewport's height when -1). Painting, hit-testing and
  // character boxes all take their lines from it, so they agree on where a line is.
  template <class Visit>
  void ForEachVisibleLine(Visit visit, int bottom = -1) const;
  void InvalidateLayouts();
  // A line's colour as drawn on the current background (lightened on a dark
  // one), or on the band of a marked line.
  QColor ShownColor(const QColor& color, bool marked) const;

  void UpdateMetrics();
  void ScheduleFrame();
  void Frame();
  void NotifyAccessible();
  void AnchorToEnd();
  void SyncScrollBar();
  bool AtEnd() const;
  void ReleaseHold();
  void SetAnchorFromScrollValue(int value);
  // Moves the view so that content y pixels from the log's top shows a third of
  // the way down, so that what comes after it shows too.
  void ShowAThirdDown(int64_t y);
  // The link focused with the keyboard is drawn, and holds the view, only while
  // the log has the focus.
  bool ShowsFocusedLink() const { return HasFocusedLink() && hasFocus(); }

  Hit HitAt(const QPoint& viewportPos) const;
  LinkRef LinkRefAt(const QPoint& viewportPos) const;  // none over no link
  LogStore::Link LinkOf(LinkRef link) const;
  QString LinkAddress(LinkRef link) const;
  std::string LinkText(LinkRef link) const;
  QString Range(TextPos from, TextPos to) const;
  void SetSelectionCursor(TextPos pos);
  void AutoScrollStep();
  QMenu* BuildContextMenu(LinkRef link);

  // Links by keyboard (rich_edit_ex_links.cpp).
  std::vector<LinkRef> LinksOnScreen() const;
  bool StepLink(bool forward);  // false: past the end, the focus leaves the log
  void FocusLink(LinkRef link);
  void DropFocusedLink();
  void DropFocusedLinkIfHidden();
  QRect LinkRect(LinkRef link) const;  // its first and last characters, viewport coordinates
  QPoint LinkMenuPos(LinkRef link) const;
  void ActivateFocusedLink();

  LogStore store_;
  mutable LogHeights heights_;  // laid out or estimated, per line
  int lineHeight_ = 16;         // one text line in the current font
  int averageCharWidth_ = 7;
  int layoutWidth_ = -1;  // width the heights were found for
  mutable QCache<int, QTextLayout> layouts_;
  mutable QHash<QRgb, QColor> shownColors_;   // a line colour as drawn on this palette's background
  mutable QHash<QRgb, QColor> markedColors_;  // the same on a marked line's band
  mutable bool heightsChanged_ = false;

  int topLine_ = 0;  // the view's anchor: this line, topOffset_ pixels into it
  int topOffset_ = 0;
  bool following_ = true;
  bool syncing_ = false;  // our own scroll bar update, not the reader's move
  QTimer frameTimer_;
  QTimer autoScroll_;
  int autoScrollDirection_ = 0;

  bool autoUrlDetect_ = true;
  bool holding_ = false;  // the left button is down in the log
  LinkRef pressedLink_;   // pressed with the left button
  LinkRef focusedLink_;
  TextPos selAnchor_;
  TextPos selCursor_;
  QPoint lastMousePos_;

  int accessibleLines_ = 0;  // lines a screen reader has been told of

  TLogFindBar* findBar_ = nullptr;
  QString findText_;
  TextPos match_{-1, 0};
};
