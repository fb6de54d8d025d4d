#include "lobby/settings.h"

#include <algorithm>
#include <utility>

#include "platform/file_places.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

const char* const kDefaultRoomName = "\x91\xD2\x8D\x87\x8E\xBA";  // 待合室

namespace {

constexpr const char* kCommon = "Common";
constexpr const char* kUrl = "URL";
constexpr const char* kForm = "Form";

// A flag is on when its value is not 0; a missing or non-numeric value is def.
bool ReadFlag(const IniFile& ini, const char* section, const char* key, bool def) {
  return ini.ReadInteger(section, key, def ? 1 : 0) != 0;
}

// A flag-on-1 is on only for the value 1.
bool ReadFlagOn1(const IniFile& ini, const std::string& section, const char* key, bool def) {
  return ini.ReadInteger(section, key, def ? 1 : 0) == 1;
}

// A key of this client only: written once the player has chosen other than
// its default, so a file that never had it stays as the older client wrote it.
void WriteFlagOnceChosen(IniFile& ini, const char* key, bool value, bool byDefault) {
  if (value != byDefault || ini.HasKey(kCommon, key)) ini.WriteInteger(kCommon, key, value ? 1 : 0);
}

std::string ColumnKey(int i) { return "GameColumn" + std::to_string(i); }
std::string RoomSection(int n) { return "Room" + std::to_string(n); }

}  // namespace

Settings::Settings(std::string accessPath, std::string settingsPath, std::string settingsFolder)
    : accessPath_(std::move(accessPath)),
      settingsPath_(std::move(settingsPath)),
      settingsFolder_(std::move(settingsFolder)) {}

bool Settings::Store(const IniFile& ini) const {
  // The user's folder is made on the first save, not at start-up: a client that
  // is only looked at (--help, a refused option) leaves no trace.
  if (!settingsFolder_.empty() && !MakeFolderPath(settingsFolder_)) return false;
  return ini.Save(settingsPath_);
}

void Settings::LoadSettings(const FormLayout& design) {
  const IniFile access = IniFile::Load(accessPath_);
  const AccessSettings defaults;
  Access.IP = access.ReadString(kCommon, "IP", "");
  Access.Port = access.ReadInteger(kCommon, "Port", 0);
  Access.GameExe = access.ReadString(kCommon, "GameExe", defaults.GameExe);
  Access.GameExeTest = access.ReadString(kCommon, "GameExeTest", defaults.GameExeTest);
  Access.GameRunner = access.ReadString(kCommon, "GameRunner", "");
  // Anything but 0 asks for TLS: a value mistyped must not fall back to clear text.
  Access.Secure = access.ReadString(kCommon, "Secure", "0") != "0";
  Access.CACertificate = access.ReadString(kCommon, "CACertificate", "");
  if (!Access.CACertificate.empty() && !IsAbsolutePath(Access.CACertificate)) {
    // Beside the operator's file, wherever the program was started from.
    Access.CACertificate = JoinPath(FolderOf(accessPath_), Access.CACertificate);
  }
  Access.UrlHome = access.ReadString(kUrl, "Home", "");
  Access.UrlMember = access.ReadString(kUrl, "Member", "");
  Access.UrlNew = access.ReadString(kUrl, "New", "");
  Access.UrlDownload = access.ReadString(kUrl, "Download", "");
  Access.UrlUserInfo = access.ReadString(kUrl, "UserInfo", "");

  const IniFile ini = IniFile::Load(settingsPath_);
  Form.Top = ini.ReadInteger(kForm, "Top", 0);
  Form.Left = ini.ReadInteger(kForm, "Left", 0);
  Form.Width = ini.ReadInteger(kForm, "Width", design.Width);
  Form.Height = ini.ReadInteger(kForm, "Height", design.Height);
  Form.RoomHeight = ini.ReadInteger(kForm, "RoomHeight", design.RoomHeight);
  Form.RoomVisible = ReadFlag(ini, kForm, "RoomVisible", true);
  for (int i = 0; i < FormLayout::ColumnCount; ++i) {
    const auto at = static_cast<size_t>(i);
    Form.GameColumns[at] = ini.ReadInteger(kForm, ColumnKey(i), design.GameColumns[at]);
  }

  const GameOptions gameDefaults;
  UserID = ini.ReadInteger(kCommon, "UserID", 0);
  Password = ini.ReadString(kCommon, "Password", "");
  Game.GameMode = ini.ReadInteger(kCommon, "GameMode", gameDefaults.GameMode);
  Game.GameSize = ini.ReadInteger(kCommon, "GameSize", gameDefaults.GameSize);
  Game.GameFrameRate = ini.ReadInteger(kCommon, "GameFrameRate", gameDefaults.GameFrameRate);
  Game.GameShadow = ini.ReadInteger(kCommon, "GameShadow", gameDefaults.GameShadow);
  Game.GameModel = ini.ReadInteger(kCommon, "GameModel", gameDefaults.GameModel);
  Game.GameFog = ini.ReadInteger(kCommon, "GameFog", gameDefaults.GameFog);
  ChatTime = ReadFlagOn1(ini, kCommon, "ChatTime", false);
  KeepInTray = ReadFlagOn1(ini, kCommon, "KeepInTray", false);
  SaveChatLog = ReadFlag(ini, kCommon, "SaveChatLog", true);

  // A count outside the table is brought into it: below 0 means none, above
  // the capacity means the first 500.
  const int count = std::clamp(ini.ReadInteger(kCommon, "RoomCount", 0), 0, RememberedRooms::Capacity);
  Rooms.Clear();
  for (int n = 1; n <= count; ++n) {
    const std::string section = RoomSection(n);
    RememberedRoom room;
    room.Name = ini.ReadString(section, "Name", "");
    room.Password = ini.ReadString(section, "Password", "");
    room.TeamID = ini.ReadInteger(section, "TeamID", 0);
    room.ChatSound = ReadFlagOn1(ini, section, "ChatSound", true);
    Rooms.Append(room);
  }
  if (Rooms.Empty()) Rooms.AddRoom(kDefaultRoomName, "", 0, false);
}

