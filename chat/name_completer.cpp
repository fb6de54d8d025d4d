#include "chat/name_completer.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/qt_text.h"

TNameCompleter::TNameCompleter(QComboBox* input, int limitBytes, std::function<std::vector<std::string>()> candidates)
    : QObject(input), edit_(input->lineEdit()), limitBytes_(limitBytes), candidates_(std::move(candidates)) {
  // The combo box passes its keys on to its line edit; Tab is taken for moving
  // the focus before either sees it as a key, so it is caught on both here.
  input->installEventFilter(this);
  if (edit_ != nullptr) edit_->installEventFilter(this);
}

bool TNameCompleter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || edit_ == nullptr) return QObject::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  if (key->key() == Qt::Key_Tab && mods == Qt::NoModifier) return Complete(false);
  if (key->key() == Qt::Key_Backtab && (mods == Qt::ShiftModifier || mods == Qt::NoModifier)) return Complete(true);
  switch (key->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
      break;  // Shift on its way to Shift+Tab keeps the cycle
    default:
      state_.Reset();
  }
  return QObject::eventFilter(watched, event);
}

bool TNameCompleter::Complete(bool backward) {
  const QString text = edit_->text();
  const std::optional<std::string> bytes = ToCp932(text);
  const std::optional<std::string> head = ToCp932(text.left(edit_->cursorPosition()));
  if (!bytes || !head) {
    state_.Reset();
    return false;
  }
  const NameCompletionResult r =
      CompleteName(*bytes, head->size(), candidates_(), backward, static_cast<size_t>(limitBytes_), state_);
  if (r.outcome == CompletionOutcome::NothingToComplete) return false;
  if (r.outcome == CompletionOutcome::NothingFits) return true;
  const QString completed = ToQString(r.text);
  // Replaced through the edit, so Ctrl+Z takes the completion back.
  edit_->selectAll();
  edit_->insert(completed);
  edit_->setCursorPosition(static_cast<int>(ToQString(std::string_view(r.text).substr(0, r.caret)).size()));
  return true;
}
