#include "platform/paths.h"

#include <gtest/gtest.h>

// The same rules on every system, with the system's own separator: '/' on
// POSIX, '\\' on Windows (where '/' and a drive's ':' also end a folder).
#ifdef _WIN32
#define ROOT "C:\\"
#define SEP "\\"
#else
#define ROOT "/"
#define SEP "/"
#endif

TEST(IniPathsTest, AccessIniSitsBesideTheExecutable) {
  EXPECT_EQ(AccessPath(ROOT "opt" SEP "turfwing" SEP "turfwing"), ROOT "opt" SEP "turfwing" SEP "access.ini");
  EXPECT_EQ(AccessPath(ROOT "turfwing"), ROOT "access.ini") << "the root folder";
  EXPECT_EQ(AccessPath("turfwing"), "access.ini");
}

TEST(IniPathsTest, SettingsPathChangesOrAddsTheExtension) {
  EXPECT_EQ(SettingsPath(ROOT "opt" SEP "turfwing" SEP "turfwing", {}), ROOT "opt" SEP "turfwing" SEP "turfwing.INI");
  EXPECT_EQ(SettingsPath(ROOT "opt" SEP "turfwing" SEP "client.bin", {}), ROOT "opt" SEP "turfwing" SEP "client.INI");
  EXPECT_EQ(SettingsPath(ROOT "opt" SEP "tw.v2" SEP "turfwing", {}), ROOT "opt" SEP "tw.v2" SEP "turfwing.INI")
      << "a dot in a folder name";
  EXPECT_EQ(SettingsPath(ROOT "opt" SEP "tw" SEP "a.b.c", {}), ROOT "opt" SEP "tw" SEP "a.b.INI");
  EXPECT_EQ(SettingsPath(ROOT "opt" SEP "tw" SEP ".hidden", {}), ROOT "opt" SEP "tw" SEP ".hidden.INI");
}

TEST(IniPathsTest, ExactlyOneArgumentReplacesTheSettingsPathUnchanged) {
  EXPECT_EQ(SettingsPath(ROOT "opt" SEP "tw" SEP "turfwing", {".." SEP "my settings.ini"}), ".." SEP "my settings.ini");
  EXPECT_EQ(SettingsPath(ROOT "opt" SEP "tw" SEP "turfwing", {"a.ini", "b.ini"}),
            ROOT "opt" SEP "tw" SEP "turfwing.INI");
  EXPECT_EQ(AccessPath(ROOT "opt" SEP "tw" SEP "turfwing"), ROOT "opt" SEP "tw" SEP "access.ini")
      << "access.ini never moves";
}

TEST(IniPathsTest, WindowsDriveRootsAndShares) {
#ifndef _WIN32
  GTEST_SKIP() << "Windows paths: on POSIX '\\\\' and ':' are letters of a name";
#else
  // "C:access.ini" would be relative to drive C's current folder.
  EXPECT_EQ(AccessPath("C:\\turfwing.exe"), "C:\\access.ini");
  EXPECT_EQ(AccessPath("C:/turfwing.exe"), "C:/access.ini");
  EXPECT_EQ(AccessPath("C:turfwing.exe"), "C:access.ini") << "drive-relative stays drive-relative";
  EXPECT_EQ(AccessPath("\\\\server\\share\\turfwing.exe"), "\\\\server\\share\\access.ini");
  EXPECT_EQ(AccessPath("C:\\Games/turfwing\\turfwing.exe"), "C:\\Games/turfwing\\access.ini");
  EXPECT_EQ(SettingsPath("C:\\turfwing.exe", {}), "C:\\turfwing.INI");
  EXPECT_EQ(FolderOf("C:\\turfwing.exe"), "C:\\");
#endif
}

TEST(IniPathsTest, TheRunningExecutableIsFound) {
  const std::string self = CurrentExecutablePath();
  ASSERT_FALSE(self.empty());
#ifdef _WIN32
  ASSERT_GE(self.size(), 3u);
  EXPECT_EQ(self.substr(1, 2), ":\\") << self;
#else
  EXPECT_EQ(self.front(), '/');
#endif
  EXPECT_NE(self.find("unit_tests"), std::string::npos);
  EXPECT_EQ(FolderOf(self) + SEP "access.ini", AccessPath(self));
}
