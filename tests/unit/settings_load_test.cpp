#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "lobby/settings.h"
#include "platform/cp932.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

class SettingsLoadTest : public ::testing::Test {
 protected:
  std::string AccessIni() const { return dir_.File("access.ini"); }
  std::string UserIni() const { return dir_.File("turfwing.INI"); }
  static void Write(const std::string& path, const std::string& bytes) { testfiles::Write(path, bytes); }
  static FormLayout Design() {
    FormLayout design;
    design.Width = 808;
    design.Height = 627;
    return design;
  }
  Settings Load(const std::string& userIni) {
    Settings s(AccessIni(), UserIni());
    Write(UserIni(), userIni);
    s.LoadSettings(Design());
    return s;
  }

  testfiles::TempFolder dir_{"settings_load"};
};

const std::string kWaitingRoom = cp932::FromUtf8("待合室");

}  // namespace

TEST_F(SettingsLoadTest, FirstStartWithoutFilesGivesEveryDefault) {
  Settings s(AccessIni(), UserIni());
  s.LoadSettings(Design());

  EXPECT_EQ(s.Access.IP, "");
  EXPECT_EQ(s.Access.Port, 0);
  EXPECT_EQ(s.Access.GameExe, "game\\soccer.exe");
  EXPECT_EQ(s.Access.GameExeTest, "game\\soccerTest.exe");
  EXPECT_EQ(s.Access.UrlHome + s.Access.UrlMember + s.Access.UrlNew + s.Access.UrlDownload + s.Access.UrlUserInfo, "");

  EXPECT_EQ(s.Form.Top, 0);
  EXPECT_EQ(s.Form.Left, 0);
  EXPECT_EQ(s.Form.Width, 808);
  EXPECT_EQ(s.Form.Height, 627);
  EXPECT_EQ(s.Form.RoomHeight, 145);
  EXPECT_TRUE(s.Form.RoomVisible);
  EXPECT_EQ(s.Form.GameColumns, (std::array<int, 7>{190, 100, 50, 100, 75, 40, 40}));

  EXPECT_EQ(s.UserID, 0);
  EXPECT_EQ(s.Password, "");
  EXPECT_EQ(s.Game.GameMode, 0);
  EXPECT_EQ(s.Game.GameSize, 7);
  EXPECT_EQ(s.Game.GameFrameRate, 0);
  EXPECT_EQ(s.Game.GameShadow, 1);
  EXPECT_EQ(s.Game.GameModel, 1);
  EXPECT_EQ(s.Game.GameFog, 0);
  EXPECT_FALSE(s.ChatTime);

  ASSERT_EQ(s.Rooms.Count(), 1);
  EXPECT_EQ(s.Rooms.At(0).Name, kWaitingRoom);
  EXPECT_EQ(s.Rooms.At(0).Password, "");
  EXPECT_EQ(s.Rooms.At(0).TeamID, 0);
  EXPECT_FALSE(s.Rooms.At(0).ChatSound);
  EXPECT_FALSE(fs::exists(UserIni())) << "loading never writes";
}

TEST_F(SettingsLoadTest, DesignLayoutIsTheDefaultExceptThePosition) {
  FormLayout design = Design();
  design.Top = 50;
  design.Left = 60;
  design.RoomHeight = 200;
  design.GameColumns = {1, 2, 3, 4, 5, 6, 7};
  Settings s(AccessIni(), UserIni());
  Write(UserIni(), "[Form]\r\nGameColumn3=99\r\n");
  s.LoadSettings(design);
  EXPECT_EQ(s.Form.Top, 0);
  EXPECT_EQ(s.Form.Left, 0);
  EXPECT_EQ(s.Form.RoomHeight, 200);
  EXPECT_EQ(s.Form.GameColumns, (std::array<int, 7>{1, 2, 3, 99, 5, 6, 7}));
}

