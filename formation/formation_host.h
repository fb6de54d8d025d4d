#pragma once
// What a formation window needs from the main window. The main window (or a test)
// implements it and passes it to every TFormFormation it lets a room frame create;
// it must outlive those windows (the main window does: it owns the chat tabs, and
// each tab's frame owns its formation window).

#include <cstdint>

class NetMessageSet;
class QWidget;

class FormationHost {
 public:
  virtual ~FormationHost() = default;

  // Writes the set's frame to the lobby connection at once (the main window's
  // SendPacket). The window builds a temporary set for each message; the host
  // must not keep a reference to it after returning.
  virtual void SendPacket(NetMessageSet& set) = 0;

  // The client ID the server assigned in GmAReady; sent as the sender of every
  // GmFormationInfo.
  virtual int16_t ClientId() const = 0;

  // The window a new formation window is centred on (the main window); nullptr
  // centres it on its owner's top-level window instead.
  virtual QWidget* CentreWindow() const { return nullptr; }
};
