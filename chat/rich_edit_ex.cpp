#include "chat/rich_edit_ex.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTextLine>
#include <algorithm>
#include <climits>
#include <cmath>

#include "chat/log_accessible.h"
#include "chat/log_find_bar.h"
#include "platform/qt_text.h"

namespace {

constexpr int Margin = 3;              // left and right of the text
constexpr int LayoutCacheLines = 384;  // more than a tall screen shows

}  // namespace

TRichEditEx::TRichEditEx(QWidget* parent) : QAbstractScrollArea(parent), layouts_(LayoutCacheLines) {
  InstallLogAccessibleFactory();
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  UpdateMetrics();

  frameTimer_.setSingleShot(true);
  frameTimer_.setTimerType(Qt::PreciseTimer);
  connect(&frameTimer_, &QTimer::timeout, this, &TRichEditEx::Frame);
  autoScroll_.setInterval(40);
  connect(&autoScroll_, &QTimer::timeout, this, &TRichEditEx::AutoScrollStep);

  // A move that is not ours is the reader's: he follows new lines again only once
  // he is back at the end.
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (syncing_) return;
    SetAnchorFromScrollValue(value);
    following_ = AtEnd();
    DropFocusedLinkIfHidden();
    viewport()->update();
  });

  findBar_ = new TLogFindBar(this);
  findBar_->hide();
}

TRichEditEx::~TRichEditEx() = default;

// ---- heights ---------------------------------------------------------------

int TRichEditEx::TextWidth() const { return std::max(24, viewport()->width() - 2 * Margin); }

int TRichEditEx::EstimateHeight(int line) const {
  // Until a line is laid out its height is guessed from its length; CJK
  // characters take about twice the width of Latin ones.
  const int64_t chars = store_.Length(line);
  const int64_t width = store_.IsNarrow(line) ? chars * averageCharWidth_ : chars * averageCharWidth_ * 9 / 5;
  const int64_t rows = std::max<int64_t>(1, (width + TextWidth() - 1) / TextWidth());
  return static_cast<int>(std::min<int64_t>(rows * lineHeight_, 30000));
}

void TRichEditEx::RebuildHeights() {
  heights_.Rebuild(LineCount(), [this](int line) { return EstimateHeight(line); });
  layoutWidth_ = TextWidth();
}

void TRichEditEx::InvalidateLayouts() { layouts_.clear(); }

QTextLayout* TRichEditEx::LayoutOf(int line) const {
  if (QTextLayout* cached = layouts_.object(line)) return cached;
  auto* layout = new QTextLayout(store_.Text(line), font());
  QTextOption option(Qt::AlignLeft);
  // Japanese wraps between any two characters, a Latin word stays whole unless
  // it is wider than the view.
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  option.setTextDirection(Qt::LeftToRight);
  layout->setTextOption(option);
  layout->setFormats(LineFormats(line));
  layout->setCacheEnabled(true);
  layout->beginLayout();
  qreal y = 0;
  for (;;) {
    QTextLine l = layout->createLine();
    if (!l.isValid()) break;
    l.setLineWidth(TextWidth());
    l.setPosition(QPointF(0, y));
    y += l.height();
  }
  layout->endLayout();
  const int height = std::max(lineHeight_, static_cast<int>(std::ceil(y)));
  if (height != heights_.Height(line)) {
    heights_.Set(line, height);
    heightsChanged_ = true;
  }
  layouts_.insert(line, layout);
  return layout;
}

// ---- appending and the frame --------------------------------------------------

template <class Visit>
void TRichEditEx::ForEachVisibleLine(Visit visit, int bottom) const {
  if (bottom < 0) bottom = viewport()->height();
  const int n = LineCount();
  int y = -topOffset_;
  for (int i = topLine_; i < n && y < bottom; ++i) {
    QTextLayout* layout = LayoutOf(i);
    const int h = heights_.Height(i);
    if (!visit(i, y, h, layout)) return;
    y += h;
  }
}

void TRichEditEx::AppendLine(std::string_view received, const QColor& color, bool marked) {
  const int line = store_.Append(received, color, autoUrlDetect_, marked);
  heights_.Push(EstimateHeight(line));
  ScheduleFrame();
}

