// The main window's menu commands that open dialogs or reach outside the program.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

#include "chat/chat_tabs.h"
#include "chat/form_create_room.h"
#include "chat/form_password.h"
#include "chat/form_room_list.h"
#include "dialogs/form_game_option.h"
#include "dialogs/form_ping.h"
#include "lobby/form_main.h"
#include "lobby/game_list_panel.h"
#include "lobby/preview.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

void TFormMain::CreateMenuClick() {
  std::string name;
  std::string password;
  int32_t teamId = 0;
  if (!FormCreateRoom->CreateRoomExecute(name, password, teamId)) return;
  GmCreateRoom::Info info;
  info.kind = NetDef::ChatRoomKind;
  CopyText(info.name, name.c_str());
  CopyText(info.password, password.c_str());
  info.teamId = static_cast<uint32_t>(teamId);
  session_->send(info);
}

void TFormMain::MenuGameListDispClick() { PanelGameList->setVisible(PanelGameList->isHidden()); }

void TFormMain::MenuPreviewClick() { PlayPreview(this, CurrentGameSetup()); }

void TFormMain::MenuGameOptionClick() { FormGameOption->Execute(settings_.Game, settings_.ChatTime); }

void TFormMain::MenuPingClick() {
  MenuPing->setEnabled(false);
  session_->startPing();
  FormPing->Clear();
  FormPing->Execute();
}

void TFormMain::OpenPage(const std::string& address) { Platform::current().openUrl(ToQString(address)); }

std::optional<bool> TFormMain::RememberRoom(const std::string& name, const std::string& password, int32_t teamId) {
  const int index = settings_.Rooms.AddRoom(name, password, teamId, true);
  if (index < 0) return std::nullopt;
  return settings_.Rooms.At(index).ChatSound;
}

void TFormMain::SetChatInput(const std::string& text) {
  EditInputChat->setEditText(ToQString(text));
  EditInputChat->setFocus();
  QLineEdit* edit = EditInputChat->lineEdit();
  edit->deselect();
  edit->setCursorPosition(static_cast<int>(edit->text().size()));
}

void TFormMain::FocusChatInput() { EditInputChat->setFocus(); }

bool TFormMain::PasswordExecute(std::string& password) { return FormPassword->PasswordExecute(password); }

void TFormMain::ShowRoomList() {
  session_->send(GmRoomListRequest::Info{});
  FormRoomList->ShowModalList();
}

void TFormMain::SendTalk(const std::string& text) { chatTabs_->SendTalk(text); }
