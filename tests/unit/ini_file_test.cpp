#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "ini_test_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, ignored);
    fs::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

unsigned Mode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

size_t EntryCount(const fs::path& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
  return n;
}

}  // namespace

TEST(IniFileTest, NamesMatchWithoutCaseAndBlanksAroundNamesAndValuesAreIgnored) {
  const IniFile ini = IniFile::FromBytes(
      "[ form ]\r\n"
      "  TOP\t=\t 12 \t\r\n"
      "left=  x y  \r\n"
      "[COMMON]\r\n"
      "gamesize=3\r\n");
  EXPECT_EQ(ini.ReadInteger("Form", "Top", -1), 12);
  EXPECT_EQ(ini.ReadString("Form", "Left", "d"), "x y");
  EXPECT_EQ(ini.ReadInteger("Common", "GameSize", -1), 3);
  EXPECT_EQ(ini.ReadString("Form", "GameSize", "d"), "d") << "a key of another section";
  EXPECT_EQ(ini.ReadString("Missing", "Top", "d"), "d");
}

TEST(IniFileTest, FirstSectionAndFirstKeyWin) {
  const IniFile ini = IniFile::FromBytes(
      "[A]\n"
      "k=1\n"
      "K=2\n"
      "[a]\n"
      "k=3\n"
      "only=4\n");
  EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
  EXPECT_EQ(ini.ReadInteger("A", "only", 0), 0) << "a repeated section header is not searched";
}

TEST(IniFileTest, CommentsHeadersAndLinesWithoutEqualsAreNotKeys) {
  const IniFile ini = IniFile::FromBytes(
      "[S]\n"
      ";k=commented\n"
      "k\n"
      "  ; x=1\n"
      "k=real\n");
  EXPECT_EQ(ini.ReadString("S", "k", "d"), "real");
  EXPECT_EQ(ini.ReadString("S", ";k", "d"), "d");
  EXPECT_FALSE(ini.HasKey("S", "x"));
}

TEST(IniFileTest, OnePairOfEnclosingQuotesIsDropped) {
  const IniFile ini = IniFile::FromBytes(
      "[S]\n"
      "a=\"C:\\Program Files\\game.exe\"\n"
      "b='  padded  '\n"
      "c=\"half\n"
      "d=\"mixed'\n"
      "e=\"\"\"\"\n");
  EXPECT_EQ(ini.ReadString("S", "a", ""), "C:\\Program Files\\game.exe");
  EXPECT_EQ(ini.ReadString("S", "b", ""), "  padded  ");
  EXPECT_EQ(ini.ReadString("S", "c", ""), "\"half");
  EXPECT_EQ(ini.ReadString("S", "d", ""), "\"mixed'");
  EXPECT_EQ(ini.ReadString("S", "e", ""), "\"\"");
}

TEST(IniFileTest, IntegersAreDecimalWithOptionalSignOrTheDefault) {
  const IniFile ini = IniFile::FromBytes(
      "[N]\n"
      "a=  -12\n"
      "b=+7\n"
      "c=12abc\n"
      "d=abc\n"
      "e=\n"
      "f=-\n"
      "g=2147483647\n"
      "h=2147483648\n"
      "i=-2147483648\n"
      "j=-2147483649\n"
      "k=1 2\n"
      "l=0x10\n"
      "m=99999999999999999999999\n");
  EXPECT_EQ(ini.ReadInteger("N", "a", 5), -12);
  EXPECT_EQ(ini.ReadInteger("N", "b", 5), 7);
  EXPECT_EQ(ini.ReadInteger("N", "c", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "d", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "e", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "f", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "g", 5), INT_MAX);
  EXPECT_EQ(ini.ReadInteger("N", "h", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "i", 5), INT_MIN);
  EXPECT_EQ(ini.ReadInteger("N", "j", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "k", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "l", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "m", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "missing", 5), 5);
}

