#include "chat/rich_edit_ex.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTextBoundaryFinder>
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
  tree_.assign(1, 0);
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
    viewport()->update();
  });

  findBar_ = new TLogFindBar(this);
  findBar_->hide();
}

TRichEditEx::~TRichEditEx() = default;

// ---- heights ---------------------------------------------------------------

int64_t TRichEditEx::HeightAbove(int line) const {
  int64_t sum = 0;
  for (int i = line; i > 0; i -= i & -i) sum += tree_[static_cast<size_t>(i)];
  return sum;
}

int TRichEditEx::HeightOf(int line) const { return static_cast<int>(HeightAbove(line + 1) - HeightAbove(line)); }

void TRichEditEx::SetHeight(int line, int height) {
  const int delta = height - HeightOf(line);
  if (delta == 0) return;
  const int n = LineCount();
  for (int i = line + 1; i <= n; i += i & -i) tree_[static_cast<size_t>(i)] += delta;
}

void TRichEditEx::PushHeight(int height) {
  const int i = static_cast<int>(tree_.size());  // the new line's 1-based index
  int32_t value = height;
  for (int j = 1; j < (i & -i); j <<= 1) value += tree_[static_cast<size_t>(i - j)];
  tree_.push_back(value);
}

int TRichEditEx::LineAtY(int64_t y) const {
  const int n = LineCount();
  if (n == 0 || y <= 0) return 0;
  int pos = 0;
  int step = 1;
  while (step * 2 <= n) step *= 2;
  for (; step > 0; step /= 2) {
    if (pos + step <= n && tree_[static_cast<size_t>(pos + step)] <= y) {
      pos += step;
      y -= tree_[static_cast<size_t>(pos)];
    }
  }
  return std::min(pos, n - 1);
}

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
  const int n = LineCount();
  tree_.assign(static_cast<size_t>(n) + 1, 0);
  for (int i = 1; i <= n; ++i) {
    tree_[static_cast<size_t>(i)] += EstimateHeight(i - 1);
    const int j = i + (i & -i);
    if (j <= n) tree_[static_cast<size_t>(j)] += tree_[static_cast<size_t>(i)];
  }
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
  if (height != HeightOf(line)) {
    const_cast<TRichEditEx*>(this)->SetHeight(line, height);
    heightsChanged_ = true;
  }
  layouts_.insert(line, layout);
  return layout;
}

// ---- appending and the frame --------------------------------------------------

void TRichEditEx::AppendLine(std::string_view received, const QColor& color) {
  const int line = store_.Append(received, color, autoUrlDetect_);
  PushHeight(EstimateHeight(line));
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
    const int h = HeightOf(i);
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
  // text under the pointer would turn a click on a link into a miss.
  if (following_ && !holding_) AnchorToEnd();
  if (layoutWidth_ != TextWidth()) RebuildHeights();
  const int n = LineCount();
  if (topLine_ >= n) topLine_ = std::max(0, n - 1), topOffset_ = 0;
  // Lay out what is on screen first, so the scroll bar counts its true heights.
  int y = -topOffset_;
  for (int i = topLine_; i < n && y < viewport()->height(); ++i) {
    LayoutOf(i);
    y += HeightOf(i);
  }
  heightsChanged_ = false;
  if (n > 0) topOffset_ = std::min(topOffset_, HeightOf(topLine_) - 1);
  SyncScrollBar();
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
  const int64_t max = std::clamp<int64_t>(TotalHeight() - page, 0, INT_MAX);
  int64_t value = HeightAbove(topLine_) + topOffset_;
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
  topLine_ = LineAtY(value);
  topOffset_ = LineCount() == 0 ? 0 : static_cast<int>(value - HeightAbove(topLine_));
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
  if (line >= topLine_) {
    int y = -topOffset_;
    for (int i = topLine_; i < line && y < viewport()->height(); ++i) y += HeightOf(i);
    LayoutOf(line);
    if (y >= 0 && y + HeightOf(line) <= viewport()->height()) return;
  }
  // A third of the way down, so that what comes after it shows too.
  SetAnchorFromScrollValue(
      static_cast<int>(std::clamp<int64_t>(HeightAbove(line) - viewport()->height() / 3, 0, INT_MAX)));
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
}

void TRichEditEx::showEvent(QShowEvent* e) {
  QAbstractScrollArea::showEvent(e);
  Frame();
}

// ---- painting ---------------------------------------------------------------

