#pragma once
// A small custom-drawn control: it turns widget events into optional events
// (Qt signals, so nothing happens unless someone is connected), lets arrow keys
// reach it instead of moving the focus, and holds the mouse while a button is
// down. Subclasses draw in Paint() and may react to CaptureLost().

#include <QWidget>

class QPainter;

class TMyControl : public QWidget {
  Q_OBJECT
 public:
  explicit TMyControl(QWidget* owner = nullptr);

  // True while the control holds the mouse (between a press and its release).
  bool MouseCapture() const { return mouseCapture_; }
  void SetMouseCapture(bool on);

 Q_SIGNALS:
  void OnEnter(QObject* Sender);
  void OnExit(QObject* Sender);
  void OnKeyDown(QObject* Sender, int key, Qt::KeyboardModifiers shift);
  void OnKeyPress(QObject* Sender, const QString& text);
  void OnCut(QObject* Sender);
  void OnCopy(QObject* Sender);
  void OnPaste(QObject* Sender);
  void OnClear(QObject* Sender);
  void OnAllSelect(QObject* Sender);
  void OnPaint(QObject* Sender, QPainter& canvas);

 protected:
  // Draws the control; the base fires OnPaint.
  virtual void Paint(QPainter& canvas, const QRect& area);
  // The control lost the mouse without a button release (window deactivated,
  // hidden, a popup took the mouse). The capture flag is already cleared.
  virtual void CaptureLost() {}

  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  void LoseCapture();

  bool mouseCapture_ = false;
};
