#pragma once
// Tab in the chat input completes a member's name (the rule is CompleteName in
// name_completion.h); with nothing to complete Tab moves the focus as before.
// Shift+Tab steps back through the names of a completion in progress, and any
// other key ends it.

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "chat/name_completion.h"

class QComboBox;
class QLineEdit;

class TNameCompleter final : public QObject {
  Q_OBJECT
 public:
  // candidates gives the names of the active room in the order they are offered
  // (CompletionCandidates), CP932 bytes; limitBytes is the input's byte limit.
  // The completer is a child of input.
  TNameCompleter(QComboBox* input, int limitBytes, std::function<std::vector<std::string>()> candidates);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // True when the key was a completion (or a refused one) and must not move the focus.
  bool Complete(bool backward);

  QLineEdit* edit_ = nullptr;
  int limitBytes_ = 0;
  std::function<std::vector<std::string>()> candidates_;
  NameCompletionState state_;
};
