#pragma once
// The room creation dialog: a room name, an optional password and an optional
// team ID, checked before the main window asks the server for the room.

#include <QDialog>
#include <cstdint>
#include <string>

#include "net/net_def.h"

class QLineEdit;
class QPushButton;

class TFormCreateRoom final : public QDialog {
  Q_OBJECT
 public:
  explicit TFormCreateRoom(QWidget* parent = nullptr);

  // Empties the three fields and shows the dialog modally. OK: true with the
  // room name and password (CP932, the password may be empty) and the team ID
  // (0 when the field was left empty). Cancel: false, nothing written. Called
  // while already open: false at once.
  bool CreateRoomExecute(std::string& name, std::string& password, int32_t& teamId);

  static constexpr int kNameBytes = NetDef::NameBytes;
  static constexpr int kPasswordBytes = NetDef::PasswordBytes;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void EditNameChange();
  void ButtonOkClick();

  QLineEdit* EditName;
  QLineEdit* EditPassword;
  QLineEdit* EditTeamID;
  QPushButton* ButtonOk;
  QPushButton* ButtonCancel;
};