void TRichEditEx::ScheduleFrame() {
  if (frameTimer_.isActive()) return;
  const QScreen* s = screen();
  const qreal rate = s != nullptr && s->refreshRate() > 1 ? s->refreshRate() : 60.0;
  frameTimer_.start(std::max(4, static_cast<int>(1000.0 / rate)));
}

void TRichEditEx::AnchorToEnd() {
  int remaining = viewport()->height();
  for (int i = LineCount() - 1; i >= 0; --i) {
    LayoutOf(i);
    const int h = heights_.Height(i);
    if (h >= remaining) {
      topLine_ = i;
      topOffset_ = h - remaining;
      return;
    }
    remaining -= h;
  }
  topLine_ = 0;
  topOffset_ = 0;
}

void TRichEditEx::Frame() {
  frameTimer_.stop();
  // A log in a tab that is not shown only stores its lines; it catches up when
  // it is shown.
  if (!isVisible()) return;
  // A button held in the log is a click or a selection in progress: moving the
  // text under the pointer would turn a click on a link into a miss; a link
  // focused with the keyboard is held the same way while the log has the focus.
  if (following_ && !holding_ && !ShowsFocusedLink()) AnchorToEnd();
  if (layoutWidth_ != TextWidth()) RebuildHeights();
  const int n = LineCount();
  if (topLine_ >= n) topLine_ = std::max(0, n - 1), topOffset_ = 0;
  // Lay out what is on screen first, so the scroll bar counts its true heights.
  ForEachVisibleLine([](int, int, int, QTextLayout*) { return true; });
  heightsChanged_ = false;
  if (n > 0) topOffset_ = std::min(topOffset_, heights_.Height(topLine_) - 1);
  SyncScrollBar();
  DropFocusedLinkIfHidden();
  viewport()->update();
  NotifyAccessible();
}

void TRichEditEx::NotifyAccessible() {
  // A screen reader hears new lines as text inserted at the end of the log.
  const int n = LineCount();
  if (!QAccessible::isActive() || n <= accessibleLines_) {
    accessibleLines_ = n;
    return;
  }
  const int from = accessibleLines_;
  accessibleLines_ = n;
  QString inserted = Range({from, 0}, {n - 1, store_.Length(n - 1)});
  if (from > 0) inserted.prepend(QLatin1Char('\n'));
  QAccessibleInterface* self = QAccessible::queryAccessibleInterface(this);
  if (self == nullptr || self->textInterface() == nullptr) return;
  const int position = self->textInterface()->characterCount() - static_cast<int>(inserted.size());
  QAccessibleTextInsertEvent event(this, position, inserted);
  QAccessible::updateAccessibility(&event);
}

void TRichEditEx::SyncScrollBar() {
  QScrollBar* bar = verticalScrollBar();
  const int page = viewport()->height();
  const int64_t max = std::clamp<int64_t>(heights_.Total() - page, 0, INT_MAX);
  int64_t value = heights_.Above(topLine_) + topOffset_;
  if (value > max) {
    SetAnchorFromScrollValue(static_cast<int>(max));
    value = max;
  }
  syncing_ = true;
  bar->setPageStep(page);
  bar->setSingleStep(lineHeight_);
  bar->setRange(0, static_cast<int>(max));
  bar->setValue(static_cast<int>(value));
  syncing_ = false;
}

void TRichEditEx::SetAnchorFromScrollValue(int value) {
  topLine_ = heights_.LineAt(value);
  topOffset_ = LineCount() == 0 ? 0 : static_cast<int>(value - heights_.Above(topLine_));
}

bool TRichEditEx::AtEnd() const {
  const QScrollBar* bar = verticalScrollBar();
  return bar->value() >= bar->maximum();
}

void TRichEditEx::scrollContentsBy(int, int) {
  // The view paints from its anchor; the scroll bar handler moves it.
}

void TRichEditEx::ScrollToTop() {
  topLine_ = 0;
  topOffset_ = 0;
  following_ = false;
  Frame();
  following_ = AtEnd();
}

void TRichEditEx::ScrollToEnd() {
  following_ = true;
  Frame();
}

void TRichEditEx::EnsureLineVisible(int line) {
  if (line < 0 || line >= LineCount()) return;
  bool whole = false;
  ForEachVisibleLine([&](int i, int top, int h, QTextLayout*) {
    if (i < line) return true;
    whole = i == line && top >= 0 && top + h <= viewport()->height();
    return false;
  });
  if (!whole) ShowAThirdDown(heights_.Above(line));
}

