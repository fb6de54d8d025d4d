#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "lobby/game_launch.h"
#include "lobby/preview.h"
#include "recording_platform.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(exeDir.isValid());
    ASSERT_TRUE(elsewhere.isValid());
    oldCurrent = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    host.folder = exeDir.path();
    host.exe = "game\\soccer.exe";
    host.exeTest = "game\\soccerTest.exe";
  }
  void TearDown() override { QDir::setCurrent(oldCurrent); }
  QString MakeFile(const QString& relative) {
    const QString path = elsewhere.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    return path;
  }

  QTemporaryDir exeDir, elsewhere;
  QString oldCurrent;
  RecordingPlatform platform;
  GameSetup host;
};

}  // namespace

TEST(PreviewFilterTest, PipeFilterBecomesQtFilter) {
  EXPECT_EQ(QtFileFilter(QStringLiteral("プレビューデータ(*.vdc,*.zip)|*.vdc;*.zip")),
            QStringLiteral("プレビューデータ(*.vdc,*.zip) (*.vdc *.zip)"));
  EXPECT_EQ(QtFileFilter(QStringLiteral("A|*.a|B|*.b;*.c")), QStringLiteral("A (*.a);;B (*.b *.c)"));
  EXPECT_EQ(QtFileFilter(QStringLiteral("dangling")), QString());
}

TEST_F(PreviewTest, PathWithBlanksReachesTheGameAsOneQuotedArgument) {
  host.options.GameSize = 3;
  const QString file = MakeFile(QStringLiteral("my data/a b.vdc"));
  platform.fileNames = {QDir::toNativeSeparators(file)};
  EXPECT_TRUE(PlayPreview(nullptr, host));

  ASSERT_EQ(platform.fileDialogs.size(), 1u);
  EXPECT_EQ(platform.fileDialogs[0].filter, QStringLiteral("プレビューデータ(*.vdc,*.zip) (*.vdc *.zip)"));
  EXPECT_EQ(platform.fileDialogs[0].defaultSuffix, QStringLiteral("vdc"));
  EXPECT_EQ(platform.fileDialogs[0].directory, exeDir.path());
  ASSERT_EQ(platform.starts.size(), 1u);
  const QString native = QDir::toNativeSeparators(file);
  EXPECT_EQ(platform.starts[0].parameters,
            QStringLiteral("n 0 n 3 0 /r0 /s1 /m1 /f0 \"/p") + native + QLatin1Char('"'));
  EXPECT_EQ(platform.starts[0].program, QDir::toNativeSeparators(exeDir.path() + QStringLiteral("/game/soccer.exe")))
      << "always the match program, found from the executable's folder";
  EXPECT_EQ(QDir::currentPath(), QDir(exeDir.path()).canonicalPath());
}

TEST_F(PreviewTest, CancelStartsNothingButMovesToTheExecutableFolder) {
  EXPECT_FALSE(PlayPreview(nullptr, host));
  EXPECT_TRUE(platform.starts.empty());
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(QDir::currentPath(), QDir(exeDir.path()).canonicalPath());
}

TEST_F(PreviewTest, LongPathIsPassedWhole) {
  QString relative;
  for (int i = 0; i < 6; ++i) relative += QString(50, QLatin1Char('d' + static_cast<char>(i))) + QLatin1Char('/');
  const QString file = MakeFile(relative + QStringLiteral("プレビュー.vdc"));
  ASSERT_GT(file.toUtf8().size(), 300);
  platform.fileNames = {file};
  EXPECT_TRUE(PlayPreview(nullptr, host));
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_TRUE(
      platform.starts[0].parameters.endsWith(QStringLiteral("/p") + QDir::toNativeSeparators(file) + QLatin1Char('"')));
}

TEST_F(PreviewTest, PathWithAQuoteIsRefused) {
#ifdef Q_OS_WIN
  GTEST_SKIP() << "Windows file names cannot hold a double quote";
#else
  const QString file = MakeFile(QStringLiteral("x\" /r1 \".vdc"));
  platform.fileNames = {file};
  EXPECT_FALSE(PlayPreview(nullptr, host));
  EXPECT_TRUE(platform.starts.empty());
  EXPECT_EQ(platform.errorTexts().size(), 1);
#endif
}

TEST_F(PreviewTest, FailedStartShowsTheBox) {
  platform.startResult = false;
  platform.fileNames = {MakeFile(QStringLiteral("a.vdc"))};
  EXPECT_FALSE(PlayPreview(nullptr, host));
  EXPECT_EQ(platform.errorTexts(), QStringList{QStringLiteral("サッカーゲームの起動に失敗しました")});
}
