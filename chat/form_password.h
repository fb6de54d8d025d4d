#pragma once
// The room password dialog: a team member may enter without a password, anyone
// else types the room's password.

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TFormPassword final : public QDialog {
  Q_OBJECT
 public:
  explicit TFormPassword(QWidget* parent = nullptr);

  // Chooses "チームメンバーなのでパスワード無しで入室する", empties the password
  // and shows the dialog modally. OK: true with the password field's text (CP932),
  // which is whatever was typed there, even when the first choice was taken
  // again before OK. Cancel: false, nothing written. Called while already
  // open: false at once.
  bool PasswordExecute(std::string& password);

  static constexpr int kPasswordBytes = 12;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyRule();
  void RadioPass2Click();
  void ButtonOkClick();

  QRadioButton* RadioPass;
  QRadioButton* RadioPass2;
  QLabel* Label1;
  QLineEdit* EditPassword;
  QPushButton* ButtonOk;
  QPushButton* ButtonCancel;
};
