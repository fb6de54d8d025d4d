// The built programs themselves: turfwing-lobbyd ends on SIGTERM after telling
// every client, turfwing-game logs how it was started, and the client answers
// its command line before it needs a display or touches a file. They are
// looked for beside this test program's build folder; a build without them skips.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "server/probe_client.h"
#include "wait.h"

namespace {

QString Built(const char* relative) {
  const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromUtf8(relative));
  return QFileInfo(path).isExecutable() ? path : QString();
}

TEST(ServerProgramsTest, LobbydTellsClientsAndEndsOnSigterm) {
  const QString program = Built("../server/turfwing-lobbyd");
  if (program.isEmpty()) GTEST_SKIP() << "turfwing-lobbyd is not built";
  QProcess lobbyd;
  lobbyd.start(program, {QStringLiteral("--demo"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
  ASSERT_TRUE(lobbyd.waitForStarted());
  QByteArray err;
  quint16 port = 0;
  const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
  ASSERT_TRUE(WaitUntil([&] {
    err += lobbyd.readAllStandardError();
    const auto m = listening.match(QString::fromUtf8(err));
    if (m.hasMatch()) port = static_cast<quint16>(m.captured(1).toUInt());
    return port != 0;
  }));
  ProbeClient client(port);
  ASSERT_TRUE(client.connectToServer());
  ASSERT_EQ(client.login(12, "abc"), 0);
  lobbyd.terminate();  // SIGTERM
  GmClose::Info close;
  EXPECT_TRUE(client.next<GmClose>(close));
  EXPECT_TRUE(client.waitClosed());
  // (waitForFinished() says false for a process that has already ended.)
  ASSERT_TRUE(WaitUntil([&] { return lobbyd.state() == QProcess::NotRunning; }));
  EXPECT_EQ(lobbyd.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(lobbyd.exitCode(), 0);
}

TEST(ServerProgramsTest, LobbydRefusesBadOptions) {
  const QString program = Built("../server/turfwing-lobbyd");
  if (program.isEmpty()) GTEST_SKIP() << "turfwing-lobbyd is not built";
  for (const QStringList& args : {QStringList{QStringLiteral("--listen"), QStringLiteral("nowhere")},
                                  QStringList{QStringLiteral("--min-version"), QStringLiteral("2.x")},
                                  QStringList{QStringLiteral("--accounts"), QStringLiteral("/no/such/file")}}) {
    QProcess lobbyd;
    lobbyd.start(program, args);
    ASSERT_TRUE(lobbyd.waitForFinished(5000)) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_NE(lobbyd.exitCode(), 0) << args.join(QLatin1Char(' ')).toStdString();
  }
}

TEST(ServerProgramsTest, GameLogsFolderAndQuotedArguments) {
  const QString program = Built("../tools/turfwing-game");
  if (program.isEmpty()) GTEST_SKIP() << "turfwing-game is not built";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString logPath = dir.filePath(QStringLiteral("game.log"));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TURFWING_GAME_LOG"), logPath);
  env.insert(QStringLiteral("TURFWING_GAME_NO_WINDOW"), QStringLiteral("1"));
  for (int run = 0; run < 2; ++run) {
    QProcess game;
    game.setProcessEnvironment(env);
    game.setWorkingDirectory(dir.path());
    game.start(program, {QStringLiteral("10.1.2.3"), QStringLiteral("5000"), QStringLiteral("two words"), QString(),
                         QStringLiteral("say \"hi\"")});
    ASSERT_TRUE(game.waitForFinished(10000));
    EXPECT_EQ(game.exitCode(), 0);
  }
  QFile log(logPath);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray expected = "cwd=\"" + QDir(dir.path()).canonicalPath().toUtf8() +
                              "\" args=[\"10.1.2.3\",\"5000\",\"two words\",\"\",\"say \\\"hi\\\"\"]\n";
  EXPECT_EQ(log.readAll(), expected + expected);  // one line per start, appended
}

struct ProgramRun {
  int exitCode = -1;
  QByteArray out, err;
};

// Runs a program in an empty folder, with an empty home and no display.
ProgramRun RunAlone(const QString& program, const QStringList& args, const QTemporaryDir& dir) {
  QProcessEnvironment env;
  env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
  env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
  QProcess p;
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(dir.path());
  p.start(program, args);
  if (!p.waitForFinished(10000)) return {};
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
          p.readAllStandardError()};
}

TEST(ServerProgramsTest, ClientAnswersItsCommandLineWithoutADisplayOrAFile) {
  const QString program = Built("../app/turfwing");
  if (program.isEmpty()) GTEST_SKIP() << "turfwing is not built";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const ProgramRun help = RunAlone(program, {QStringLiteral("--help")}, dir);
  EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
  EXPECT_TRUE(help.out.startsWith("Usage: turfwing ")) << help.out.toStdString();
  // Both programs tell the version they were built as.
  const struct {
    const char* relative;
    QByteArray expected;
  } versions[] = {{"../app/turfwing", "turfwing 2.18.55\n"},
                  {"../server/turfwing-lobbyd", "turfwing-lobbyd 2.18.55\n"}};
  for (const auto& v : versions) {
    const QString built = Built(v.relative);
    if (built.isEmpty()) continue;
    const ProgramRun version = RunAlone(built, {QStringLiteral("--version")}, dir);
    EXPECT_EQ(version.exitCode, 0) << v.relative;
    EXPECT_EQ(version.out, v.expected);
  }
  for (const QStringList& args :
       {QStringList{QStringLiteral("--bogus")}, QStringList{QStringLiteral("my.ini"), QStringLiteral("-x")}}) {
    const ProgramRun refused = RunAlone(program, args, dir);
    EXPECT_EQ(refused.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_EQ(refused.err.count('\n'), 1) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(args.last().toUtf8())) << refused.err.toStdString();
  }
  // Not a settings file named "--help" in the working folder, nor a user folder.
  EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
      << QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(QLatin1Char(' ')).toStdString();
}

}  // namespace
