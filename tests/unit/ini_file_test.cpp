#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// windows.h first.
#include <aclapi.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/cp932.h"
#include "test_files.h"

namespace fs = std::filesystem;
using testfiles::EntryCount;
using testfiles::Exists;
using testfiles::TempFolder;

namespace {

std::string ReadAll(const std::string& path) { return testfiles::Read(path); }
void WriteAll(const std::string& path, const std::string& bytes) { testfiles::Write(path, bytes); }

// Runs body with the current folder set to folder.
template <class Body>
void InFolder(const fs::path& folder, Body body) {
  const fs::path before = fs::current_path();
  fs::current_path(folder);
  body();
  fs::current_path(before);
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
#ifdef _WIN32
  GTEST_SKIP() << testfiles::kOnPosixOnly << " (a new file gets an owner-only DACL there)";
#else
  TempFolder dir;
  const std::string path = dir.File("new.INI");
  IniFile ini;
  ini.WriteString("Common", "Password", "secret");
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ(ReadAll(path), "[Common]\r\nPassword=secret\r\n");
  EXPECT_EQ(testfiles::Mode(path), 0600u);

  const std::string shared = dir.File("shared.ini");
  WriteAll(shared, "[A]\nx=1\n");
  ::chmod(shared.c_str(), 0644);
  IniFile other = IniFile::Load(shared);
  other.WriteInteger("A", "x", 2);
  ASSERT_TRUE(other.Save(shared));
  EXPECT_EQ(ReadAll(shared), "[A]\nx=2\n");
  EXPECT_EQ(testfiles::Mode(shared), 0644u);
  EXPECT_EQ(EntryCount(dir.Path()), 2u) << "no temporary file is left";
#endif
}

TEST(IniFileSaveTest, NewFileIsOwnerOnlyOnWindows) {
#ifndef _WIN32
  GTEST_SKIP() << "Windows rights are ACLs; the POSIX mode is checked above";
#else
  TempFolder dir;
  const std::string path = dir.File("new.INI");
  IniFile ini;
  ini.WriteString("Common", "Password", "secret");
  ASSERT_TRUE(ini.Save(path));
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetNamedSecurityInfoW(testfiles::Native(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_NE(dacl, nullptr);
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);  // aligned for TOKEN_USER, unlike a byte array
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer.data(), size, &size));
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  CloseHandle(token);
  DWORD systemSize = SECURITY_MAX_SID_SIZE;
  std::vector<unsigned char> system(systemSize);
  ASSERT_TRUE(CreateWellKnownSid(WinLocalSystemSid, nullptr, system.data(), &systemSize));
  // Only the user (and the system itself, which Wine always lists) may open it.
  bool userFound = false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, &ace));
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    ASSERT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    PSID sid = &allowed->SidStart;
    const bool isUser = EqualSid(sid, user->User.Sid) != 0;
    userFound = userFound || isUser;
    EXPECT_TRUE(isUser || EqualSid(sid, system.data())) << "entry " << i << " is for someone else";
  }
  EXPECT_TRUE(userFound);
  LocalFree(descriptor);
#endif
}

TEST(IniFileSaveTest, SavingReplacesTheFileWithExactlyTheEditorsBytes) {
  TempFolder dir;
  ASSERT_TRUE(dir.Valid());
  const std::string path = dir.File("s.INI");
  WriteAll(path, "[A]\r\nx=1\ny=2\r\n; note\r\n");
  IniFile ini = IniFile::Load(path);
  ASSERT_FALSE(ini.ReadFailed());
  ini.WriteInteger("A", "x", 22);
  ini.WriteString("B", "z", "3");
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ(ReadAll(path), "[A]\r\nx=22\ny=2\r\n; note\r\n[B]\r\nz=3\r\n") << "CRLF and LF kept, no text mode";
  ASSERT_TRUE(ini.Save(path)) << "a second save replaces the first";
  EXPECT_EQ(EntryCount(dir.Path()), 1u) << "no temporary file is left";
}

TEST(IniFileSaveTest, AFileNamedLikeTheTemporaryFileIsLeftAlone) {
  TempFolder dir;
  const std::string path = dir.File("s.INI");
  for (const char* name : {"s.INI.tmp", ".s.INI.tmp"}) WriteAll(dir.File(name), "someone else's");
  IniFile ini;
  ini.WriteInteger("A", "x", 1);
  ASSERT_TRUE(ini.Save(path));
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ(ReadAll(dir.File("s.INI.tmp")), "someone else's");
  EXPECT_EQ(ReadAll(dir.File(".s.INI.tmp")), "someone else's");
  EXPECT_EQ(EntryCount(dir.Path()), 3u);
}