TEST_F(SettingsLoadTest, AccessIniFillsTheOperatorValues) {
  Write(AccessIni(),
        "[Common]\r\nIP=192.0.2.7\r\nPort=9010\r\nGameExe=bin\\g.exe\r\nGameExeTest=\r\n"
        "[URL]\r\nHome=http://h/\r\nMember=http://m/\r\nNew=http://n/\r\nDownload=http://d/\r\n"
        "UserInfo=http://u/?id=\r\n");
  Settings s(AccessIni(), UserIni());
  s.LoadSettings(Design());
  EXPECT_EQ(s.Access.IP, "192.0.2.7");
  EXPECT_EQ(s.Access.Port, 9010);
  EXPECT_EQ(s.Access.GameExe, "bin\\g.exe");
  EXPECT_EQ(s.Access.GameExeTest, "") << "a present empty value is not the default";
  EXPECT_EQ(s.Access.UrlHome, "http://h/");
  EXPECT_EQ(s.Access.UrlMember, "http://m/");
  EXPECT_EQ(s.Access.UrlNew, "http://n/");
  EXPECT_EQ(s.Access.UrlDownload, "http://d/");
  EXPECT_EQ(s.Access.UrlUserInfo, "http://u/?id=");
}

TEST_F(SettingsLoadTest, GameRunnerIsOptionalAndReadAsItStands) {
  EXPECT_EQ(Load("").Access.GameRunner, "") << "missing: Wine from the search path";
  Write(AccessIni(), "[Common]\r\nGameRunner = /opt/wine-8/bin/wine \r\n");
  EXPECT_EQ(Load("").Access.GameRunner, "/opt/wine-8/bin/wine");
  Write(AccessIni(), "[common]\r\ngamerunner=\r\n");
  EXPECT_EQ(Load("").Access.GameRunner, "");
}

// TLS is asked for by anything but 0, so that a mistyped value never falls back
// to clear text; the authority file is found beside access.ini.
TEST_F(SettingsLoadTest, SecureAndItsAuthorityFile) {
  const struct {
    const char* access;
    bool secure;
    std::string authority;
  } rows[] = {
      {"", false, ""},
      {"[Common]\r\nSecure=0\r\n", false, ""},
      {"[Common]\r\nSecure=1\r\n", true, ""},
      {"[Common]\r\nSecure=yes\r\n", true, ""},
      {"[Common]\r\nSecure=\r\n", true, ""},
      {"[Common]\r\nSecure=1\r\nCACertificate=ca.pem\r\n", true, dir_.File("ca.pem")},
#ifdef _WIN32
      {"[Common]\r\nCACertificate=C:\\certs\\ca.pem\r\n", false, "C:\\certs\\ca.pem"},
#else
      {"[Common]\r\nCACertificate=/etc/ssl/ca.pem\r\n", false, "/etc/ssl/ca.pem"},
#endif
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.access);
    Write(AccessIni(), row.access);
    const Settings s = Load("");
    EXPECT_EQ(s.Access.Secure, row.secure);
    EXPECT_EQ(s.Access.CACertificate, row.authority);
  }
}

TEST_F(SettingsLoadTest, FlagsAndFlagsOnOne) {
  Settings s = Load(
      "[Form]\r\nRoomVisible=2\r\n"
      "[Common]\r\nChatTime=2\r\nRoomCount=3\r\n"
      "[Room1]\r\nName=a\r\nChatSound=2\r\n"
      "[Room2]\r\nName=b\r\n"
      "[Room3]\r\nName=c\r\nChatSound=1\r\n");
  EXPECT_TRUE(s.Form.RoomVisible) << "any non-zero value shows the panel";
  EXPECT_FALSE(s.ChatTime) << "only 1 turns the time on";
  ASSERT_EQ(s.Rooms.Count(), 3);
  EXPECT_FALSE(s.Rooms.At(0).ChatSound) << "only 1 turns the sound on";
  EXPECT_TRUE(s.Rooms.At(1).ChatSound) << "a missing ChatSound is on";
  EXPECT_TRUE(s.Rooms.At(2).ChatSound);

  Settings off = Load("[Form]\r\nRoomVisible=0\r\n[Common]\r\nChatTime=1\r\n");
  EXPECT_FALSE(off.Form.RoomVisible);
  EXPECT_TRUE(off.ChatTime);
}

