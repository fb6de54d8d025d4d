// The chat log's links by keyboard: Tab and Shift+Tab step through the links on
// screen, Enter opens the focused one as a left click does. The view and the
// mouse are in rich_edit_ex.cpp and rich_edit_ex_input.cpp.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTextLine>
#include <algorithm>

#include "chat/log_accessible.h"
#include "chat/rich_edit_ex.h"

bool TRichEditEx::event(QEvent* e) {
  // Tab is taken for moving the focus before keyPressEvent sees it. Tab that
  // finds no further link goes on to the next widget, so the log never traps a
  // keyboard user; keys in the find bar never come here.
  if (e->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(e);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (tab && (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
      const bool forward = key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier) == 0;
      if (StepLink(forward)) {
        key->accept();
        return true;
      }
    }
  }
  return QAbstractScrollArea::event(e);
}

void TRichEditEx::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  // Coming back with Shift+Tab lands on the last link, the way Tab left it.
  if (e->reason() == Qt::BacktabFocusReason) {
    const std::vector<LinkRef> links = LinksOnScreen();
    if (!links.empty()) FocusLink(links.back());
  }
}

void TRichEditEx::focusOutEvent(QFocusEvent* e) {
  // A menu or another window over the log keeps the link; moving on drops it.
  if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason) DropFocusedLink();
  QAbstractScrollArea::focusOutEvent(e);
}

bool TRichEditEx::StepLink(bool forward) {
  const std::vector<LinkRef> links = LinksOnScreen();
  if (forward) {
    const auto next = HasFocusedLink() ? std::upper_bound(links.begin(), links.end(), focusedLink_) : links.begin();
    if (next == links.end()) {
      DropFocusedLink();
      return false;
    }
    FocusLink(*next);
    return true;
  }
  if (!HasFocusedLink()) return false;
  const auto at = std::lower_bound(links.begin(), links.end(), focusedLink_);
  if (at == links.begin()) {
    DropFocusedLink();  // back to the log itself
  } else {
    FocusLink(*(at - 1));
  }
  return true;
}

void TRichEditEx::FocusLink(LinkRef link) {
  focusedLink_ = link;
  // Wholly into view: a link cut by the edge is scrolled a third of the way down.
  const QRect r = LinkRect(link);
  if (r.isEmpty() || r.top() < 0 || r.bottom() >= viewport()->height()) {
    const QTextLine tl = LayoutOf(link.line)->lineForTextPosition(static_cast<int>(LinkOf(link).begin));
    ShowAThirdDown(heights_.Above(link.line) + (tl.isValid() ? static_cast<int64_t>(tl.y()) : 0));
  }
  viewport()->update();
  AnnounceLogSelection(this);
}

void TRichEditEx::DropFocusedLink() {
  if (!HasFocusedLink()) return;
  focusedLink_ = {};
  viewport()->update();
  AnnounceLogSelection(this);
  // The view was held for the link: at the end it follows new lines again.
  if (following_) ScheduleFrame();
}

void TRichEditEx::DropFocusedLinkIfHidden() {
  if (!HasFocusedLink()) return;
  const std::vector<LinkRef> links = LinksOnScreen();
  if (!std::binary_search(links.begin(), links.end(), focusedLink_)) DropFocusedLink();
}

QRect TRichEditEx::LinkRect(LinkRef link) const {
  const LogStore::Link l = LinkOf(link);
  const QRect first = CharRect(link.line, static_cast<int>(l.begin));
  const QRect last = CharRect(link.line, static_cast<int>(l.begin + l.length) - 1);
  return first.united(last);
}

QPoint TRichEditEx::LinkMenuPos(LinkRef link) const {
  const QRect first = CharRect(link.line, static_cast<int>(LinkOf(link).begin));
  return viewport()->mapToGlobal(first.isEmpty() ? QPoint(0, 0) : first.bottomLeft());
}

std::pair<TRichEditEx::TextPos, TRichEditEx::TextPos> TRichEditEx::FocusedLinkRange() const {
  const LogStore::Link l = LinkOf(focusedLink_);
  const auto begin = static_cast<int>(l.begin);
  return {{focusedLink_.line, begin}, {focusedLink_.line, begin + static_cast<int>(l.length)}};
}

std::string TRichEditEx::FocusedLinkText() const { return HasFocusedLink() ? LinkText(focusedLink_) : std::string(); }

void TRichEditEx::ActivateFocusedLink() {
  const std::string text = LinkText(focusedLink_);
  const QPoint at = LinkMenuPos(focusedLink_);
  if (!text.empty()) Q_EMIT URLClick(text, at);
}
