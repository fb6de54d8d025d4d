// The screenshot tour program against the development lobby server's demo world
// (in this process, on a free loopback port, with the real clock): every window's
// picture is saved, and a tour that cannot log in fails naming the window.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <memory>

#include "server/lobby_server.h"
#include "wait.h"

namespace {

class ScreenshotsTourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    portable = dir.filePath(QStringLiteral("portable"));
    out = dir.filePath(QStringLiteral("shots"));
    ASSERT_TRUE(QDir().mkpath(portable));
    // A portable folder's access.ini, line ends as on the original platform; the
    // port is the one the tour must replace.
    QFile access(QDir(portable).filePath(QStringLiteral("access.ini")));
    ASSERT_TRUE(access.open(QIODevice::WriteOnly));
    access.write(
        "[Common]\r\nIP=127.0.0.1\r\nPort=1\r\nGameExe=game\\turfwing-game\r\n[URL]\r\n"
        "New=http://127.0.0.1/register/\r\nDownload=http://127.0.0.1/download/\r\n");
  }

  // Runs the tour with the arguments; the server of this process keeps serving
  // while it runs. False when it did not end within the limit.
  bool RunTour(const QStringList& arguments, int limitMs = 120000) {
    process.setProgram(QString::fromUtf8(TURFWING_TOUR_PROGRAM));
    process.setArguments(arguments);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start();
    if (!process.waitForStarted(10000)) return false;
    const bool ended = WaitUntil([&] { return process.state() == QProcess::NotRunning; }, limitMs);
    if (!ended) process.kill();
    stdoutText = QString::fromLocal8Bit(process.readAllStandardOutput());
    stderrText = QString::fromLocal8Bit(process.readAllStandardError());
    return ended;
  }
  QImage Picture(const char* name) const { return QImage(QDir(out).filePath(QString::fromLatin1(name))); }

  QTemporaryDir dir;
  QString portable;
  QString out;
  QProcess process;
  QString stdoutText;
  QString stderrText;
};

TEST_F(ScreenshotsTourTest, SavesEveryWindowOfTheDemoWorld) {
  ServerOptions options;
  options.demo = true;
  options.lifeSeconds = 0;
  LobbyServer server(std::move(options));
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));

  ASSERT_TRUE(RunTour({portable, QString::number(server.port()), out})) << stderrText.toStdString();
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0) << stderrText.toStdString();

  const char* names[] = {"main.png",        "login.png",     "room_list.png",    "create_room.png", "room_password.png",
                         "player_name.png", "formation.png", "game_options.png", "ping.png",        "update.png"};
  for (const char* name : names) {
    const QImage image = Picture(name);
    EXPECT_FALSE(image.isNull()) << name;
    EXPECT_TRUE(stdoutText.contains(QStringLiteral("saved ") +
                                    QDir::toNativeSeparators(QDir(out).filePath(QString::fromLatin1(name)))))
        << name;
  }
  EXPECT_EQ(stdoutText.count(QStringLiteral("saved ")), 10);
  // The main window at its design size, the board window at its fixed size.
  EXPECT_EQ(Picture("main.png").width(), 631);
  EXPECT_GT(Picture("main.png").height(), 398);
  EXPECT_EQ(Picture("formation.png").size(), QSize(322, 475));
  // The tour leaves the portable folder as it was.
  QFile access(QDir(portable).filePath(QStringLiteral("access.ini")));
  ASSERT_TRUE(access.open(QIODevice::ReadOnly));
  EXPECT_TRUE(access.readAll().contains("\r\nPort=1\r\n"));
}

TEST_F(ScreenshotsTourTest, ATourThatCannotLogInFailsNamingTheWindow) {
  // A port nobody listens on: the connection is refused.
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  const quint16 port = probe.serverPort();
  probe.close();

  ASSERT_TRUE(RunTour({portable, QString::number(port), out}, 60000)) << "the refusal box must not hold the tour";
  EXPECT_EQ(process.exitCode(), 1);
  EXPECT_TRUE(stderrText.contains(QStringLiteral("could not capture login.png"))) << stderrText.toStdString();
  EXPECT_TRUE(stderrText.contains(QStringLiteral("サーバに接続を拒否されました"))) << stderrText.toStdString();
  EXPECT_FALSE(Picture("login.png").isNull()) << "the dialog itself was captured before the connection";
  EXPECT_TRUE(Picture("main.png").isNull());
}

TEST_F(ScreenshotsTourTest, WrongArgumentsShowTheUsage) {
  for (const QStringList& arguments : {QStringList{portable}, QStringList{portable, QStringLiteral("70000"), out},
                                       QStringList{portable, QStringLiteral("x"), out}}) {
    ASSERT_TRUE(RunTour(arguments, 30000));
    EXPECT_EQ(process.exitCode(), 2) << arguments.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(stderrText.contains(QStringLiteral("usage:")));
  }
  EXPECT_FALSE(QDir(out).exists()) << "nothing is written before the arguments are understood";
}

}  // namespace
