// The main window's menu commands that open dialogs or reach outside the program.
#include <QAction>
#include <QTimer>

#include "chat/form_create_room.h"
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
  info.kind = 2;
  CopyText(info.name, name.c_str());
  CopyText(info.password, password.c_str());
  info.teamId = static_cast<uint32_t>(teamId);
  messages_.encode<GmCreateRoom>(info);
  SendPacket(messages_);
}

void TFormMain::MenuGameListDispClick() { PanelGameList->setVisible(PanelGameList->isHidden()); }

void TFormMain::MenuPreviewClick() { PlayPreview(this, *this); }

void TFormMain::MenuGameOptionClick() { FormGameOption->Execute(settings_.Game, settings_.ChatTime); }

void TFormMain::MenuPingClick() {
  MenuPing->setEnabled(false);
  TimerPing->start();
  FormPing->Clear();
  FormPing->Execute();
}

void TFormMain::OpenPage(const std::string& address) { Platform::current().openUrl(ToQString(address)); }
