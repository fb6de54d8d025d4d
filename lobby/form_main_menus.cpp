// The main window's menu commands that open dialogs or reach outside the program.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QUrl>

#include "chat/chat_tabs.h"
#include "chat/form_create_room.h"
#include "chat/form_password.h"
#include "chat/form_room_list.h"
#include "dialogs/form_game_option.h"
#include "dialogs/form_ping.h"
#include "lobby/form_main.h"
#include "lobby/game_list_panel.h"
#include "lobby/preview.h"
#include "platform/file_places.h"
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

void TFormMain::MenuSaveChatLogToggled(bool on) {
  if (settings_.SaveChatLog == on) return;
  settings_.SaveChatLog = on;
  chatTabs_->ChatLogSettingChanged();
}

void TFormMain::MenuOpenLogFolderClick() {
  // Before the first line the folder does not exist yet: make it (owner-only,
  // as the first line would), so the file manager opens it and not an error.
  const QString folder = QString::fromLocal8Bit(logsFolder_.c_str());
  if (!MakeFolderPath(logsFolder_)) {
    Platform::current().errorBox(this, QStringLiteral("チャットログのフォルダを作れませんでした。\n") + folder);
    return;
  }
  chatTabs_->FlushLogs();
  Platform::current().openUrl(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded));
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
