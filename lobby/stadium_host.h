#pragma once
// What the stadium list panel and the preview need from the main window, which
// owns the connection, the session and the settings.

#include <QString>
#include <string>

#include "lobby/game_options.h"

class NetMessageSet;

class StadiumHost {
 public:
  // Writes the message that `messages` holds to the connection.
  virtual void SendPacket(const NetMessageSet& messages) = 0;
  virtual bool SocketOpen() const = 0;
  // The name of the last successful login (CP932), empty before the first.
  virtual std::string PlayerName() const = 0;
  virtual GameOptions CurrentGameOptions() const = 0;
  // The game programs as the settings store them (CP932), e.g. "game\soccer.exe".
  virtual std::string GameExe() const = 0;
  virtual std::string GameExeTest() const = 0;
  // access.ini's GameRunner (CP932): what starts a Windows game elsewhere; empty for Wine.
  virtual std::string GameRunner() const { return {}; }
  // The folder of the running executable.
  virtual QString ExecutableFolder() const = 0;
  // Re-applies the enabling of the main window's controls (the panel calls it
  // after every change of the list, of its selection and of the waiting state).
  virtual void UpdateControlStates() = 0;

 protected:
  ~StadiumHost() = default;
};