TEST(IniFileSaveTest, APathWithJapaneseLettersNamesTheSameFileForLoadAndSave) {
  // "ソ" is 0x83 0x5C: its second byte is the backslash.
  TempFolder dir;
  const std::string path = dir.File(cp932::FromUtf8("ソ表フォルダ.INI"));
  IniFile ini;
  ini.WriteString("Common", "Password", "pw");
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ(IniFile::Load(path).ReadString("Common", "Password", ""), "pw");
  EXPECT_EQ(EntryCount(dir.Path()), 1u);
#ifdef _WIN32
  EXPECT_TRUE(fs::exists(dir.Path() / fs::path(u"ソ表フォルダ.INI"))) << "the file has its Unicode name";
#endif
}

TEST(IniFileSaveTest, AReadOnlyFileIsRefused) {
#ifndef _WIN32
  GTEST_SKIP() << testfiles::kOnWindowsOnly;
#else
  TempFolder dir;
  const std::string path = dir.File("ro.INI");
  WriteAll(path, "[A]\r\nx=1\r\n");
  ASSERT_TRUE(SetFileAttributesW(testfiles::Native(path).c_str(), FILE_ATTRIBUTE_READONLY));
  IniFile ini = IniFile::Load(path);
  ini.WriteInteger("A", "x", 2);
  EXPECT_FALSE(ini.Save(path));
  SetFileAttributesW(testfiles::Native(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadAll(path), "[A]\r\nx=1\r\n");
  EXPECT_EQ(EntryCount(dir.Path()), 1u);
#endif
}

TEST(IniFileSaveTest, ASymbolicLinkKeepsPointingAtTheRewrittenFile) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege on Windows that a user rarely has";
#else
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
#endif
}

TEST(IniFileSaveTest, AFullDiskLeavesTheOldFileAndNoTemporaryFile) {
#ifdef _WIN32
  GTEST_SKIP() << testfiles::kOnPosixOnly;
#else
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
#endif
}

TEST(IniFileSaveTest, AMissingFolderReportsFailure) {
  TempFolder dir;
  IniFile ini;
  ini.WriteInteger("A", "x", 1);
  EXPECT_FALSE(ini.Save(dir.File("no/such/folder.ini")));
  EXPECT_EQ(EntryCount(dir.Path()), 0u);
}

TEST(IniFileSaveTest, AnEmptyPathIsRefusedAndTouchesNothingInTheCurrentFolder) {
  TempFolder dir;
  for (const char* name : {".tmp", "..tmp"}) WriteAll(dir.File(name), "keep");
  IniFile ini;
  ini.WriteInteger("A", "x", 1);
  bool saved = true;
  InFolder(dir.Path(), [&] { saved = ini.Save(""); });
  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadAll(dir.File(".tmp")), "keep");
  EXPECT_EQ(ReadAll(dir.File("..tmp")), "keep");
  EXPECT_EQ(EntryCount(dir.Path()), 2u);
}

TEST(IniFileSaveTest, LoadTellsAMissingFileFromAnUnreadableOne) {
  TempFolder dir;
  EXPECT_FALSE(IniFile::Load(dir.File("missing.ini")).ReadFailed());
  EXPECT_FALSE(IniFile::Load("").ReadFailed()) << "no path, no file";
  fs::create_directory(testfiles::Native(dir.File("folder.ini")));
  const IniFile ini = IniFile::Load(dir.File("folder.ini"));
  EXPECT_TRUE(ini.ReadFailed());
  EXPECT_EQ(ini.ReadInteger("A", "x", 3), 3);
  IniFile over;
  over.WriteInteger("A", "x", 1);
  EXPECT_FALSE(over.Save(dir.File("folder.ini"))) << "a folder is not replaced by a file";
#ifdef _WIN32
  // As root on POSIX, permission bits do not stop a read; the settings tests cover that case.
  const std::string locked = dir.File("locked.ini");
  WriteAll(locked, "[A]\r\nx=1\r\n");
  {
    testfiles::Unreadable hold(locked);
    EXPECT_TRUE(IniFile::Load(locked).ReadFailed());
  }
  EXPECT_FALSE(IniFile::Load(locked).ReadFailed());
#else
  EXPECT_TRUE(IniFile::Load("/dev/zero").ReadFailed()) << "an endless file is refused, not read for ever";
#endif
}
