#pragma once
// The update notice: the server refused this version of the client; shows where
// the newer one can be downloaded, as a link the user can click.

#include <QDialog>
#include <QLabel>
#include <string>

// A label that looks and acts like a web link: blue, bold, underlined, the hand
// pointer; a click (or Space while focused) reports the whole address even when
// the label shows it shortened.
class TLinkLabel final : public QLabel {
  Q_OBJECT
 public:
  explicit TLinkLabel(QWidget* parent = nullptr);
  void setAddress(const QString& address);
  QString address() const { return address_; }

 Q_SIGNALS:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplyLinkColor();
  void updateShownText();
  QString address_;
};

class QPushButton;

class TFormUpdate final : public QDialog {
  Q_OBJECT
 public:
  explicit TFormUpdate(QWidget* parent = nullptr);

  // Shows the notice modally with the download address (CP932) as its link,
  // until OK, Enter or Escape.
  void Execute(const std::string& downloadAddress);
  // The address the link shows and opens.
  QString Address() const { return LabelURL->address(); }

  // Escape and the close box end the notice as OK does.
  void reject() override;

 private:
  void LabelURLClick();

  TLinkLabel* LabelURL;
  QPushButton* ButtonOk;
};
