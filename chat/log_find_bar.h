#pragma once
// The chat log's find bar (Ctrl+F): a field, previous and next, and a note when
// the text occurs nowhere. Typing searches on from the current match; Enter goes
// to the next, Shift+Enter to the previous; Escape closes the bar and drops the
// marks.

#include <QFrame>

class QLabel;
class QLineEdit;
class QToolButton;
class TRichEditEx;

class TLogFindBar : public QFrame {
  Q_OBJECT
 public:
  explicit TLogFindBar(TRichEditEx* log);

  void Open();
  void Close();
  QLineEdit* Edit() const { return edit_; }
  QLabel* Status() const { return status_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Run(bool backward);

  TRichEditEx* log_;
  QLineEdit* edit_;
  QToolButton* previous_;
  QToolButton* next_;
  QToolButton* close_;
  QLabel* status_;
};