TEST(IniFileTest, DoubleByteNamesCompareTheirSecondByteExactly) {
  // "ア" is 0x83 0x41; 0x83 0x61 is another character, not its lower case.
  const IniFile ini = IniFile::FromBytes("[\x83\x41]\nk=1\n[AB]\n\x83\x41=2\n");
  EXPECT_EQ(ini.ReadInteger("\x83\x61", "k", 0), 0);
  EXPECT_EQ(ini.ReadInteger("\x83\x41", "k", 0), 1);
  EXPECT_EQ(ini.ReadInteger("ab", "\x83\x61", 0), 0);
  EXPECT_EQ(ini.ReadInteger("ab", "\x83\x41", 0), 2);
}

TEST(IniFileTest, ByteOrderMarkBeforeTheFirstHeaderIsIgnored) {
  IniFile ini = IniFile::FromBytes("\xEF\xBB\xBF[Common]\r\nIP=1.2.3.4\r\n");
  EXPECT_EQ(ini.ReadString("Common", "IP", ""), "1.2.3.4");
  ini.WriteString("Common", "Port", "9010");
  EXPECT_EQ(ini.Bytes(), "\xEF\xBB\xBF[Common]\r\nIP=1.2.3.4\r\nPort=9010\r\n");
}

TEST(IniFileTest, WritingAnExistingKeyReplacesOnlyItsValueBytes) {
  IniFile ini = IniFile::FromBytes(
      "; head\r\n"
      "[Form]  \r\n"
      "  Top =\t 12  \r\n"
      "Empty=\r\n"
      "Spaced =   \r\n");
  ini.WriteInteger("form", "TOP", -3);
  ini.WriteString("Form", "Empty", "v");
  ini.WriteString("Form", "Spaced", "w");
  EXPECT_EQ(ini.Bytes(),
            "; head\r\n"
            "[Form]  \r\n"
            "  Top =\t -3  \r\n"
            "Empty=v\r\n"
            "Spaced =   w\r\n");
}

TEST(IniFileTest, NewKeyGoesAfterTheLastKeyOfItsSection) {
  IniFile ini = IniFile::FromBytes(
      "[A]\n"
      "x=1\n"
      "; about B\n"
      "\n"
      "[B]\n"
      "y=2\n");
  ini.WriteInteger("a", "z", 3);
  ini.WriteInteger("B", "w", 4);
  EXPECT_EQ(ini.Bytes(),
            "[A]\n"
            "x=1\n"
            "z=3\n"
            "; about B\n"
            "\n"
            "[B]\n"
            "y=2\n"
            "w=4\n");
}

TEST(IniFileTest, NewSectionIsAppendedWithTheFilesLineEnding) {
  IniFile ini = IniFile::FromBytes("[A]\nx=1");  // LF, no final line ending
  ini.WriteString("Room2", "Name", "n");
  EXPECT_EQ(ini.Bytes(), "[A]\nx=1\n[Room2]\nName=n\n");

  IniFile empty;
  empty.WriteInteger("Common", "UserID", 7);
  empty.WriteString("Common", "Password", "pw");
  EXPECT_EQ(empty.Bytes(), "[Common]\r\nUserID=7\r\nPassword=pw\r\n") << "a new file uses CRLF";

  IniFile emptySection = IniFile::FromBytes("[S]\r\n");
  emptySection.WriteInteger("S", "k", 1);
  EXPECT_EQ(emptySection.Bytes(), "[S]\r\nk=1\r\n");
}

TEST(IniFileTest, AStrayCarriageReturnIsNotPartOfTheValue) {
  IniFile ini = IniFile::FromBytes("[A]\r\nx=12\r\r\ny=2\r\n");
  EXPECT_EQ(ini.ReadInteger("A", "x", 0), 12);
  ini.WriteInteger("A", "x", 3);
  EXPECT_EQ(ini.Bytes(), "[A]\r\nx=3\r\r\ny=2\r\n");
}

TEST(IniFileTest, MixedLineEndingsAreKeptLineByLine) {
  const std::string bytes = "[A]\r\nx=1\ny=2\r\n\r\n";
  IniFile ini = IniFile::FromBytes(bytes);
  EXPECT_EQ(ini.Bytes(), bytes);
  ini.WriteInteger("A", "x", 9);
  EXPECT_EQ(ini.Bytes(), "[A]\r\nx=9\ny=2\r\n\r\n");
}

