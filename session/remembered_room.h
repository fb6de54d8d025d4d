#pragma once
// A chat room the client enters again: an entry of the settings file, entered
// after the login, or an open chat tab, remembered at exit. Texts are CP932.

#include <cstdint>
#include <string>

struct RememberedRoom {
  int16_t Room = 0;  // the open tab's room number; 0 for an entry of the settings file
  std::string Name;
  std::string Password;
  int32_t TeamID = 0;
  bool ChatSound = true;
};

// A page whose room number is -1 is not yet a room, and is not remembered.
inline bool IsRemembered(const RememberedRoom& room) { return room.Room != -1; }
