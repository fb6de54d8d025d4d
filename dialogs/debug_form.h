#pragma once
// The trace window: created hidden at start-up; a diagnostic build shows it and
// hands it the connection's trace lines.

#include <QWidget>

class QPlainTextEdit;

class TDebugForm final : public QWidget {
  Q_OBJECT
 public:
  explicit TDebugForm(QWidget* parent = nullptr);

  // Appends one line as plain text (trace lines may carry server text).
  void AddLine(const QString& line);
  // The oldest lines go once this many are held, so a long session cannot grow
  // the window without bound.
  static constexpr int kMaxLines = 20000;

 protected:
  void showEvent(QShowEvent* event) override;
  // Closing hides the window; it lives until the program ends.
  void closeEvent(QCloseEvent* event) override;

 private:
  QPlainTextEdit* Output;
};
