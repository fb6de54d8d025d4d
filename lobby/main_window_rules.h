#pragma once
// Decisions of the main window that need no widget: which commands are enabled,
// the title, and the texts shown when the server refuses the handshake or login.

#include <cstdint>
#include <optional>
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
  bool GameList2 = false;
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

// What the user reads when GmAReady refuses the connection (status 2 shows the
// update notice instead and is not covered here). UTF-8 for fixed texts; the
// server's message is CP932 and is returned with isServerText set.
struct RefusalText {
  std::string text;
  bool isServerText = false;
};
RefusalText AReadyRefusal(uint8_t status, const char* serverMessage);
// For GmAConnect statuses other than 0; nullopt when nothing is shown.
std::optional<RefusalText> AConnectRefusal(uint8_t status, const char* serverMessage);
// For GmACreateRoom; nullopt for success and for statuses that show nothing.
std::optional<RefusalText> ACreateRoomRefusal(uint8_t status, const char* serverMessage);
