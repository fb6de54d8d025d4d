#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "lobby/settings.h"
#include "platform/cp932.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

class SettingsSaveTest : public ::testing::Test {
 protected:
  std::string AccessIni() const { return folder_.File("access.ini"); }
  std::string UserIni() const { return folder_.File("turfwing.INI"); }
  static void Write(const std::string& path, const std::string& bytes) { testfiles::Write(path, bytes); }
  static std::string Read(const std::string& path) { return testfiles::Read(path); }
  static FormLayout Layout() {
    FormLayout l;
    l.Top = 10;
    l.Left = 20;
    l.Width = 800;
    l.Height = 600;
    l.RoomHeight = 150;
    l.RoomVisible = false;
    l.GameColumns = {191, 101, 51, 101, 76, 41, 42};
    return l;
  }
  Settings Loaded() {
    Settings s(AccessIni(), UserIni());
    s.LoadSettings(FormLayout{});
    return s;
  }

  testfiles::TempFolder folder_{"settings_save"};
  const fs::path& dir_ = folder_.Path();
};

std::string FiveRooms() {
  std::string text = "[Common]\r\nRoomCount=5\r\n";
  for (int n = 1; n <= 5; ++n) {
    const std::string k = std::to_string(n);
    text += "[Room" + k + "]\r\nName=old" + k + "\r\nPassword=pw" + k + "\r\nTeamID=" + k + "\r\nChatSound=1\r\n";
  }
  return text;
}

// Runs body with the effective user of a folder that cannot be written (as
// root, permission bits do not stop writes, so the folder and its files are
// handed to another user for the time of the body).
#ifndef _WIN32
void WithReadOnlyFolder(const fs::path& folder, const std::function<void()>& body) {
  const bool root = ::geteuid() == 0;
  const uid_t other = 65534;
  if (root) {
    ASSERT_EQ(::chown(folder.c_str(), other, other), 0);
    for (const auto& e : fs::directory_iterator(folder)) ASSERT_EQ(::chown(e.path().c_str(), other, other), 0);
    ASSERT_EQ(::seteuid(other), 0);
  }
  ::chmod(folder.c_str(), 0500);
  body();
  ::chmod(folder.c_str(), 0700);
  if (root) {
    ASSERT_EQ(::seteuid(0), 0);
  }
}
#endif

}  // namespace

TEST_F(SettingsSaveTest, AFirstSaveWritesEveryKeyInOrderAndKeepsTheLoginOut) {
  Settings s = Loaded();
  s.UserID = 1234;
  s.Password = "secret";
  s.Game.GameSize = 3;
  s.ChatTime = true;
  ASSERT_TRUE(s.SaveSettings(Layout(), {{1, "lobby", "", 0, true}}));
  EXPECT_EQ(Read(UserIni()),
            "[Form]\r\nTop=10\r\nLeft=20\r\nWidth=800\r\nHeight=600\r\nRoomHeight=150\r\nRoomVisible=0\r\n"
            "GameColumn0=191\r\nGameColumn1=101\r\nGameColumn2=51\r\nGameColumn3=101\r\nGameColumn4=76\r\n"
            "GameColumn5=41\r\nGameColumn6=42\r\n"
            "[Common]\r\nGameMode=0\r\nGameSize=3\r\nGameFrameRate=0\r\nGameShadow=1\r\nGameModel=1\r\nGameFog=0\r\n"
            "ChatTime=1\r\nRoomCount=1\r\n"
            "[Room1]\r\nName=lobby\r\nPassword=\r\nTeamID=0\r\nChatSound=1\r\n");
#ifndef _WIN32
  EXPECT_EQ(testfiles::Mode(UserIni()), 0600u) << "the file holds the password";
#endif
  EXPECT_FALSE(fs::exists(AccessIni())) << "access.ini is never written";
}

TEST_F(SettingsSaveTest, WhatWasSavedIsWhatTheNextRunLoads) {
  Settings s = Loaded();
  s.Game = GameOptions{1, 12, 1, 2, 0, 1};
  s.ChatTime = true;
  const std::string name = cp932::FromUtf8("ソ表");  // trail bytes 0x5C
  ASSERT_TRUE(s.SaveSettings(Layout(), {{1, name, " p w ", -7, false}}));
  const Settings next = Loaded();
  EXPECT_EQ(next.Form.Top, 10);
  EXPECT_EQ(next.Form.GameColumns, Layout().GameColumns);
  EXPECT_FALSE(next.Form.RoomVisible);
  EXPECT_EQ(next.Game.GameSize, 12);
  EXPECT_EQ(next.Game.GameShadow, 2);
  EXPECT_EQ(next.Game.GameFog, 1);
  EXPECT_TRUE(next.ChatTime);
  ASSERT_EQ(next.Rooms.Count(), 1);
  EXPECT_EQ(next.Rooms.At(0).Name, name);
  EXPECT_EQ(next.Rooms.At(0).Password, " p w ");
  EXPECT_EQ(next.Rooms.At(0).TeamID, -7);
  EXPECT_FALSE(next.Rooms.At(0).ChatSound);
}

