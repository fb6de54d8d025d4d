#include "chat/log_accessible.h"

#include <QAccessibleWidget>
#include <QScrollBar>
#include <algorithm>
#include <vector>

#include "chat/rich_edit_ex.h"
#include "platform/accessible_factory.h"

namespace {

class LogAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit LogAccessible(TRichEditEx* log) : QAccessibleWidget(log, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && Log()->accessibleName().isEmpty()) return QStringLiteral("チャットログ");
    if (t == QAccessible::Description && Log()->accessibleDescription().isEmpty()) {
      return QStringLiteral("%1 行").arg(Log()->LineCount());
    }
    if (t == QAccessible::Value) return {};
    return QAccessibleWidget::text(t);
  }

  // QAccessibleTextInterface
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || selectionCount() == 0) return;
    const auto [from, to] = Selection();
    *start = OffsetOf(from);
    *end = OffsetOf(to);
  }
  int selectionCount() const override { return Log()->HasSelection() || Log()->HasFocusedLink() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override { Log()->ClearSelection(); }
  void setSelection(int, int start, int end) override { Log()->Select(PosOf(start), PosOf(end)); }
  int cursorPosition() const override { return selectionCount() != 0 ? OffsetOf(Selection().second) : 0; }
  void setCursorPosition(int position) override { Log()->Select(PosOf(position), PosOf(position)); }
  QString text(int start, int end) const override {
    const TRichEditEx::TextPos a = PosOf(start);
    const TRichEditEx::TextPos b = PosOf(end);
    // Select and read back would move the reader's selection; build the range here.
    QString out;
    for (int i = a.line; i <= b.line && i < Log()->LineCount(); ++i) {
      const QString line = Log()->LineText(i);
      const int from = i == a.line ? a.column : 0;
      const int to = i == b.line ? b.column : static_cast<int>(line.size());
      if (i > a.line) out += QLatin1Char('\n');
      out += line.mid(from, std::max(0, to - from));
    }
    return out;
  }
  int characterCount() const override {
    const int n = Log()->LineCount();
    return n == 0 ? 0 : static_cast<int>(StartOf(n - 1) + Log()->LineLength(n - 1));
  }
  QRect characterRect(int offset) const override {
    const TRichEditEx::TextPos p = PosOf(offset);
    const QRect r = Log()->CharRect(p.line, p.column);
    if (r.isEmpty()) return {};
    return QRect(Log()->viewport()->mapToGlobal(r.topLeft()), r.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint local = Log()->viewport()->mapFromGlobal(point);
    if (!Log()->viewport()->rect().contains(local)) return -1;
    return OffsetOf(Log()->PositionAt(local));
  }
  void scrollToSubstring(int start, int) override { Log()->EnsureLineVisible(PosOf(start).line); }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  TRichEditEx* Log() const { return static_cast<TRichEditEx*>(widget()); }

  std::pair<TRichEditEx::TextPos, TRichEditEx::TextPos> Selection() const {
    return Log()->HasFocusedLink() ? Log()->FocusedLinkRange() : Log()->SelectionRange();
  }

  // Offsets of line starts, grown as the log grows: the log itself keeps no such
  // table, so it costs memory only while assistive technology is active.
  int64_t StartOf(int line) const {
    const int n = Log()->LineCount();
    if (starts_.empty()) starts_.push_back(0);
    while (static_cast<int>(starts_.size()) < n) {
      const int i = static_cast<int>(starts_.size()) - 1;
      starts_.push_back(starts_.back() + Log()->LineLength(i) + 1);
    }
    return starts_[static_cast<size_t>(std::clamp(line, 0, std::max(0, n - 1)))];
  }
  int OffsetOf(TRichEditEx::TextPos p) const { return static_cast<int>(StartOf(p.line) + p.column); }
  TRichEditEx::TextPos PosOf(int offset) const {
    const int n = Log()->LineCount();
    if (n == 0 || offset <= 0) return {0, 0};
    StartOf(n - 1);
    const auto it = std::upper_bound(starts_.begin(), starts_.begin() + n, static_cast<int64_t>(offset));
    const int line = static_cast<int>(it - starts_.begin()) - 1;
    const int length = Log()->LineLength(line);
    return {line, std::min(length, static_cast<int>(offset - starts_[static_cast<size_t>(line)]))};
  }

  mutable std::vector<int64_t> starts_;
};

}  // namespace

void AnnounceLogSelection(TRichEditEx* log) {
  // Without a screen reader the line offsets are not worth keeping.
  if (!QAccessible::isActive()) return;
  QAccessibleInterface* self = QAccessible::queryAccessibleInterface(log);
  QAccessibleTextInterface* text = self != nullptr ? self->textInterface() : nullptr;
  if (text == nullptr) return;
  int start = 0;
  int end = 0;
  text->selection(0, &start, &end);
  QAccessibleTextSelectionEvent event(log, start, end);
  event.setCursorPosition(end);
  QAccessible::updateAccessibility(&event);
}

void InstallLogAccessibleFactory() { InstallAccessibleFactory<TRichEditEx, LogAccessible>(); }