void TRichEditEx::ShowAThirdDown(int64_t y) {
  SetAnchorFromScrollValue(static_cast<int>(std::clamp<int64_t>(y - viewport()->height() / 3, 0, INT_MAX)));
  following_ = false;
  Frame();
  following_ = AtEnd();
}

void TRichEditEx::ReleaseHold() {
  holding_ = false;
  if (following_) ScheduleFrame();
}

void TRichEditEx::hideEvent(QHideEvent* e) {
  // A release that never comes (the tab went away under the button) must not stop
  // the log from following.
  ReleaseHold();
  autoScroll_.stop();
  QAbstractScrollArea::hideEvent(e);
}

void TRichEditEx::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  // A new width wraps every line anew: laid-out lines are dropped and the rest
  // keep estimates until they show; the anchor line stays at the top.
  if (layoutWidth_ != TextWidth()) {
    InvalidateLayouts();
    RebuildHeights();
  }
  const QRect vp = viewport()->geometry();
  findBar_->adjustSize();
  findBar_->move(vp.right() - findBar_->width() - 4, vp.top() + 4);
  Frame();
}

void TRichEditEx::UpdateMetrics() {
  const QFontMetrics fm(font());
  lineHeight_ = std::max(1, fm.height());
  averageCharWidth_ = std::max(1, fm.averageCharWidth());
  InvalidateLayouts();
  layoutWidth_ = -1;  // every height is estimated again at the next frame
}

void TRichEditEx::changeEvent(QEvent* e) {
  QAbstractScrollArea::changeEvent(e);
  if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) {
    UpdateMetrics();
    Frame();
  }
  if (e->type() == QEvent::PaletteChange) {
    // The lines' colours are chosen for the background: lay them out anew.
    shownColors_.clear();
    markedColors_.clear();
    InvalidateLayouts();
    viewport()->update();
  }
}

QColor TRichEditEx::ShownColor(const QColor& color, bool marked) const {
  // Every line that is laid out asks; a log holds a handful of colours, so
  // each is worked out once per palette.
  QHash<QRgb, QColor>& cache = marked ? markedColors_ : shownColors_;
  if (const auto it = cache.constFind(color.rgb()); it != cache.constEnd()) return *it;
  const QColor result = ReadableOn(color, marked ? MarkBackground() : palette().color(QPalette::Base));
  cache.insert(color.rgb(), result);
  return result;
}

QColor TRichEditEx::MarkBackground() const {
  // Opaque, so the ink can be chosen to read on it as on the base.
  return Blended(palette().color(QPalette::Highlight), palette().color(QPalette::Base), 1, 4);
}

void TRichEditEx::showEvent(QShowEvent* e) {
  QAbstractScrollArea::showEvent(e);
  Frame();
}

// ---- painting ---------------------------------------------------------------

QList<QTextLayout::FormatRange> TRichEditEx::LineFormats(int line) const {
  QList<QTextLayout::FormatRange> out;
  QTextCharFormat plain;
  plain.setForeground(ShownColor(store_.Color(line), store_.IsMarked(line)));
  QTextCharFormat link = plain;
  link.setFontUnderline(true);
  link.setAnchor(true);
  int at = 0;
  for (const LogStore::Link& l : store_.Links(line)) {
    const int begin = static_cast<int>(l.begin);
    if (begin > at) out.append({at, begin - at, plain});
    out.append({begin, static_cast<int>(l.length), link});
    at = begin + static_cast<int>(l.length);
  }
  const int length = store_.Length(line);
  if (at < length || out.isEmpty()) out.append({at, length - at, plain});
  return out;
}

