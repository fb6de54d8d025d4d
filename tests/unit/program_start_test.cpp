#include "platform/program_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "test_files.h"

namespace {

using Args = std::vector<std::u16string>;

// The first bytes of a Windows program: "MZ", e_lfanew at 0x3C, "PE\0\0" there.
std::string PeHeader(uint32_t peAt = 0x80, bool signature = true) {
  std::string bytes(0x40, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<char>((peAt >> (8 * i)) & 0xFF);
  if (signature) {
    bytes.resize(peAt, '\0');
    bytes += std::string("PE\0\0", 4);
    bytes += std::string(0x40, '\x4C');
  }
  return bytes;
}

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows a Windows program starts itself; the runner is for other systems";
#endif
    ASSERT_TRUE(dir_.Valid());
    std::filesystem::create_directories(dir_.Path() / "bin");
    std::filesystem::create_directories(dir_.Path() / "lib");
    std::filesystem::create_directories(dir_.Path() / "game");
    game_ = Put("game/soccer.exe", PeHeader(), false);
    script_ = Put("game/rec.sh", "#!/bin/sh\n", true);
  }
  std::string Put(const std::string& name, const std::string& bytes, [[maybe_unused]] bool executable) {
    const std::string path = dir_.File(name);
    testfiles::Write(path, bytes);
#ifndef _WIN32
    ::chmod(path.c_str(), executable ? 0755 : 0644);
#endif
    return path;
  }
  std::string Folder(const std::string& name) const { return dir_.File(name); }

  testfiles::TempFolder dir_{"program_start"};
  std::string game_;
  std::string script_;
};

}  // namespace

TEST(WindowsExecutableTest, RecognisedByItsHeaderNotByItsName) {
  testfiles::TempFolder dir;
  struct Row {
    const char* name;
    std::string bytes;
    bool windows;
  };
  const Row rows[] = {
      {"soccer.exe", PeHeader(), true},
      {"soccer", PeHeader(), true},  // no extension: still a Windows program
      {"near.bin", PeHeader(0x40), true},
      {"script.exe", "#!/bin/sh\necho hello\n", false},
      {"mz-only.exe", PeHeader(0x80, false), false},  // a DOS program, or a text starting "MZ"
      {"beyond.exe", PeHeader(0x80, false) + std::string(0x10, '\0'), false},
      {"inside-header.exe", PeHeader(0x3C, false), false},  // e_lfanew pointing into the header itself
      {"short.exe", "MZ", false},
      {"empty.exe", "", false},
      {"elf",
       "\x7F"
       "ELF\x02\x01\x01" +
           std::string(0x40, '\0'),
       false},
  };
  for (const Row& row : rows) {
    testfiles::Write(dir.File(row.name), row.bytes);
    EXPECT_EQ(IsWindowsExecutable(dir.File(row.name)), row.windows) << row.name;
  }
  EXPECT_FALSE(IsWindowsExecutable(dir.File("missing.exe")));
  EXPECT_FALSE(IsWindowsExecutable(testfiles::Narrow(dir.Path()))) << "a folder";
}

TEST_F(ProgramStartTest, AProgramOfThisSystemStartsAsItIsWithTheSplitParameters) {
  const ProgramStart start = PlanProgramStart(script_, u"10.1.2.3 5000 \"山田 太郎\" 7 0 /r0 ", "", Folder("bin"));
  EXPECT_TRUE(start.ok);
  EXPECT_FALSE(start.throughRunner);
  EXPECT_EQ(start.executable, script_);
  EXPECT_EQ(start.arguments, (Args{u"10.1.2.3", u"5000", u"山田 太郎", u"7", u"0", u"/r0"}));
}