TEST_F(SettingsLoadTest, NonNumericIntegersGiveTheirDefaults) {
  Settings s = Load(
      "[Form]\r\nTop=abc\r\nWidth=12px\r\nRoomVisible=yes\r\nGameColumn6=\r\n"
      "[Common]\r\nUserID=x1\r\nGameSize=seven\r\nGameShadow=-\r\nChatTime=on\r\nRoomCount=two\r\n"
      "[Room1]\r\nName=ignored\r\n");
  EXPECT_EQ(s.Form.Top, 0);
  EXPECT_EQ(s.Form.Width, 808);
  EXPECT_TRUE(s.Form.RoomVisible);
  EXPECT_EQ(s.Form.GameColumns[6], 40);
  EXPECT_EQ(s.UserID, 0);
  EXPECT_EQ(s.Game.GameSize, 7);
  EXPECT_EQ(s.Game.GameShadow, 1);
  EXPECT_FALSE(s.ChatTime);
  ASSERT_EQ(s.Rooms.Count(), 1);
  EXPECT_EQ(s.Rooms.At(0).Name, kWaitingRoom);
}

TEST_F(SettingsLoadTest, GameValuesAreTakenWithoutRangeTest) {
  Settings s = Load("[Common]\r\nGameMode=5\r\nGameSize=-1\r\nGameFrameRate=9\r\nGameFog=100\r\n");
  EXPECT_EQ(s.Game.GameMode, 5);
  EXPECT_EQ(s.Game.GameSize, -1);
  EXPECT_EQ(s.Game.GameFrameRate, 9);
  EXPECT_EQ(s.Game.GameFog, 100);
}

TEST_F(SettingsLoadTest, RoomCountZeroIgnoresRoomSectionsAndGivesTheWaitingRoom) {
  Settings s = Load("[Common]\r\nRoomCount=0\r\n[Room1]\r\nName=Lobby2\r\nChatSound=1\r\n");
  ASSERT_EQ(s.Rooms.Count(), 1);
  EXPECT_EQ(s.Rooms.At(0).Name, kWaitingRoom);
  EXPECT_FALSE(s.Rooms.At(0).ChatSound);
}

TEST_F(SettingsLoadTest, RoomCountOutsideTheTableIsClamped) {
  std::string many = "[Common]\r\nRoomCount=600\r\n";
  for (int n = 1; n <= 600; ++n) many += "[Room" + std::to_string(n) + "]\r\nName=r" + std::to_string(n) + "\r\n";
  Settings s = Load(many);
  ASSERT_EQ(s.Rooms.Count(), 500);
  EXPECT_EQ(s.Rooms.At(0).Name, "r1");
  EXPECT_EQ(s.Rooms.At(499).Name, "r500");
  EXPECT_THROW(s.Rooms.At(500), std::out_of_range);

  Settings negative = Load("[Common]\r\nRoomCount=-3\r\n[Room1]\r\nName=x\r\n");
  ASSERT_EQ(negative.Rooms.Count(), 1);
  EXPECT_EQ(negative.Rooms.At(0).Name, kWaitingRoom);
}

TEST_F(SettingsLoadTest, RoomsAreLoadedInOrderWithDuplicatesAndMissingSections) {
  const std::string chat = cp932::FromUtf8("雑談");
  Settings s = Load("[Common]\r\nRoomCount=3\r\n[Room1]\r\nName=" + chat +
                    "\r\nPassword=p1\r\nTeamID=12\r\nChatSound=0\r\n"
                    "[Room2]\r\nName=" +
                    chat + "\r\nPassword=p2\r\nTeamID=-4\r\n");
  ASSERT_EQ(s.Rooms.Count(), 3) << "a named count is loaded even where a section is missing";
  EXPECT_EQ(s.Rooms.At(0).Name, chat);
  EXPECT_EQ(s.Rooms.At(0).Password, "p1");
  EXPECT_EQ(s.Rooms.At(0).TeamID, 12);
  EXPECT_FALSE(s.Rooms.At(0).ChatSound);
  EXPECT_EQ(s.Rooms.At(1).Name, chat) << "the same name twice: both are kept";
  EXPECT_EQ(s.Rooms.At(1).Password, "p2");
  EXPECT_EQ(s.Rooms.At(1).TeamID, -4);
  EXPECT_TRUE(s.Rooms.At(1).ChatSound);
  EXPECT_EQ(s.Rooms.At(2).Name, "");
  EXPECT_EQ(s.Rooms.FindRoom(chat), 0);
}