void TRichEditEx::paintEvent(QPaintEvent* e) {
  QPainter p(viewport());
  const QRect area = e->rect();
  p.fillRect(area, palette().base());
  const auto [selFrom, selTo] = std::minmax(selAnchor_, selCursor_);
  QTextCharFormat selected;
  selected.setBackground(palette().highlight());
  selected.setForeground(palette().highlightedText());
  // The link focused with the keyboard in the palette's selection colours, which
  // the palette makes readable on its own background, light or dark.
  const bool showFocusedLink = ShowsFocusedLink();
  QTextCharFormat focusedLink = selected;
  focusedLink.setFontUnderline(true);
  QTextCharFormat found;
  QTextCharFormat current;
  if (IsDarkBackground(palette().color(QPalette::Base))) {
    // On a dark background the marks take the palette's highlight: the current
    // match in full, the others half blended into the background.
    const QColor hi = palette().color(QPalette::Highlight);
    found.setBackground(Blended(hi, palette().color(QPalette::Base), 1, 2));
    current.setBackground(hi);
    current.setForeground(palette().color(QPalette::HighlightedText));
  } else {
    found.setBackground(QColor(255, 230, 90));
    current.setBackground(QColor(255, 150, 50));
  }

  const QColor band = MarkBackground();

  ForEachVisibleLine([&](int i, int y, int h, QTextLayout* layout) {
    if (y + h > area.top() && y <= area.bottom()) {
      QList<QTextLayout::FormatRange> marks;
      if (!findText_.isEmpty()) {
        const int len = static_cast<int>(findText_.size());
        for (int c = store_.Find(i, findText_, 0); c >= 0; c = store_.Find(i, findText_, c + len)) {
          marks.append({c, len, (match_.line == i && match_.column == c) ? current : found});
        }
      }
      if (HasSelection() && i >= selFrom.line && i <= selTo.line) {
        const int from = i == selFrom.line ? selFrom.column : 0;
        const int to = i == selTo.line ? selTo.column : store_.Length(i);
        if (to > from) marks.append({from, to - from, selected});
      }
      if (store_.IsMarked(i)) p.fillRect(QRect(0, y, viewport()->width(), h), band);
      if (showFocusedLink && i == focusedLink_.line) {
        const LogStore::Link l = LinkOf(focusedLink_);
        marks.append({static_cast<int>(l.begin), static_cast<int>(l.length), focusedLink});
      }
      layout->draw(&p, QPointF(Margin, y), marks);
    }
    return true;
  });
  // Lines laid out only now may have other heights than their estimates: the
  // scroll bar learns them at the next frame.
  if (heightsChanged_) {
    heightsChanged_ = false;
    ScheduleFrame();
  }
}

// ---- hit testing ----------------------------------------------------------------

TRichEditEx::Hit TRichEditEx::HitAt(const QPoint& pos) const {
  Hit hit;
  const int n = LineCount();
  if (n == 0) return hit;
  // A point below the view (a selection dragged out of it) walks on to its line.
  int i = -1;
  int y = 0;
  const QTextLayout* layout = nullptr;
  ForEachVisibleLine(
      [&](int line, int top, int h, QTextLayout* l) {
        if (pos.y() >= top + h) return true;
        i = line, y = top, layout = l;
        return false;
      },
      std::max(viewport()->height(), pos.y() == INT_MAX ? INT_MAX : pos.y() + 1));
  if (layout == nullptr) {
    hit.pos = {n - 1, store_.Length(n - 1)};
    return hit;
  }
  const qreal ly = pos.y() - y;
  const qreal x = pos.x() - Margin;
  QTextLine tl = layout->lineAt(0);
  for (int k = 0; k < layout->lineCount(); ++k) {
    const QTextLine l = layout->lineAt(k);
    tl = l;
    if (ly < l.y() + l.height()) break;
  }
  hit.pos = {i, tl.xToCursor(x, QTextLine::CursorBetweenCharacters)};
  const bool inside = ly >= 0 && ly < tl.y() + tl.height() && ly >= tl.y();
  if (inside && x >= 0 && x < tl.naturalTextWidth() && tl.textLength() > 0) {
    hit.charColumn =
        std::clamp(tl.xToCursor(x, QTextLine::CursorOnCharacter), tl.textStart(), tl.textStart() + tl.textLength() - 1);
  }
  return hit;
}

TRichEditEx::TextPos TRichEditEx::PositionAt(const QPoint& viewportPos) const { return HitAt(viewportPos).pos; }

TRichEditEx::LinkRef TRichEditEx::LinkRefAt(const QPoint& pos) const {
  const Hit hit = HitAt(pos);
  if (hit.charColumn < 0) return {};
  const auto links = store_.Links(hit.pos.line);
  for (size_t k = 0; k < links.size(); ++k) {
    const auto begin = static_cast<int>(links[k].begin);
    if (hit.charColumn >= begin && hit.charColumn < begin + static_cast<int>(links[k].length)) {
      return {hit.pos.line, static_cast<int>(k)};
    }
  }
  return {};
}

