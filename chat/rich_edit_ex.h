#pragma once
// The chat log: a read-only text view that is only ever appended to, one line at
// a time, each line in one colour. Web addresses in a line are shown as links and
// a click on one with the left button is reported with the link's text.
//
// Lines are server text: they are inserted as plain text with character formats,
// never parsed as markup. The log is never trimmed. While the view is at its end
// it follows new lines; a reader who scrolled back stays where he is. A burst of
// lines scrolls the view once per pass of the event loop, not once per line.

#include <QColor>
#include <QTextBrowser>
#include <QTextCursor>
#include <string>
#include <string_view>

class TRichEditEx : public QTextBrowser {
  Q_OBJECT
 public:
  explicit TRichEditEx(QWidget* parent = nullptr);

  // Appends one line (code page 932 bytes, without line end) in colour. Control
  // bytes in it show as spaces, so one call is always one line of the log.
  void AppendLine(std::string_view cp932Line, const QColor& color);
  // Number of lines appended so far.
  int LineCount() const { return lines_; }

  // Link detection on lines appended from now on (on at creation).
  bool GetAutoURLDetect() const { return autoUrlDetect_; }
  void SetAutoURLDetect(bool on) { autoUrlDetect_ = on; }

  // The text (CP932 bytes) of the link under the viewport point, empty when none.
  std::string LinkAt(const QPoint& viewportPos) const;
  // True while the view follows new lines (it was at its end at the last look).
  bool IsFollowingEnd() const { return following_; }

 Q_SIGNALS:
  // A link was clicked with the left button (pressed and released on the same link
  // without selecting text); urlText is the link's text in CP932 bytes.
  void URLClick(const std::string& urlText);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  bool AtEnd() const;
  void ScheduleScroll();
  void ScrollToEnd();
  void ReleaseHold();
  // Position in the document of the link character under the point, -1 when none.
  int LinkPositionAt(const QPoint& viewportPos) const;
  std::string LinkTextAround(int position) const;

  QTextCursor end_;  // at the end of the text
  bool autoUrlDetect_ = true;
  bool following_ = true;
  bool scrollPending_ = false;
  bool holding_ = false;  // a mouse button is down in the log
  bool scrollAfterRelease_ = false;
  bool scrolling_ = false;
  int lines_ = 0;
  int pressedLink_ = -1;  // position of the link pressed with the left button
  std::string pressedText_;
};