TEST_F(SettingsLoadTest, ReloadingReplacesTheRoomsInsteadOfAddingToThem) {
  Settings s = Load("[Common]\r\nRoomCount=2\r\n[Room1]\r\nName=a\r\n[Room2]\r\nName=b\r\n");
  s.LoadSettings(Design());
  EXPECT_EQ(s.Rooms.Count(), 2);
}

TEST(RememberedRoomsTest, AddRoomKeepsTheFirstEntryOfAName) {
  RememberedRooms rooms;
  EXPECT_EQ(rooms.AddRoom("a", "pa", 1, true), 0);
  EXPECT_EQ(rooms.AddRoom("b", "pb", 2, false), 1);
  EXPECT_EQ(rooms.AddRoom("a", "other", 9, false), 0);
  ASSERT_EQ(rooms.Count(), 2);
  EXPECT_EQ(rooms.At(0).Password, "pa");
  EXPECT_EQ(rooms.At(0).TeamID, 1);
  EXPECT_TRUE(rooms.At(0).ChatSound);
  EXPECT_EQ(rooms.AddRoom("A", "", 0, true), 2) << "names compare case-sensitively";
  EXPECT_EQ(rooms.FindRoom("B"), -1);
  EXPECT_EQ(rooms.FindRoom("b"), 1);
  EXPECT_EQ(rooms.FindRoom(std::string("a\0x", 3)), -1) << "bytes, not C strings";
  rooms.Clear();
  EXPECT_EQ(rooms.Count(), 0);
  EXPECT_EQ(rooms.FindRoom("a"), -1);
  EXPECT_THROW(rooms.At(0), std::out_of_range);
  EXPECT_THROW(rooms.At(-1), std::out_of_range);
}

TEST(RememberedRoomsTest, AFullListRefusesEvenAKnownName) {
  RememberedRooms rooms;
  for (int i = 0; i < RememberedRooms::Capacity; ++i) {
    ASSERT_EQ(rooms.AddRoom("r" + std::to_string(i), "", 0, false), i);
  }
  EXPECT_EQ(rooms.AddRoom("new", "", 0, true), -1);
  EXPECT_EQ(rooms.AddRoom("r3", "", 0, true), -1);
  EXPECT_EQ(rooms.Append(RememberedRoom{0, "x", "", 0, true}), -1);
  EXPECT_EQ(rooms.Count(), 500);
  EXPECT_EQ(rooms.FindRoom("r499"), 499);
  EXPECT_FALSE(rooms.At(3).ChatSound);
}

TEST(RememberedRoomsTest, CollectOpenRoomsFollowsTabOrderAndSkipsPagesWithoutARoom) {
  RememberedRooms rooms;
  rooms.AddRoom("old", "", 0, true);
  const std::string privateTalk = cp932::FromUtf8("【個別 チャット】");
  CollectOpenRooms({{3, "b", "pb1", 5, true},
                    {-1, "pending", "", 0, true},
                    {9999, privateTalk, "", 0, false},
                    {4, "b", "pb2", 6, false},
                    {7, "a", "", 0, true}},
                   rooms);
  ASSERT_EQ(rooms.Count(), 3);
  EXPECT_EQ(rooms.At(0).Name, "b");
  EXPECT_EQ(rooms.At(0).Password, "pb1");
  EXPECT_EQ(rooms.At(0).TeamID, 5);
  EXPECT_TRUE(rooms.At(0).ChatSound);
  EXPECT_EQ(rooms.At(1).Name, privateTalk);
  EXPECT_EQ(rooms.At(2).Name, "a");
  EXPECT_EQ(rooms.FindRoom("old"), -1);
}
