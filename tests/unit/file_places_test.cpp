#include "platform/file_places.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "lobby/settings.h"
#include "test_files.h"

namespace {

// A world of variables, files and folders, for either system's rules.
struct World {
  bool windows = false;
  std::map<std::string, std::string> vars{};
  std::set<std::string> files{};
  std::set<std::string> folders{};
  std::string accountHome{};

  PlacesLookup Lookup() const {
    PlacesLookup l;
    l.windows = windows;
    l.variable = [this](const char* name) {
      const auto it = vars.find(name);
      return it == vars.end() ? std::string() : it->second;
    };
    l.isFile = [this](const std::string& p) { return files.count(p) != 0; };
    l.isFolder = [this](const std::string& p) { return folders.count(p) != 0; };
    l.accountHome = accountHome;
    return l;
  }
};

struct Row {
  const char* what;
  World world;
  std::string exe;
  std::vector<std::string> args;
  // Expected.
  bool portable;
  std::string access, settings, settingsFolder, data, game;
  bool problem = false;
};

const std::set<std::string> kUsrData{"/usr/share/turfwing"};

TEST(FilePlacesTest, TheOneRuleForBothModesAndBothSystems) {
  const std::vector<Row> rows = {
      {"portable: access.ini beside the executable keeps everything there",
       {.files = {"/opt/tw/access.ini", "/home/u/.config/turfwing/access.ini"}, .folders = kUsrData},
       "/opt/tw/turfwing",
       {},
       true,
       "/opt/tw/access.ini",
       "/opt/tw/turfwing.INI",
       "",
       "/opt/tw",
       ""},
      {"portable: the one argument names the settings file, access.ini stays",
       {.files = {"/opt/tw/access.ini"}},
       "/opt/tw/turfwing",
       {"../my.ini"},
       true,
       "/opt/tw/access.ini",
       "../my.ini",
       "",
       "/opt/tw",
       ""},
      {"portable: two arguments are not one",
       {.files = {"/opt/tw/access.ini"}},
       "/opt/tw/turfwing",
       {"a.ini", "b.ini"},
       true,
       "/opt/tw/access.ini",
       "/opt/tw/turfwing.INI",
       "",
       "/opt/tw",
       ""},
      {"installed: the user's own access.ini wins over the system's and the template",
       {.vars = {{"XDG_CONFIG_HOME", "/home/u/cfg"}, {"HOME", "/home/u"}},
        .files = {"/home/u/cfg/turfwing/access.ini", "/etc/xdg/turfwing/access.ini", "/usr/share/turfwing/access.ini"},
        .folders = kUsrData},
       "/usr/bin/turfwing",
       {},
       false,
       "/home/u/cfg/turfwing/access.ini",
       "/home/u/cfg/turfwing/turfwing.INI",
       "/home/u/cfg/turfwing",
       "/usr/share/turfwing",
       "/home/u/cfg/turfwing"},
      {"installed: XDG_CONFIG_HOME unset means ~/.config; /etc/xdg is the default system folder",
       {.vars = {{"HOME", "/home/u"}},
        .files = {"/etc/xdg/turfwing/access.ini", "/usr/share/turfwing/access.ini"},
        .folders = kUsrData},
       "/usr/bin/turfwing",
       {},
       false,
       "/etc/xdg/turfwing/access.ini",
       "/home/u/.config/turfwing/turfwing.INI",
       "/home/u/.config/turfwing",
       "/usr/share/turfwing",
       "/etc/xdg/turfwing"},
      {"installed: an empty or relative XDG_CONFIG_HOME is ignored",
       {.vars = {{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/u"}},
        .files = {"cfg/turfwing/access.ini", "/usr/share/turfwing/access.ini"},
        .folders = kUsrData},
       "/usr/bin/turfwing",
       {},
       false,
       "/usr/share/turfwing/access.ini",
       "/home/u/.config/turfwing/turfwing.INI",
       "/home/u/.config/turfwing",
       "/usr/share/turfwing",
       "/usr/share/turfwing"},
      {"installed: XDG_CONFIG_DIRS in order, empty and relative entries skipped",
       {.vars = {{"HOME", "/home/u"}, {"XDG_CONFIG_DIRS", "rel::/opt/a:/opt/b"}},
        .files = {"rel/turfwing/access.ini", "/opt/b/turfwing/access.ini", "/etc/xdg/turfwing/access.ini"},
        .folders = kUsrData},
       "/usr/bin/turfwing",
       {},
       false,
       "/opt/b/turfwing/access.ini",
       "/home/u/.config/turfwing/turfwing.INI",
       "/home/u/.config/turfwing",
       "/usr/share/turfwing",
       "/opt/b/turfwing"},
      {"installed: no access.ini anywhere reads the (missing) template: the defaults",
       {.vars = {{"HOME", "/home/u"}}, .folders = kUsrData},
       "/usr/bin/turfwing",
       {},
       false,
       "/usr/share/turfwing/access.ini",
       "/home/u/.config/turfwing/turfwing.INI",
       "/home/u/.config/turfwing",
       "/usr/share/turfwing",
       "/usr/share/turfwing"},
      {"installed: an unpacked package runs where it lies",
       {.vars = {{"HOME", "/home/u"}},
        .files = {"/tmp/root/usr/share/turfwing/access.ini"},
        .folders = {"/tmp/root/usr/share/turfwing"}},
       "/tmp/root/usr/bin/turfwing",
       {},
       false,
       "/tmp/root/usr/share/turfwing/access.ini",
       "/home/u/.config/turfwing/turfwing.INI",
       "/home/u/.config/turfwing",
       "/tmp/root/usr/share/turfwing",
       "/tmp/root/usr/share/turfwing"},
      {"installed: the argument replaces the settings file and nothing is created",
       {.vars = {{"HOME", "/home/u"}}, .folders = kUsrData},
       "/usr/bin/turfwing",
       {"-odd.ini"},
       false,
       "/usr/share/turfwing/access.ini",
       "-odd.ini",
       "",
       "/usr/share/turfwing",
       "/usr/share/turfwing"},
      {"installed: HOME unset falls back to the account's home",
       {.folders = kUsrData, .accountHome = "/home/acct"},
       "/usr/bin/turfwing",
       {},
       false,
       "/usr/share/turfwing/access.ini",
       "/home/acct/.config/turfwing/turfwing.INI",
       "/home/acct/.config/turfwing",
       "/usr/share/turfwing",
       "/usr/share/turfwing"},
      {"installed: no home at all leaves no settings file and says so",
       {.vars = {{"HOME", "relative"}}, .folders = kUsrData},
       "/usr/bin/turfwing",
       {},
       false,
       "/usr/share/turfwing/access.ini",
       "",
       "",
       "/usr/share/turfwing",
       "/usr/share/turfwing",
       true},
      {"installed: no home, but the argument is enough",
       {.folders = kUsrData},
       "/usr/bin/turfwing",
       {"/tmp/s.ini"},
       false,
       "/usr/share/turfwing/access.ini",
       "/tmp/s.ini",
       "",
       "/usr/share/turfwing",
       "/usr/share/turfwing"},
      {"installed: a missing data folder is a problem to tell",
       {.vars = {{"HOME", "/home/u"}}, .files = {"/home/u/.config/turfwing/access.ini"}},
       "/usr/bin/turfwing",
       {},
       false,
       "/home/u/.config/turfwing/access.ini",
       "/home/u/.config/turfwing/turfwing.INI",
       "/home/u/.config/turfwing",
       "/usr/share/turfwing",
       "/home/u/.config/turfwing",
       true},
      {"windows portable",
       {.windows = true, .files = {"C:\\Games\\Turfwing\\access.ini"}},
       "C:\\Games\\Turfwing\\turfwing.exe",
       {},
       true,
       "C:\\Games\\Turfwing\\access.ini",
       "C:\\Games\\Turfwing\\turfwing.INI",
       "",
       "C:\\Games\\Turfwing",
       ""},
      {"windows installed: %APPDATA%\\Turfwing; the XDG variables mean nothing there",
       {.windows = true,
        .vars = {{"APPDATA", "C:\\Users\\u\\AppData\\Roaming"}, {"XDG_CONFIG_HOME", "C:\\x"}, {"HOME", "C:\\h"}},
        .files = {"C:\\x\\turfwing\\access.ini", "/etc/xdg/turfwing/access.ini"},
        .folders = {"C:\\Program Files\\Turfwing\\share\\turfwing"}},
       "C:\\Program Files\\Turfwing\\bin\\turfwing.exe",
       {},
       false,
       "C:\\Program Files\\Turfwing\\share\\turfwing\\access.ini",
       "C:\\Users\\u\\AppData\\Roaming\\Turfwing\\turfwing.INI",
       "C:\\Users\\u\\AppData\\Roaming\\Turfwing",
       "C:\\Program Files\\Turfwing\\share\\turfwing",
       "C:\\Program Files\\Turfwing\\share\\turfwing"},
      {"windows installed: no APPDATA, the profile's roaming folder",
       {.windows = true,
        .vars = {{"APPDATA", "Roaming"}, {"USERPROFILE", "C:\\Users\\u"}},
        .files = {"C:\\Users\\u\\AppData\\Roaming\\Turfwing\\access.ini"},
        .folders = {"D:\\share\\turfwing"}},
       "D:\\bin\\turfwing.exe",
       {},
       false,
       "C:\\Users\\u\\AppData\\Roaming\\Turfwing\\access.ini",
       "C:\\Users\\u\\AppData\\Roaming\\Turfwing\\turfwing.INI",
       "C:\\Users\\u\\AppData\\Roaming\\Turfwing",
       "D:\\share\\turfwing",
       "C:\\Users\\u\\AppData\\Roaming\\Turfwing"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const FilePlaces p = DecideFilePlaces(row.exe, row.args, row.world.Lookup());
    EXPECT_EQ(p.portable, row.portable);
    EXPECT_EQ(p.accessPath, row.access);
    EXPECT_EQ(p.settingsPath, row.settings);
    EXPECT_EQ(p.settingsFolder, row.settingsFolder);
    EXPECT_EQ(p.dataFolder, row.data);
    EXPECT_EQ(p.gameFolder, row.game);
    EXPECT_EQ(!p.problem.empty(), row.problem) << p.problem;
  }
}

// The chat logs: beside the settings file when portable (wherever the argument
// put it), the user's data folder when installed.
TEST(FilePlacesTest, TheLogsFolderFollowsTheMode) {
  const struct {
    const char* what;
    World world;
    std::string exe;
    std::vector<std::string> args;
    std::string logs;
  } rows[] = {
      {"portable", {.files = {"/opt/tw/access.ini"}}, "/opt/tw/turfwing", {}, "/opt/tw/logs"},
      {"portable, the argument's folder",
       {.files = {"/opt/tw/access.ini"}},
       "/opt/tw/turfwing",
       {"/s/my.ini"},
       "/s/logs"},
      {"installed: XDG_DATA_HOME",
       {.vars = {{"XDG_DATA_HOME", "/d"}, {"HOME", "/home/u"}}, .folders = kUsrData},
       "/usr/bin/turfwing",
       {"/s/my.ini"},
       "/d/turfwing/logs"},
      {"installed: a relative XDG_DATA_HOME is ignored",
       {.vars = {{"XDG_DATA_HOME", "d"}, {"HOME", "/home/u"}}, .folders = kUsrData},
       "/usr/bin/turfwing",
       {},
       "/home/u/.local/share/turfwing/logs"},
      {"installed: no home, no logs",
       {.vars = {{"HOME", "relative"}}, .folders = kUsrData},
       "/usr/bin/turfwing",
       {},
       ""},
      {"windows portable", {.windows = true, .files = {"C:\\T\\access.ini"}}, "C:\\T\\turfwing.exe", {}, "C:\\T\\logs"},
      {"windows installed",
       {.windows = true, .vars = {{"APPDATA", "C:\\R"}, {"XDG_DATA_HOME", "C:\\x"}}},
       "D:\\bin\\turfwing.exe",
       {},
       "C:\\R\\Turfwing\\logs"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(DecideFilePlaces(row.exe, row.args, row.world.Lookup()).logsFolder, row.logs);
  }
}

#ifdef _WIN32
constexpr const char* kSep = "\\";
#else
constexpr const char* kSep = "/";
#endif

// The first save makes the user's folder (owner-only), and a folder that cannot
// be made fails the save without touching what was stored.
TEST(FilePlacesTest, TheSettingsFolderIsMadeOnTheFirstSave) {
  testfiles::TempFolder temp;
  ASSERT_TRUE(temp.Valid());
  const std::string folder = temp.File("config") + kSep + "turfwing";
  const std::string ini = folder + kSep + "turfwing.INI";
  Settings settings(temp.File("access.ini"), ini, folder);
  settings.LoadSettings(FormLayout{});
  EXPECT_FALSE(testfiles::Exists(folder)) << "reading alone creates nothing";
  settings.UserID = 7;
  ASSERT_TRUE(settings.SaveLogin());
  EXPECT_NE(testfiles::Read(ini).find("UserID=7"), std::string::npos);
#ifndef _WIN32
  EXPECT_EQ(testfiles::Mode(folder), 0700u);
  EXPECT_EQ(testfiles::Mode(temp.File("config")), 0700u) << "a missing parent is private too";
#endif
}

TEST(FilePlacesTest, AFileInTheWayFailsTheSaveAndKeepsTheFile) {
  testfiles::TempFolder temp;
  ASSERT_TRUE(temp.Valid());
  const std::string blocker = temp.File("config");  // XDG_CONFIG_HOME naming a file
  testfiles::Write(blocker, "not a folder");
  const std::string folder = blocker + kSep + "turfwing";
  EXPECT_FALSE(MakeFolderPath(folder));
  Settings settings(temp.File("access.ini"), folder + kSep + "turfwing.INI", folder);
  settings.LoadSettings(FormLayout{});
  EXPECT_FALSE(settings.SaveLogin());
  EXPECT_FALSE(settings.SaveSettings(FormLayout{}, {}));
  EXPECT_EQ(testfiles::Read(blocker), "not a folder");
}

}  // namespace
