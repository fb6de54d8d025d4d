#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>

#include "mapped_files.h"
#include "platform/platform.h"
#include "platform/sound_player.h"
#include "wait.h"

namespace {

// A program that records its arguments (one per line) and its working folder
// into files of that folder, each written whole and then renamed into place.
const char kRecorder[] =
    "#!/bin/sh\n"
    "pwd -P > cwd.tmp && mv cwd.tmp cwd.txt\n"
    ": > args.tmp\n"
    "for a in \"$@\"; do printf '%s\\n' \"$a\" >> args.tmp; done\n"
    "mv args.tmp args.txt\n";

class PlatformStartProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("game")));
    work_ = QDir(dir_.path()).canonicalPath();
    WriteScript(QStringLiteral("game/rec.sh"), true);
  }

  void WriteScript(const QString& relative, bool executable) {
    QFile f(QDir(work_).filePath(relative));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kRecorder);
    f.close();
    QFileDevice::Permissions p = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (executable) p |= QFileDevice::ExeOwner;
    ASSERT_TRUE(f.setPermissions(p));
  }

  // The recorded lines of name, once the program has written it.
  QStringList Recorded(const QString& name) {
    const QString path = QDir(work_).filePath(name);
    if (!WaitUntil([&] { return QFile::exists(path); })) return {QStringLiteral("<nothing recorded>")};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
  }

  Platform& Real() { return Platform::current(); }  // no recording platform installed

  QTemporaryDir dir_;
  QString work_;
};

}  // namespace

TEST_F(PlatformStartProgramTest, RelativeProgramRunsInTheGivenFolderWithQuotedPartsAsOneArgument) {
  ASSERT_TRUE(Real().startProgram(QStringLiteral("game/rec.sh"),
                                  QStringLiteral("127.0.0.1 9010 \"山田 太郎\" /r0 \"/pC:\\my data\\a.vdc\""), work_,
                                  {}));
  EXPECT_EQ(Recorded(QStringLiteral("args.txt")),
            (QStringList{QStringLiteral("127.0.0.1"), QStringLiteral("9010"), QStringLiteral("山田 太郎"),
                         QStringLiteral("/r0"), QStringLiteral("/pC:\\my data\\a.vdc")}));
  EXPECT_EQ(Recorded(QStringLiteral("cwd.txt")), QStringList{work_});
}

TEST_F(PlatformStartProgramTest, WindowsStyleProgramPathWithBackslashesIsFound) {
  // access.ini names the game as "game\soccer.exe".
  ASSERT_TRUE(Real().startProgram(QStringLiteral("game\\rec.sh"), QStringLiteral("a"), work_, {}));
  EXPECT_EQ(Recorded(QStringLiteral("args.txt")), QStringList{QStringLiteral("a")});
}

TEST_F(PlatformStartProgramTest, AbsoluteProgramPathIgnoresTheFolderForLookupButRunsThere) {
  const QString program = QDir(work_).filePath(QStringLiteral("game/rec.sh"));
  const QString elsewhere = QDir(work_).filePath(QStringLiteral("game"));
  ASSERT_TRUE(Real().startProgram(program, QString(), elsewhere, {}));
  EXPECT_EQ(Recorded(QStringLiteral("game/cwd.txt")), QStringList{elsewhere});
  EXPECT_TRUE(Recorded(QStringLiteral("game/args.txt")).isEmpty());
}

TEST_F(PlatformStartProgramTest, MissingOrNonExecutableProgramReportsFailure) {
  EXPECT_FALSE(Real().startProgram(QStringLiteral("game/none.sh"), QString(), work_, {}));
  EXPECT_FALSE(Real().startProgram(QStringLiteral("game"), QString(), work_, {})) << "a folder is no program";
  WriteScript(QStringLiteral("game/plain.sh"), false);
  EXPECT_FALSE(Real().startProgram(QStringLiteral("game/plain.sh"), QString(), work_, {}));
  EXPECT_FALSE(QFile::exists(QDir(work_).filePath(QStringLiteral("args.txt"))));
}

namespace {

// The first bytes of a Windows program; the execute bit is not needed.
void WriteWindowsProgram(const QString& path) {
  QByteArray bytes(0x80, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[0x3C] = '\x40';
  bytes.replace(0x40, 4, QByteArray("PE\0\0", 4));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

TEST_F(PlatformStartProgramTest, AWindowsProgramStartsThroughTheRunnerWithItsPathFirst) {
#ifdef Q_OS_WIN
  GTEST_SKIP() << "on Windows a Windows program starts itself";
#endif
  WriteWindowsProgram(QDir(work_).filePath(QStringLiteral("game/soccer.exe")));
  const QString runner = QDir(work_).filePath(QStringLiteral("game/rec.sh"));
  ASSERT_TRUE(Real().startProgram(QStringLiteral("game\\soccer.exe"), QStringLiteral("10.1.2.3 5000 山田 太郎 "), work_,
                                  runner));
  EXPECT_EQ(Recorded(QStringLiteral("args.txt")),
            (QStringList{QDir(work_).filePath(QStringLiteral("game/soccer.exe")), QStringLiteral("10.1.2.3"),
                         QStringLiteral("5000"), QStringLiteral("山田"), QStringLiteral("太郎")}));
  EXPECT_EQ(Recorded(QStringLiteral("cwd.txt")), QStringList{work_});
}

TEST_F(PlatformStartProgramTest, AMissingRunnerReportsFailure) {
#ifdef Q_OS_WIN
  GTEST_SKIP() << "on Windows a Windows program starts itself";
#endif
  WriteWindowsProgram(QDir(work_).filePath(QStringLiteral("game/soccer.exe")));
  EXPECT_FALSE(Real().startProgram(QStringLiteral("game/soccer.exe"), QStringLiteral("a"), work_,
                                   QDir(work_).filePath(QStringLiteral("game/no-wine"))));
  EXPECT_FALSE(Real().startProgram(QStringLiteral("game/soccer.exe"), QStringLiteral("a"), work_,
                                   QStringLiteral("no-such-wine-anywhere")));
  // A program of this system ignores the runner.
  ASSERT_TRUE(Real().startProgram(QStringLiteral("game/rec.sh"), QStringLiteral("a"), work_,
                                  QStringLiteral("no-such-wine-anywhere")));
  EXPECT_EQ(Recorded(QStringLiteral("args.txt")), QStringList{QStringLiteral("a")});
}

// The call sounds' player is a module of its own: the multimedia libraries come
// in with the first sound, not with the program.
static bool Mapped(const char* library) { return !MappedFiles().filter(QString::fromLatin1(library)).isEmpty(); }

TEST(SoundModuleTest, MultimediaComesInWithTheFirstSound) {
  ASSERT_FALSE(Mapped("libQt6Multimedia")) << "the program itself links the multimedia libraries";
  QTemporaryDir empty;
  EXPECT_EQ(LoadSoundPlayer({empty.path(), empty.path() + QStringLiteral("/missing")}), nullptr);
  const PlaySoundFunction play = LoadSoundPlayer({empty.path(), QStringLiteral(TURFWING_SOUND_MODULE_DIR)});
  ASSERT_NE(play, nullptr) << "the module was not found after an empty folder";
  EXPECT_TRUE(Mapped("libQt6Multimedia"));
  // Without a sound device the effect just stays silent.
  play(QStringLiteral(TURFWING_SOURCE_DIR "/assets/sound/1.wav"));
  play(QStringLiteral(TURFWING_SOURCE_DIR "/assets/sound/1.wav"));
  WaitUntil([] { return false; }, 100);
}