QList<QTextLayout::FormatRange> TRichEditEx::LineFormats(int line) const {
  QList<QTextLayout::FormatRange> out;
  QTextCharFormat plain;
  plain.setForeground(store_.Color(line));
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
  const int n = LineCount();
  const auto [selFrom, selTo] = std::minmax(selAnchor_, selCursor_);
  QTextCharFormat selected;
  selected.setBackground(palette().highlight());
  selected.setForeground(palette().highlightedText());
  QTextCharFormat found;
  found.setBackground(QColor(255, 230, 90));
  QTextCharFormat current;
  current.setBackground(QColor(255, 150, 50));

  int y = -topOffset_;
  for (int i = topLine_; i < n && y < viewport()->height(); ++i) {
    QTextLayout* layout = LayoutOf(i);
    const int h = HeightOf(i);
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
      layout->draw(&p, QPointF(Margin, y), marks);
    }
    y += h;
  }
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
  int y = -topOffset_;
  int i = topLine_;
  for (; i < n; ++i) {
    LayoutOf(i);
    const int h = HeightOf(i);
    if (pos.y() < y + h) break;
    y += h;
  }
  if (i >= n) {
    hit.pos = {n - 1, store_.Length(n - 1)};
    return hit;
  }
  const QTextLayout* layout = LayoutOf(i);
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

int TRichEditEx::LinkIndexAt(const QPoint& pos, int* line) const {
  const Hit hit = HitAt(pos);
  *line = hit.pos.line;
  if (hit.charColumn < 0) return -1;
  const auto links = store_.Links(hit.pos.line);
  for (size_t k = 0; k < links.size(); ++k) {
    const auto begin = static_cast<int>(links[k].begin);
    if (hit.charColumn >= begin && hit.charColumn < begin + static_cast<int>(links[k].length)) {
      return static_cast<int>(k);
    }
  }
  return -1;
}

std::string TRichEditEx::LinkText(int line, int linkIndex) const {
  const LogStore::Link l = store_.Links(line)[static_cast<size_t>(linkIndex)];
  return ToCp932Lossy(store_.Mid(line, static_cast<int>(l.begin), static_cast<int>(l.length)));
}

std::string TRichEditEx::LinkAt(const QPoint& viewportPos) const {
  int line = 0;
  const int k = LinkIndexAt(viewportPos, &line);
  return k < 0 ? std::string() : LinkText(line, k);
}

QRect TRichEditEx::CharRect(int line, int column) const {
  if (line < topLine_ || line >= LineCount()) return {};
  int y = -topOffset_;
  for (int i = topLine_; i < line; ++i) {
    LayoutOf(i);
    y += HeightOf(i);
    if (y >= viewport()->height()) return {};
  }
  const QTextLayout* layout = LayoutOf(line);
  const QTextLine tl = layout->lineForTextPosition(column);
  if (!tl.isValid()) return {};
  const qreal x1 = tl.cursorToX(column);
  qreal x2 = column + 1 <= tl.textStart() + tl.textLength() ? tl.cursorToX(column + 1) : x1;
  if (x2 <= x1) x2 = x1 + averageCharWidth_;
  return QRectF(Margin + x1, y + tl.y(), x2 - x1, tl.height()).toAlignedRect();
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

// ---- mouse and keys -------------------------------------------------------------

void TRichEditEx::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  lastMousePos_ = pos;
  if (e->button() != Qt::LeftButton) return;
  holding_ = true;
  pressedLink_ = LinkIndexAt(pos, &pressedLinkLine_);
  const TextPos at = HitAt(pos).pos;
  if ((e->modifiers() & Qt::ShiftModifier) == 0) selAnchor_ = at;
  selCursor_ = at;
  viewport()->update();
}

void TRichEditEx::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  holding_ = true;
  pressedLink_ = -1;
  const Hit hit = HitAt(e->position().toPoint());
  const QString text = store_.Text(hit.pos.line);
  const int column = hit.charColumn >= 0 ? hit.charColumn : hit.pos.column;
  QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
  words.setPosition(column);
  int begin = words.isAtBoundary() ? column : static_cast<int>(words.toPreviousBoundary());
  words.setPosition(column);
  int end = static_cast<int>(words.toNextBoundary());
  if (begin < 0) begin = 0;
  if (end < 0) end = static_cast<int>(text.size());
  Select({hit.pos.line, begin}, {hit.pos.line, end});
}

