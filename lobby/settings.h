#pragma once
// The client's two INI files in memory: access.ini (set up by the operator, only
// read) and the user's settings file (window layout, login, game options, the
// rooms to enter after login). The main window owns one Settings, reads it once
// at creation, lets the login and options dialogs change its members, calls
// SaveLogin after each successful login and SaveSettings when it is destroyed.
//
// Every text is CP932 bytes.

#include <array>
#include <string>
#include <vector>

#include "lobby/game_options.h"
#include "lobby/remembered_rooms.h"

class IniFile;

// access.ini, section Common and URL.
struct AccessSettings {
  std::string IP;  // the lobby server's address
  int Port = 0;    // replaces the socket's design port also when missing
  std::string GameExe = "game\\soccer.exe";
  std::string GameExeTest = "game\\soccerTest.exe";
  // What starts a Windows game on another system: empty for Wine from the
  // search path, else a runner's name or path (Wine, or a script around it).
  std::string GameRunner;
  // Secure: connect with TLS, verifying the server against the system's
  // authorities or the certificates of the CACertificate file (PEM; a relative
  // path is found beside access.ini).
  bool Secure = false;
  std::string CACertificate;
  std::string UrlHome;
  std::string UrlMember;
  std::string UrlNew;       // registration page
  std::string UrlDownload;  // newer client
  std::string UrlUserInfo;  // prefix of a member's page; the member's number follows
};

// The main window's placement, section Form of the settings file.
struct FormLayout {
  static constexpr int ColumnCount = 7;
  static constexpr std::array<int, ColumnCount> DesignColumns{190, 100, 50, 100, 75, 40, 40};
  static constexpr int DesignRoomHeight = 145;

  int Top = 0;
  int Left = 0;
  int Width = 0;  // outer size
  int Height = 0;
  int RoomHeight = DesignRoomHeight;  // the stadium list panel
  bool RoomVisible = true;
  std::array<int, ColumnCount> GameColumns = DesignColumns;  // stadium list column widths
};

class Settings {
 public:
  // accessPath and settingsPath as platform/file_places.h gives them;
  // settingsFolder, when not empty, is created (owner-only) before each save.
  Settings(std::string accessPath, std::string settingsPath, std::string settingsFolder = {});

  const std::string& AccessFilePath() const { return accessPath_; }
  const std::string& SettingsFilePath() const { return settingsPath_; }

  // Reads access.ini, then the settings file, then the rooms. design holds the
  // window's current (design) size, panel height and column widths, which are
  // the defaults of Width, Height, RoomHeight and GameColumn0..6; Top and Left
  // default to 0 whatever design says. Missing files or keys give the defaults;
  // never fails. An empty room list gets the single entry "待合室", sound off.
  void LoadSettings(const FormLayout& design);

  // Writes the layout, the game options and ChatTime, then rebuilds Rooms from
  // the open chat tabs (tab order) and writes them when there are any; an empty
  // list leaves the rooms of the file as they are. Never writes the login.
  // False when the file could not be written (the old file is then intact).
  bool SaveSettings(const FormLayout& layout, const std::vector<RememberedRoom>& openTabs);

  // Writes UserID and Password of section Common, nothing else.
  bool SaveLogin();

  // Values read by LoadSettings; the window and its dialogs change them.
  AccessSettings Access;
  FormLayout Form;
  int UserID = 0;
  std::string Password;
  GameOptions Game;
  bool ChatTime = false;
  // Closing the main window hides it in the system tray instead of ending the
  // program (where the desktop has a tray). Off unless the player chose it.
  bool KeepInTray = false;
  // Every line shown in a room's log is also appended to a file of the room and
  // day. On unless the player turned it off.
  bool SaveChatLog = true;
  RememberedRooms Rooms;

 private:
  bool Store(const IniFile& ini) const;

  std::string accessPath_;
  std::string settingsPath_;
  std::string settingsFolder_;
};

// The name of the room entered when no room is remembered: "待合室" in CP932.
extern const char* const kDefaultRoomName;