// The flags of this client only are written once the player has chosen other
// than the default (a file without them stays as the older client wrote it), a
// choice taken back is written too, and they read back as they were kept.
// Keeping the window in the tray is off unless chosen and read as on for 1
// only; saving the chat log is on unless turned off and read as on for any
// value but 0.
TEST_F(SettingsSaveTest, FlagsOfThisClientAreWrittenOnceChosenAndReadBack) {
  const struct {
    const char* key;
    bool Settings::*flag;
    bool byDefault;
    bool twoReadsAs;
  } rows[] = {
      {"KeepInTray", &Settings::KeepInTray, false, false},
      {"SaveChatLog", &Settings::SaveChatLog, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    const std::string key = row.key;
    fs::remove(UserIni());
    Settings s = Loaded();
    EXPECT_EQ(s.*row.flag, row.byDefault);
    ASSERT_TRUE(s.SaveSettings(Layout(), {}));
    EXPECT_EQ(Read(UserIni()).find(key), std::string::npos);
    s.*row.flag = !row.byDefault;
    ASSERT_TRUE(s.SaveSettings(Layout(), {}));
    EXPECT_NE(Read(UserIni()).find(key + "=" + (row.byDefault ? "0" : "1")), std::string::npos);
    Settings next = Loaded();
    EXPECT_EQ(next.*row.flag, !row.byDefault);
    next.*row.flag = row.byDefault;
    ASSERT_TRUE(next.SaveSettings(Layout(), {}));
    EXPECT_NE(Read(UserIni()).find(key + "=" + (row.byDefault ? "1" : "0")), std::string::npos)
        << "a choice taken back is written too";
    EXPECT_EQ(Loaded().*row.flag, row.byDefault);
    Write(UserIni(), "[Common]\r\n" + key + "=2\r\n");
    EXPECT_EQ(Loaded().*row.flag, row.twoReadsAs) << (row.byDefault ? "any value but 0 is on" : "only 1 turns it on");
  }
}

TEST_F(SettingsSaveTest, TwoTabsOverFiveRoomsRewriteTwoAndLeaveTheRest) {
  Write(UserIni(), FiveRooms());
  Settings s = Loaded();
  ASSERT_EQ(s.Rooms.Count(), 5);
  ASSERT_TRUE(s.SaveSettings(Layout(), {{4, "new1", "np", 8, false}, {5, "new2", "", 0, true}}));
  EXPECT_EQ(s.Rooms.Count(), 2);

  const IniFile file = IniFile::Load(UserIni());
  EXPECT_EQ(file.ReadInteger("Common", "RoomCount", -1), 2);
  EXPECT_EQ(file.ReadString("Room1", "Name", ""), "new1");
  EXPECT_EQ(file.ReadString("Room1", "Password", ""), "np");
  EXPECT_EQ(file.ReadInteger("Room1", "TeamID", -1), 8);
  EXPECT_EQ(file.ReadInteger("Room1", "ChatSound", -1), 0);
  EXPECT_EQ(file.ReadString("Room2", "Name", ""), "new2");
  EXPECT_EQ(file.ReadString("Room2", "Password", "x"), "");
  for (int n = 3; n <= 5; ++n) {
    const std::string section = "Room" + std::to_string(n);
    EXPECT_EQ(file.ReadString(section, "Name", ""), "old" + std::to_string(n)) << section;
    EXPECT_EQ(file.ReadString(section, "Password", ""), "pw" + std::to_string(n)) << section;
  }
  const Settings next = Loaded();
  ASSERT_EQ(next.Rooms.Count(), 2);
  EXPECT_EQ(next.Rooms.At(1).Name, "new2");
}

TEST_F(SettingsSaveTest, NoOpenTabLeavesTheRoomsOfTheFile) {
  Write(UserIni(), FiveRooms());
  const std::string before = Read(UserIni());
  Settings s = Loaded();
  ASSERT_TRUE(s.SaveSettings(Layout(), {{-1, "not yet a room", "", 0, true}}));
  const std::string after = Read(UserIni());
  EXPECT_NE(after, before) << "the layout is written";
  EXPECT_EQ(IniFile::Load(UserIni()).ReadInteger("Common", "RoomCount", -1), 5);
  EXPECT_NE(after.find(before.substr(before.find("[Room1]"))), std::string::npos) << "every Room section unchanged";
  EXPECT_EQ(Loaded().Rooms.Count(), 5);
}

TEST_F(SettingsSaveTest, SameNameTwiceIsSavedOnceWithTheFirstTabsValues) {
  Settings s = Loaded();
  ASSERT_TRUE(s.SaveSettings(Layout(), {{1, "same", "first", 1, true}, {2, "same", "second", 2, false}}));
  const IniFile file = IniFile::Load(UserIni());
  EXPECT_EQ(file.ReadInteger("Common", "RoomCount", -1), 1);
  EXPECT_EQ(file.ReadString("Room1", "Password", ""), "first");
  EXPECT_EQ(file.ReadInteger("Room1", "TeamID", -1), 1);
  EXPECT_EQ(file.ReadInteger("Room1", "ChatSound", -1), 1);
  EXPECT_FALSE(file.HasKey("Room2", "Name"));
}

TEST_F(SettingsSaveTest, PrivateTalkTabIsSavedLikeARoom) {
  const std::string privateTalk = cp932::FromUtf8("【個別 チャット】");
  Settings s = Loaded();
  ASSERT_TRUE(s.SaveSettings(Layout(), {{9999, privateTalk, "", 0, false}}));
  const std::string bytes = Read(UserIni());
  EXPECT_NE(bytes.find("[Room1]\r\nName=" + privateTalk + "\r\nPassword=\r\nTeamID=0\r\nChatSound=0\r\n"),
            std::string::npos);
  const Settings next = Loaded();
  ASSERT_EQ(next.Rooms.Count(), 1);
  EXPECT_EQ(next.Rooms.At(0).Name, privateTalk) << "blank inside the name survives";
}

TEST_F(SettingsSaveTest, TheLoginIsWrittenOnlyBySaveLogin) {
  Write(UserIni(), "[Common]\r\nUserID=11\r\nPassword=old\r\n");
  Settings s = Loaded();
  s.UserID = 4321;
  s.Password = "new pw";
  ASSERT_TRUE(s.SaveSettings(Layout(), {}));
  EXPECT_EQ(Loaded().UserID, 11) << "never at exit";
  EXPECT_EQ(Loaded().Password, "old");

  Write(UserIni(), "[Form]\r\nTop=3\r\n");
  ASSERT_TRUE(s.SaveLogin());
  EXPECT_EQ(Read(UserIni()), "[Form]\r\nTop=3\r\n[Common]\r\nUserID=4321\r\nPassword=new pw\r\n")
      << "only the two login keys, the rest of the file as it was";
}

TEST_F(SettingsSaveTest, ALoginSavedDuringTheRunSurvivesTheExitSave) {
  Settings s = Loaded();
  s.UserID = 77;
  s.Password = "pw";
  ASSERT_TRUE(s.SaveLogin());
  ASSERT_TRUE(s.SaveSettings(Layout(), {}));
  EXPECT_EQ(Loaded().UserID, 77);
}

TEST_F(SettingsSaveTest, AFileOfTheOldClientKeepsEveryOtherByte) {
  const std::string room = cp932::FromUtf8("雑談部屋");
  const std::string note = cp932::FromUtf8("; メモ：手で編集した");
  const std::string original = note +
                               "\r\n"
                               "[form]\r\n"
                               "Top = 12\r\n"
                               "left=  34   \r\n"
                               "; the panel\r\n"
                               "ROOMHEIGHT\t=\t200\r\n"
                               "Unknown=" +
                               room +
                               "\r\n"
                               "\r\n"
                               "[COMMON]\r\n"
                               "userid=1234\r\n"
                               "password = \"s e\"  \r\n"
                               "gamemode=1\r\n"
                               "RoomCount=1\r\n"
                               "Extra=keep me\r\n"
                               "\r\n"
                               "[room1]\r\n"
                               "Name=" +
                               room +
                               "\r\n"
                               "TeamID=0\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "Foo=bar\r\n";
  Write(UserIni(), original);
  Settings s = Loaded();
  EXPECT_EQ(s.Password, "s e");
  EXPECT_EQ(s.Form.Left, 34);
  s.Game.GameMode = 0;
  ASSERT_TRUE(s.SaveSettings(Layout(), {{2, room, "rp", 3, true}, {3, "b", "", 0, false}}));

  const std::string expected =
      note +
      "\r\n"
      "[form]\r\n"
      "Top = 10\r\n"
      "left=  20   \r\n"
      "; the panel\r\n"
      "ROOMHEIGHT\t=\t150\r\n"
      "Unknown=" +
      room +
      "\r\n"
      "Width=800\r\n"
      "Height=600\r\n"
      "RoomVisible=0\r\n"
      "GameColumn0=191\r\nGameColumn1=101\r\nGameColumn2=51\r\nGameColumn3=101\r\nGameColumn4=76\r\n"
      "GameColumn5=41\r\nGameColumn6=42\r\n"
      "\r\n"
      "[COMMON]\r\n"
      "userid=1234\r\n"
      "password = \"s e\"  \r\n"
      "gamemode=0\r\n"
      "RoomCount=2\r\n"
      "Extra=keep me\r\n"
      "GameSize=7\r\nGameFrameRate=0\r\nGameShadow=1\r\nGameModel=1\r\nGameFog=0\r\nChatTime=0\r\n"
      "\r\n"
      "[room1]\r\n"
      "Name=" +
      room +
      "\r\n"
      "TeamID=3\r\n"
      "Password=rp\r\n"
      "ChatSound=1\r\n"
      "\r\n"
      "[Other]\r\n"
      "Foo=bar\r\n"
      "[Room2]\r\nName=b\r\nPassword=\r\nTeamID=0\r\nChatSound=0\r\n";
  EXPECT_EQ(Read(UserIni()), expected);
}

TEST_F(SettingsSaveTest, ThePathFromTheCommandLineIsReadAndWritten) {
  const std::string exe = folder_.File("turfwing");
  const std::string own = folder_.File("mine.ini");
  Write(own, "[Common]\r\nUserID=5\r\n");
  Write(AccessIni(), "[Common]\r\nPort=7000\r\n");
  Settings s(AccessPath(exe), SettingsPath(exe, {own}));
  s.LoadSettings(FormLayout{});
  EXPECT_EQ(s.UserID, 5);
  EXPECT_EQ(s.Access.Port, 7000) << "access.ini still comes from the executable's folder";
  s.UserID = 6;
  ASSERT_TRUE(s.SaveLogin());
  EXPECT_EQ(IniFile::Load(own).ReadInteger("Common", "UserID", 0), 6);
  EXPECT_FALSE(testfiles::Exists(UserIni()));
}

TEST_F(SettingsSaveTest, AnUnwritableFolderReportsFailureAndKeepsTheOldFile) {
#ifdef _WIN32
  GTEST_SKIP() << testfiles::kOnPosixOnly << " (a folder's rights there are ACLs, which Wine does not enforce)";
#else
  Write(UserIni(), "[Common]\r\nUserID=1\r\n");
  const std::string before = Read(UserIni());
  Settings s = Loaded();
  s.UserID = 2;
  bool saved = true;
  bool loginSaved = true;
  WithReadOnlyFolder(dir_, [&] {
    saved = s.SaveSettings(Layout(), {{1, "a", "", 0, true}});
    loginSaved = s.SaveLogin();
  });
  EXPECT_FALSE(saved);
  EXPECT_FALSE(loginSaved);
  EXPECT_EQ(Read(UserIni()), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
#endif
}

TEST_F(SettingsSaveTest, AFileThatCannotBeReadIsNotReplaced) {
  Write(UserIni(), "[Common]\r\nUserID=1\r\n[Keep]\r\nthis=line\r\n");
  const std::string before = Read(UserIni());
  Settings s(AccessIni(), UserIni());
  bool saved = true;
  {
    testfiles::Unreadable locked(UserIni());
#ifdef _WIN32
    saved = s.SaveLogin();
#else
    if (::geteuid() == 0) {
      // The folder is the other user's and writable; the file stays root's.
      ASSERT_EQ(::chown(dir_.c_str(), 65534, 65534), 0);
      ASSERT_EQ(::seteuid(65534), 0);
      saved = s.SaveLogin();
      ASSERT_EQ(::seteuid(0), 0);
    } else {
      saved = s.SaveLogin();
    }
#endif
  }
  EXPECT_FALSE(saved);
  EXPECT_EQ(Read(UserIni()), before);
}