void TRichEditEx::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  lastMousePos_ = pos;
  if (holding_ && (e->buttons() & Qt::LeftButton) != 0) {
    SetSelectionCursor(HitAt(pos).pos);
    autoScrollDirection_ = pos.y() < 0 ? -1 : (pos.y() >= viewport()->height() ? 1 : 0);
    if (autoScrollDirection_ != 0 && !autoScroll_.isActive()) autoScroll_.start();
    if (autoScrollDirection_ == 0) autoScroll_.stop();
    return;
  }
  int line = 0;
  const bool overLink = e->buttons() == Qt::NoButton && LinkIndexAt(pos, &line) >= 0;
  viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

void TRichEditEx::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  autoScroll_.stop();
  const int pressed = pressedLink_;
  const int pressedLine = pressedLinkLine_;
  pressedLink_ = -1;
  ReleaseHold();
  if (HasSelection()) {
    // A drag that selected text is a selection, not a click.
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard->supportsSelection()) clipboard->setText(SelectedText(), QClipboard::Selection);
    return;
  }
  if (pressed < 0) return;
  int line = 0;
  if (LinkIndexAt(e->position().toPoint(), &line) != pressed || line != pressedLine) return;
  const std::string text = LinkText(line, pressed);
  if (!text.empty()) Q_EMIT URLClick(text);
}

void TRichEditEx::keyPressEvent(QKeyEvent* e) {
  QScrollBar* bar = verticalScrollBar();
  const bool ctrl = (e->modifiers() & Qt::ControlModifier) != 0;
  if (e->matches(QKeySequence::Copy)) {
    Copy();
  } else if (e->matches(QKeySequence::SelectAll)) {
    SelectAll();
  } else if (e->matches(QKeySequence::Find)) {
    OpenFindBar();
  } else if (e->key() == Qt::Key_PageUp) {
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  } else if (e->key() == Qt::Key_PageDown) {
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  } else if (e->key() == Qt::Key_Up) {
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  } else if (e->key() == Qt::Key_Down) {
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  } else if (e->key() == Qt::Key_Home && ctrl) {
    ScrollToTop();
  } else if (e->key() == Qt::Key_End && ctrl) {
    ScrollToEnd();
  } else if (e->key() == Qt::Key_Escape && findBar_->isVisible()) {
    findBar_->Close();
  } else {
    QAbstractScrollArea::keyPressEvent(e);
    return;
  }
  e->accept();
}

QMenu* TRichEditEx::BuildContextMenu() {
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QAction* copy = menu->addAction(QStringLiteral("コピー"), this, [this] { Copy(); });
  copy->setShortcut(QKeySequence::Copy);
  copy->setEnabled(HasSelection());
  menu->addSeparator();
  QAction* all = menu->addAction(QStringLiteral("すべて選択"), this, [this] { SelectAll(); });
  all->setShortcut(QKeySequence::SelectAll);
  all->setEnabled(LineCount() > 0);
  return menu;
}

void TRichEditEx::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = BuildContextMenu();
  Q_EMIT MenuPopping(menu, e->globalPos());
  menu->popup(e->globalPos());
}

// ---- find -----------------------------------------------------------------------------

void TRichEditEx::OpenFindBar() {
  findBar_->adjustSize();
  const QRect vp = viewport()->geometry();
  findBar_->move(vp.right() - findBar_->width() - 4, vp.top() + 4);
  findBar_->Open();
}

bool TRichEditEx::Find(const QString& text, bool backward) {
  const int n = LineCount();
  const bool again = text == findText_ && match_.line >= 0;
  TextPos from;
  if (match_.line >= 0) {
    // The same text goes on past the current match; a changed text (typed on)
    // may still match where the last one did.
    from = again && !backward ? TextPos{match_.line, match_.column + 1} : match_;
  } else {
    from = backward ? TextPos{std::min(n - 1, LineAtY(HeightAbove(topLine_) + viewport()->height())), INT_MAX}
                    : TextPos{topLine_, 0};
  }
  findText_ = text;
  match_ = {-1, 0};
  if (text.isEmpty() || n == 0) {
    viewport()->update();
    return false;
  }
  for (int k = 0; k <= n; ++k) {
    int line = 0;
    int column = -1;
    if (!backward) {
      line = (from.line + k) % n;
      column = store_.Find(line, text, k == 0 ? from.column : 0);
    } else {
      line = ((from.line - k) % n + n) % n;
      const int before = k == 0 ? std::min(from.column, store_.Length(line) + 1) : store_.Length(line) + 1;
      column = store_.FindBackward(line, text, before);
    }
    if (column >= 0) {
      match_ = {line, column};
      EnsureLineVisible(line);
      viewport()->update();
      return true;
    }
  }
  viewport()->update();
  return false;
}

void TRichEditEx::ClearFind() {
  findText_.clear();
  match_ = {-1, 0};
  viewport()->update();
}
