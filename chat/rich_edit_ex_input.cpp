// The chat log's input: mouse (links, selection, the context menu), keys and
// find. The view and its line store are in rich_edit_ex.cpp.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <climits>
#include <utility>

#include "chat/log_find_bar.h"
#include "chat/rich_edit_ex.h"

// ---- mouse and keys -------------------------------------------------------------

void TRichEditEx::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  lastMousePos_ = pos;
  if (e->button() != Qt::LeftButton) return;
  DropFocusedLink();
  holding_ = true;
  pressedLink_ = LinkRefAt(pos);
  const TextPos at = HitAt(pos).pos;
  if ((e->modifiers() & Qt::ShiftModifier) == 0) selAnchor_ = at;
  selCursor_ = at;
  viewport()->update();
}

void TRichEditEx::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  holding_ = true;
  pressedLink_ = {};
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
  const bool overLink = e->buttons() == Qt::NoButton && LinkRefAt(pos).line >= 0;
  viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

void TRichEditEx::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  autoScroll_.stop();
  const LinkRef pressed = std::exchange(pressedLink_, {});
  ReleaseHold();
  if (HasSelection()) {
    // A drag that selected text is a selection, not a click.
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard->supportsSelection()) clipboard->setText(SelectedText(), QClipboard::Selection);
    return;
  }
  if (pressed.line < 0 || LinkRefAt(e->position().toPoint()) != pressed) return;
  const std::string text = LinkText(pressed);
  if (!text.empty()) Q_EMIT URLClick(text, QCursor::pos());
}

void TRichEditEx::keyPressEvent(QKeyEvent* e) {
  QScrollBar* bar = verticalScrollBar();
  const bool ctrl = (e->modifiers() & Qt::ControlModifier) != 0;
  const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  if (enter && HasFocusedLink()) {
    ActivateFocusedLink();
  } else if (e->key() == Qt::Key_F10 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
    // The menu key is turned into a context menu by the window system; Shift+F10
    // is not everywhere.
    const QPoint centre = viewport()->rect().center();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, centre, viewport()->mapToGlobal(centre));
    contextMenuEvent(&menu);
  } else if (e->matches(QKeySequence::Copy)) {
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
  } else if (e->key() == Qt::Key_Escape && HasFocusedLink()) {
    DropFocusedLink();
  } else {
    QAbstractScrollArea::keyPressEvent(e);
    return;
  }
  e->accept();
}

QMenu* TRichEditEx::BuildContextMenu(LinkRef link) {
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QAction* copy = menu->addAction(QStringLiteral("コピー"), this, [this] { Copy(); });
  copy->setShortcut(QKeySequence::Copy);
  copy->setEnabled(HasSelection());
  menu->addSeparator();
  QAction* all = menu->addAction(QStringLiteral("すべて選択"), this, [this] { SelectAll(); });
  all->setShortcut(QKeySequence::SelectAll);
  all->setEnabled(LineCount() > 0);
  // Over a link (or with one focused, from the keyboard) the menu also copies its
  // address; elsewhere the item is not there.
  if (link.line >= 0) {
    const QString address = LinkAddress(link);
    menu->addSeparator();
    menu->addAction(QStringLiteral("リンクのアドレスをコピー"), this,
                    [address] { QApplication::clipboard()->setText(address); });
  }
  return menu;
}

void TRichEditEx::contextMenuEvent(QContextMenuEvent* e) {
  LinkRef link;
  QPoint at = e->globalPos();
  if (e->reason() == QContextMenuEvent::Keyboard) {
    if (HasFocusedLink()) {
      link = focusedLink_;
      at = LinkMenuPos(link);
    }
  } else {
    link = LinkRefAt(e->pos());
  }
  QMenu* menu = BuildContextMenu(link);
  Q_EMIT MenuPopping(menu, at);
  menu->popup(at);
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
    from = backward
               ? TextPos{std::min(n - 1, heights_.LineAt(heights_.Above(topLine_) + viewport()->height())), INT_MAX}
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
