// The built programs themselves: turfwing-lobbyd ends on SIGTERM after telling
// every client, and turfwing-game logs how it was started. Both are looked for
// beside this test program's build folder; a build without them skips.
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

}  // namespace
