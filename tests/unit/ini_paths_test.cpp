#include "platform/paths.h"

#include <gtest/gtest.h>

TEST(IniPathsTest, AccessIniSitsBesideTheExecutable) {
  EXPECT_EQ(AccessPath("/opt/turfwing/turfwing"), "/opt/turfwing/access.ini");
  EXPECT_EQ(AccessPath("/turfwing"), "/access.ini");
  EXPECT_EQ(AccessPath("turfwing"), "access.ini");
}

TEST(IniPathsTest, SettingsPathChangesOrAddsTheExtension) {
  EXPECT_EQ(SettingsPath("/opt/turfwing/turfwing", {}), "/opt/turfwing/turfwing.INI");
  EXPECT_EQ(SettingsPath("/opt/turfwing/client.bin", {}), "/opt/turfwing/client.INI");
  EXPECT_EQ(SettingsPath("/opt/tw.v2/turfwing", {}), "/opt/tw.v2/turfwing.INI") << "a dot in a folder name";
  EXPECT_EQ(SettingsPath("/opt/tw/a.b.c", {}), "/opt/tw/a.b.INI");
  EXPECT_EQ(SettingsPath("/opt/tw/.hidden", {}), "/opt/tw/.hidden.INI");
}

TEST(IniPathsTest, ExactlyOneArgumentReplacesTheSettingsPathUnchanged) {
  EXPECT_EQ(SettingsPath("/opt/tw/turfwing", {"../my settings.ini"}), "../my settings.ini");
  EXPECT_EQ(SettingsPath("/opt/tw/turfwing", {"a.ini", "b.ini"}), "/opt/tw/turfwing.INI");
  EXPECT_EQ(AccessPath("/opt/tw/turfwing"), "/opt/tw/access.ini") << "access.ini never moves";
}

TEST(IniPathsTest, TheRunningExecutableIsFound) {
  const std::string self = CurrentExecutablePath();
  ASSERT_FALSE(self.empty());
  EXPECT_EQ(self.front(), '/');
  EXPECT_NE(self.find("unit_tests"), std::string::npos);
  EXPECT_EQ(FolderOf(self) + "/access.ini", AccessPath(self));
}
