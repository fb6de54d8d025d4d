#pragma once
// The login dialog: member ID and password, checked for form before the client
// connects, and a button to the member registration page.

#include <QDialog>
#include <cstdint>
#include <string>

class Cp932Validator;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormLogin final : public QDialog {
  Q_OBJECT
 public:
  explicit TFormLogin(QWidget* parent = nullptr);

  // Shows the dialog modally with userId (empty when 0 or less) and password
  // (CP932). OK: userId and password (upper-cased) are replaced, true. Anything
  // else: both stay as they were, false. Called while already open: false at
  // once, nothing touched. registrationAddress (CP932) is what the
  // "新規登録" button opens; it is kept until the next call.
  bool Execute(int32_t& userId, std::string& password, const std::string& registrationAddress);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void IdTextChanged();
  void UpdateOkState();
  void ButtonOkClick();
  void ButtonNewClick();

  QLineEdit* EditID;
  Cp932Validator* idValidator_;
  QLineEdit* EditPassword;
  QPushButton* ButtonOk;
  QPushButton* ButtonCancel;
  QPushButton* ButtonNew;
  std::string registrationAddress_;
};
