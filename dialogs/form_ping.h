#pragma once
// The ping window: lists the round trips that the main window measures while the
// window is open. The main window owns the timer and the requests; this window
// only shows what it is handed, and closing it stops nothing.

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;

class TFormPing final : public QDialog {
  Q_OBJECT
 public:
  explicit TFormPing(QWidget* parent = nullptr);

  // Appends the line "<ms>ms", shown or not.
  void AddResult(int32_t milliseconds);
  // Empties the list (the main window does it before each showing).
  void Clear();
  // The listed lines, oldest first.
  QStringList Results() const;
  // Shows the window modally until "閉じる", Enter or Escape. Socket and timer
  // events keep arriving meanwhile; isVisible() tells whether it is still open.
  void Execute();

 private:
  QPlainTextEdit* EditPing;
  QPushButton* ButtonClose;
};