TEST(IniFileTest, WrittenValuesReadBackUnchanged) {
  IniFile ini;
  const std::string values[] = {"  lead", "trail\t", "\"quoted\"", "'q'", "\"", "a=b;c", "\x83\x5C\x8E\xBA", ""};
  int i = 0;
  for (const std::string& v : values) ini.WriteString("S", "k" + std::to_string(i++), v);
  const IniFile reread = IniFile::FromBytes(ini.Bytes());
  i = 0;
  for (const std::string& v : values) EXPECT_EQ(reread.ReadString("S", "k" + std::to_string(i++), "d"), v);
}

TEST(IniFileTest, AValueCannotBreakOutOfItsLine) {
  // A room name comes from the server; it must not add keys or sections.
  IniFile ini = IniFile::FromBytes("[Common]\r\nUserID=5\r\n");
  ini.WriteString("Room1", "Name", std::string("a\r\n[Common]\r\nUserID=9\0tail", 27));
  const IniFile reread = IniFile::FromBytes(ini.Bytes());
  EXPECT_EQ(reread.ReadString("Room1", "Name", ""), "a[Common]UserID=9");
  EXPECT_EQ(reread.ReadInteger("Common", "UserID", 0), 5);
  EXPECT_EQ(ini.Bytes(), "[Common]\r\nUserID=5\r\n[Room1]\r\nName=a[Common]UserID=9\r\n");
}

TEST(IniFileSaveTest, NewFileIsPrivateAndExistingModeIsKept) {
  TempFolder dir;
  const std::string path = dir.File("new.INI");
  IniFile ini;
  ini.WriteString("Common", "Password", "secret");
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ(ReadAll(path), "[Common]\r\nPassword=secret\r\n");
  EXPECT_EQ(Mode(path), 0600u);

  const std::string shared = dir.File("shared.ini");
  WriteAll(shared, "[A]\nx=1\n");
  ::chmod(shared.c_str(), 0644);
  IniFile other = IniFile::Load(shared);
  other.WriteInteger("A", "x", 2);
  ASSERT_TRUE(other.Save(shared));
  EXPECT_EQ(ReadAll(shared), "[A]\nx=2\n");
  EXPECT_EQ(Mode(shared), 0644u);
  EXPECT_EQ(EntryCount(dir.Path()), 2u) << "no temporary file is left";
}

TEST(IniFileSaveTest, ASymbolicLinkKeepsPointingAtTheRewrittenFile) {
  TempFolder dir;
  const std::string real = dir.File("real.ini");
  const std::string link = dir.File("link.ini");
  WriteAll(real, "[A]\r\nx=1\r\n");
  fs::create_symlink(real, link);
  IniFile ini = IniFile::Load(link);
  ini.WriteInteger("A", "x", 2);
  ASSERT_TRUE(ini.Save(link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadAll(real), "[A]\r\nx=2\r\n");
}

TEST(IniFileSaveTest, AFullDiskLeavesTheOldFileAndNoTemporaryFile) {
  TempFolder dir;
  const std::string path = dir.File("s.INI");
  const std::string old = "[Common]\r\nUserID=1\r\n";
  WriteAll(path, old);
  IniFile ini = IniFile::Load(path);
  ini.WriteString("Common", "Big", std::string(4096, 'x'));

  // A file size limit fails the write the way a full disk does.
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved_ok = ini.Save(path);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved_ok);
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(EntryCount(dir.Path()), 1u);
}

TEST(IniFileSaveTest, AMissingFolderReportsFailure) {
  TempFolder dir;
  IniFile ini;
  ini.WriteInteger("A", "x", 1);
  EXPECT_FALSE(ini.Save(dir.File("no/such/folder.ini")));
  EXPECT_FALSE(ini.Save(""));
}

TEST(IniFileSaveTest, LoadTellsAMissingFileFromAnUnreadableOne) {
  TempFolder dir;
  EXPECT_FALSE(IniFile::Load(dir.File("missing.ini")).ReadFailed());
  fs::create_directory(dir.File("folder.ini"));
  const IniFile ini = IniFile::Load(dir.File("folder.ini"));
  EXPECT_TRUE(ini.ReadFailed());
  EXPECT_EQ(ini.ReadInteger("A", "x", 3), 3);
  EXPECT_TRUE(IniFile::Load("/dev/zero").ReadFailed()) << "an endless file is refused, not read for ever";
}
