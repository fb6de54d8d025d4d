#pragma once
// Decisions of the main window that need no widget: which commands are enabled,
// and the title.

#include <cstdint>
#include <string>

struct MainControlStates {
  bool OpenMenu = false;
  bool CloseMenu = false;
  bool CreateMenu = false;
  bool MenuNext = false;
  bool MenuPrev = false;
  bool MenuRoomList = false;
  bool RetireMenu = false;
  bool MenuPing = false;
  bool PanelInput = false;
  bool ButtonSendChat = false;
};

// connected is the socket's active flag; the stadium buttons follow their own
// rule in the stadium panel.
MainControlStates ComputeControlStates(bool connected, bool inputNotEmpty);

// "Turfwing ver2.18.55", with " - <count>人" while the server reports a count
// other than 0 (UTF-8).
std::string TitleText(int userCount);

// "2.18.55": the version the client sends in GmReady, as --version and the packages give it.
std::string ProgramVersion();
