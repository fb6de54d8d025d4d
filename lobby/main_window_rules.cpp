#include "lobby/main_window_rules.h"

#include "net/net_def.h"

MainControlStates ComputeControlStates(bool connected, bool inputNotEmpty) {
  MainControlStates s;
  s.OpenMenu = !connected;
  s.CloseMenu = s.CreateMenu = s.MenuNext = s.MenuPrev = s.MenuRoomList = s.RetireMenu = s.MenuPing = connected;
  s.PanelInput = connected;
  s.ButtonSendChat = connected && inputNotEmpty;
  return s;
}

std::string ProgramVersion() {
  return std::to_string(NetDef::VersionMajor) + "." + std::to_string(NetDef::VersionMinor) + "." +
         std::to_string(NetDef::VersionBuild);
}

std::string TitleText(int userCount) {
  std::string title = "Turfwing ver" + ProgramVersion();
  if (userCount != 0) title += " - " + std::to_string(userCount) + "人";
  return title;
}