LogStore::Link TRichEditEx::LinkOf(LinkRef link) const {
  return store_.Links(link.line)[static_cast<size_t>(link.index)];
}

QString TRichEditEx::LinkAddress(LinkRef link) const {
  const LogStore::Link l = LinkOf(link);
  return store_.Mid(link.line, static_cast<int>(l.begin), static_cast<int>(l.length));
}

std::string TRichEditEx::LinkText(LinkRef link) const { return ToCp932Lossy(LinkAddress(link)); }

std::string TRichEditEx::LinkAt(const QPoint& viewportPos) const {
  const LinkRef link = LinkRefAt(viewportPos);
  return link.line < 0 ? std::string() : LinkText(link);
}

QRect TRichEditEx::CharRect(int line, int column) const {
  int y = 0;
  const QTextLayout* layout = nullptr;
  ForEachVisibleLine([&](int i, int top, int, QTextLayout* l) {
    if (i < line) return true;
    if (i == line) y = top, layout = l;
    return false;
  });
  if (layout == nullptr) return {};
  const QTextLine tl = layout->lineForTextPosition(column);
  if (!tl.isValid()) return {};
  const qreal x1 = tl.cursorToX(column);
  qreal x2 = column + 1 <= tl.textStart() + tl.textLength() ? tl.cursorToX(column + 1) : x1;
  if (x2 <= x1) x2 = x1 + averageCharWidth_;
  return QRectF(Margin + x1, y + tl.y(), x2 - x1, tl.height()).toAlignedRect();
}

std::vector<TRichEditEx::LinkRef> TRichEditEx::LinksOnScreen() const {
  std::vector<LinkRef> out;
  const int bottom = viewport()->height();
  ForEachVisibleLine([&](int i, int top, int, QTextLayout* layout) {
    const auto links = store_.Links(i);
    auto shows = [&](int column) {
      const QTextLine tl = layout->lineForTextPosition(column);
      return tl.isValid() && top + tl.y() + tl.height() > 0 && top + tl.y() < bottom;
    };
    for (size_t k = 0; k < links.size(); ++k) {
      const auto begin = static_cast<int>(links[k].begin);
      // A link wrapped over the top or bottom edge counts while a part shows.
      if (shows(begin) || shows(begin + static_cast<int>(links[k].length) - 1)) {
        out.push_back({i, static_cast<int>(k)});
      }
    }
    return true;
  });
  return out;
}

// ---- selection --------------------------------------------------------------------

QString TRichEditEx::Range(TextPos from, TextPos to) const {
  QString out;
  for (int i = from.line; i <= to.line && i < LineCount(); ++i) {
    const int a = i == from.line ? from.column : 0;
    const int b = i == to.line ? to.column : store_.Length(i);
    if (i > from.line) out += QLatin1Char('\n');
    out += store_.Mid(i, a, std::max(0, b - a));
  }
  return out;
}

QString TRichEditEx::SelectedText() const {
  if (!HasSelection()) return {};
  const auto [from, to] = std::minmax(selAnchor_, selCursor_);
  return Range(from, to);
}

QString TRichEditEx::PlainText() const {
  const int n = LineCount();
  return n == 0 ? QString() : Range({0, 0}, {n - 1, store_.Length(n - 1)});
}

void TRichEditEx::Select(TextPos from, TextPos to) {
  selAnchor_ = from;
  selCursor_ = to;
  viewport()->update();
}

void TRichEditEx::SelectAll() {
  const int n = LineCount();
  if (n > 0) Select({0, 0}, {n - 1, store_.Length(n - 1)});
}

void TRichEditEx::ClearSelection() { Select(selCursor_, selCursor_); }

void TRichEditEx::Copy() const {
  if (HasSelection()) QApplication::clipboard()->setText(SelectedText());
}

void TRichEditEx::SetSelectionCursor(TextPos pos) {
  if (pos == selCursor_) return;
  selCursor_ = pos;
  viewport()->update();
}

void TRichEditEx::AutoScrollStep() {
  // Dragging a selection past the edge scrolls the log under it.
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(bar->value() + autoScrollDirection_ * lineHeight_);
  SetSelectionCursor(HitAt(lastMousePos_).pos);
}