TEST_F(ProgramStartTest, AWindowsProgramGoesThroughWineFromThePath) {
  const std::string wine = Put("bin/wine", "#!/bin/sh\n", true);
  const ProgramStart start =
      PlanProgramStart(game_, u"10.1.2.3 5000 たろう 7 0 ", "", Folder("lib") + ":" + Folder("bin"), {});
  EXPECT_TRUE(start.ok);
  EXPECT_TRUE(start.throughRunner);
  EXPECT_EQ(start.executable, wine);
  ASSERT_EQ(start.arguments.size(), 6u);
  EXPECT_EQ(start.arguments[0].size(), game_.size()) << "the program first, its ASCII path unchanged";
  EXPECT_EQ(start.arguments[3], u"たろう");
}

TEST_F(ProgramStartTest, WithoutWineOnThePathTheKnownLocationsAreTried) {
  const std::string notRunnable = Put("lib/wine-broken", "x", false);
  const std::string loader = Put("lib/wine64", "#!/bin/sh\n", true);
  const ProgramStart start =
      PlanProgramStart(game_, u"a", "", Folder("bin"), {Folder("lib/none"), notRunnable, loader});
  EXPECT_TRUE(start.ok);
  EXPECT_EQ(start.executable, loader);

  const ProgramStart none = PlanProgramStart(game_, u"a", "", Folder("bin"), {Folder("lib/none")});
  EXPECT_FALSE(none.ok) << "no Wine anywhere: the start fails";
}

TEST_F(ProgramStartTest, GameRunnerNamesTheRunnerByNameOrPath) {
  const std::string mine = Put("bin/my-wine", "#!/bin/sh\n", true);
  const std::string fallback = Put("lib/wine64", "#!/bin/sh\n", true);
  Put("bin/wine", "#!/bin/sh\n", true);

  const ProgramStart byName = PlanProgramStart(game_, u"a b", "my-wine", Folder("bin"), {fallback});
  EXPECT_TRUE(byName.ok);
  EXPECT_EQ(byName.executable, mine);
  EXPECT_EQ(byName.arguments.size(), 3u);

  const ProgramStart byPath = PlanProgramStart(game_, u"a", mine, "", {fallback});
  EXPECT_EQ(byPath.executable, mine);

  // A runner that is named but missing is a failure, not a reason to pick another.
  EXPECT_FALSE(PlanProgramStart(game_, u"a", Folder("bin/none"), Folder("bin"), {fallback}).ok);
  EXPECT_FALSE(PlanProgramStart(game_, u"a", "none", Folder("bin"), {fallback}).ok);
  const std::string plain = Put("bin/plain", "#!/bin/sh\n", false);
  EXPECT_FALSE(PlanProgramStart(game_, u"a", plain, Folder("bin"), {fallback}).ok) << "not executable";
  EXPECT_FALSE(PlanProgramStart(game_, u"a", Folder("bin"), Folder("bin"), {fallback}).ok) << "a folder";
}

TEST_F(ProgramStartTest, ThePathIsSearchedInOrderAndAnEmptyEntryIsTheCurrentFolder) {
  const std::string first = Put("lib/wine", "#!/bin/sh\n", true);
  Put("bin/wine", "#!/bin/sh\n", true);
  EXPECT_EQ(PlanProgramStart(game_, u"", "", Folder("lib") + ":" + Folder("bin"), {}).executable, first);
  EXPECT_EQ(FindRunnable("wine", "::" + Folder("bin")), Folder("bin") + "/wine");
  EXPECT_EQ(FindRunnable("", Folder("bin")), "");
}

TEST_F(ProgramStartTest, AJapaneseProgramPathReachesTheRunnerAsTheSameCharacters) {
  std::filesystem::create_directories(dir_.Path() / std::filesystem::u8path("ゲーム"));
  const std::string game = Put("ゲーム/soccer.exe", PeHeader(), false);
  Put("bin/wine", "#!/bin/sh\n", true);
  const ProgramStart start = PlanProgramStart(game, u"", "", Folder("bin"), {});
  ASSERT_EQ(start.arguments.size(), 1u);
  const std::u16string& path = start.arguments[0];
  EXPECT_EQ(path.substr(path.size() - 14), u"ゲーム/soccer.exe");
}