bool Settings::SaveSettings(const FormLayout& layout, const std::vector<RememberedRoom>& openTabs) {
  // Re-read the file so that whatever else it holds (the login saved since
  // start-up, comments, keys of other versions) is kept.
  IniFile ini = IniFile::Load(settingsPath_);
  if (ini.ReadFailed()) return false;
  Form = layout;
  ini.WriteInteger(kForm, "Top", layout.Top);
  ini.WriteInteger(kForm, "Left", layout.Left);
  ini.WriteInteger(kForm, "Width", layout.Width);
  ini.WriteInteger(kForm, "Height", layout.Height);
  ini.WriteInteger(kForm, "RoomHeight", layout.RoomHeight);
  ini.WriteInteger(kForm, "RoomVisible", layout.RoomVisible ? 1 : 0);
  for (int i = 0; i < FormLayout::ColumnCount; ++i) {
    ini.WriteInteger(kForm, ColumnKey(i), layout.GameColumns[static_cast<size_t>(i)]);
  }

  ini.WriteInteger(kCommon, "GameMode", Game.GameMode);
  ini.WriteInteger(kCommon, "GameSize", Game.GameSize);
  ini.WriteInteger(kCommon, "GameFrameRate", Game.GameFrameRate);
  ini.WriteInteger(kCommon, "GameShadow", Game.GameShadow);
  ini.WriteInteger(kCommon, "GameModel", Game.GameModel);
  ini.WriteInteger(kCommon, "GameFog", Game.GameFog);
  ini.WriteInteger(kCommon, "ChatTime", ChatTime ? 1 : 0);
  WriteFlagOnceChosen(ini, "KeepInTray", KeepInTray, false);
  WriteFlagOnceChosen(ini, "SaveChatLog", SaveChatLog, true);

  CollectOpenRooms(openTabs, Rooms);
  if (!Rooms.Empty()) {
    ini.WriteInteger(kCommon, "RoomCount", Rooms.Count());
    int n = 1;
    for (const RememberedRoom& room : Rooms) {
      const std::string section = RoomSection(n++);
      ini.WriteString(section, "Name", room.Name);
      ini.WriteString(section, "Password", room.Password);
      ini.WriteInteger(section, "TeamID", room.TeamID);
      ini.WriteInteger(section, "ChatSound", room.ChatSound ? 1 : 0);
    }
  }
  return Store(ini);
}

bool Settings::SaveLogin() {
  IniFile ini = IniFile::Load(settingsPath_);
  if (ini.ReadFailed()) return false;
  ini.WriteInteger(kCommon, "UserID", UserID);
  ini.WriteString(kCommon, "Password", Password);
  return Store(ini);
}
