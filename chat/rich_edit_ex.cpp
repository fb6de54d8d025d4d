#include "chat/rich_edit_ex.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <string>

#include "chat/link_scan.h"
#include "platform/qt_text.h"

TRichEditEx::TRichEditEx(QWidget* parent) : QTextBrowser(parent) {
  setReadOnly(true);
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setUndoRedoEnabled(false);
  document()->setUndoRedoEnabled(false);
  // Links are ours to report: the text control only selects and copies.
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setLineWrapMode(QTextEdit::WidgetWidth);
  viewport()->setMouseTracking(true);
  // Chat runs left to right; a fixed direction spares the layout a scan of every
  // new line for its direction.
  QTextOption option = document()->defaultTextOption();
  option.setTextDirection(Qt::LeftToRight);
  document()->setDefaultTextOption(option);
  end_ = QTextCursor(document());

  QScrollBar* bar = verticalScrollBar();
  // A move that is not ours is the reader's: he follows new lines again only once
  // he is back at the end.
  connect(bar, &QScrollBar::valueChanged, this, [this] {
    if (!scrolling_) following_ = AtEnd();
  });
  // The layout may grow after the line was added (wrapping, a resize): keep
  // following.
  connect(bar, &QScrollBar::rangeChanged, this, [this] {
    if (following_) ScheduleScroll();
  });
}

namespace {

// Control bytes of a received line as spaces: a line break would start a log
// line of its own that seems to come from someone else, and the others have
// nothing to show. No CP932 trail byte is below 0x40, so bytes are safe to test
// one by one.
bool IsControlByte(char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F; }

std::string_view WithoutControls(std::string_view line, std::string& storage) {
  if (std::none_of(line.begin(), line.end(), IsControlByte)) return line;
  storage.assign(line);
  std::replace_if(storage.begin(), storage.end(), IsControlByte, ' ');
  return storage;
}

}  // namespace

bool TRichEditEx::AtEnd() const {
  const QScrollBar* bar = verticalScrollBar();
  return bar->pageStep() == 0 || bar->maximum() <= bar->minimum() || bar->value() >= bar->maximum();
}

void TRichEditEx::AppendLine(std::string_view received, const QColor& color) {
  std::string cleaned;
  const std::string_view line = WithoutControls(received, cleaned);
  // Decide before the text grows whether the reader is at the end. A scroll that is
  // still pending counts as being there.
  if (!scrollPending_ && !holding_) following_ = AtEnd();

  QTextCharFormat plain;
  plain.setForeground(color);
  QTextCharFormat link = plain;
  link.setAnchor(true);
  link.setFontUnderline(true);

  // The log's own cursor stays at the end: only AppendLine inserts, and moving a
  // cursor there would lay out the last line again for its x position.
  QTextCursor& cursor = end_;
  cursor.beginEditBlock();
  if (lines_ > 0) cursor.insertBlock();
  size_t at = 0;
  if (autoUrlDetect_) {
    for (const LinkRange& r : FindLinks(line)) {
      if (r.begin > at) cursor.insertText(ToQString(line.substr(at, r.begin - at)), plain);
      cursor.insertText(ToQString(line.substr(r.begin, r.length)), link);
      at = r.begin + r.length;
    }
  }
  if (at < line.size() || line.empty()) cursor.insertText(ToQString(line.substr(at)), plain);
  cursor.endEditBlock();
  ++lines_;

  if (following_) ScheduleScroll();
}

void TRichEditEx::ScheduleScroll() {
  if (scrollPending_) return;
  scrollPending_ = true;
  QTimer::singleShot(0, this, &TRichEditEx::ScrollToEnd);
}

void TRichEditEx::ScrollToEnd() {
  scrollPending_ = false;
  if (!following_) return;
  // A button held in the log is a click or a selection in progress: moving the text
  // under the pointer would turn a click on a link into a miss. Catch up on release.
  if (holding_) {
    scrollAfterRelease_ = true;
    return;
  }
  QScrollBar* bar = verticalScrollBar();
  scrolling_ = true;
  bar->setValue(bar->maximum());
  scrolling_ = false;
}

int TRichEditEx::LinkPositionAt(const QPoint& viewportPos) const {
  const QPointF docPos(viewportPos.x() + horizontalScrollBar()->value(),
                       viewportPos.y() + verticalScrollBar()->value());
  const int pos = document()->documentLayout()->hitTest(docPos, Qt::ExactHit);
  if (pos < 0) return -1;
  const QTextBlock block = document()->findBlock(pos);
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment f = it.fragment();
    if (f.isValid() && f.contains(pos)) return f.charFormat().isAnchor() ? f.position() : -1;
  }
  return -1;
}

std::string TRichEditEx::LinkTextAround(int position) const {
  const QTextBlock block = document()->findBlock(position);
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment f = it.fragment();
    if (f.isValid() && f.position() == position && f.charFormat().isAnchor()) return ToCp932Lossy(f.text());
  }
  return {};
}

std::string TRichEditEx::LinkAt(const QPoint& viewportPos) const {
  const int pos = LinkPositionAt(viewportPos);
  return pos < 0 ? std::string() : LinkTextAround(pos);
}

void TRichEditEx::ReleaseHold() {
  holding_ = false;
  if (scrollAfterRelease_ && following_) ScheduleScroll();
  scrollAfterRelease_ = false;
}

void TRichEditEx::hideEvent(QHideEvent* e) {
  // A release that never comes (the tab went away under the button) must not stop
  // the log from following.
  ReleaseHold();
  QTextBrowser::hideEvent(e);
}

void TRichEditEx::mousePressEvent(QMouseEvent* e) {
  pressedLink_ = e->button() == Qt::LeftButton ? LinkPositionAt(e->position().toPoint()) : -1;
  if (e->button() == Qt::LeftButton) holding_ = true;
  QTextBrowser::mousePressEvent(e);
}

void TRichEditEx::mouseMoveEvent(QMouseEvent* e) {
  QTextBrowser::mouseMoveEvent(e);
  const bool overLink = e->buttons() == Qt::NoButton && LinkPositionAt(e->position().toPoint()) >= 0;
  viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

void TRichEditEx::mouseReleaseEvent(QMouseEvent* e) {
  QTextBrowser::mouseReleaseEvent(e);
  const int pressed = pressedLink_;
  pressedLink_ = -1;
  if (e->button() == Qt::LeftButton) ReleaseHold();
  if (e->button() != Qt::LeftButton || pressed < 0) return;
  // A drag that selected text is a selection, not a click.
  if (textCursor().hasSelection()) return;
  if (LinkPositionAt(e->position().toPoint()) != pressed) return;
  const std::string text = LinkTextAround(pressed);
  if (!text.empty()) Q_EMIT URLClick(text);
}
