#pragma once
// "選手名設定": edits the short name (at most 4 bytes of code page 932) of one
// disc on the formation board.

#include <QDialog>
#include <string>

#include "net/net_def.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TFormBoardName final : public QDialog {
  Q_OBJECT
 public:
  static constexpr int NameBytes = NetDef::SlotNameBytes;

  explicit TFormBoardName(QWidget* owner = nullptr);

  // Shows the dialog modally with name in the edit. OK stores the edit's text in
  // name and returns true (an empty text included); cancel returns false and
  // leaves name alone.
  bool BoardNameExecute(std::string& name);

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void FormShow();

  QLabel* Label1 = nullptr;
  QLineEdit* EditName = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;
};
