// The client as a player gets it: the Debian packages unpacked into a
// throw-away root, the client run from there under a real X server by a new
// user (an empty home, a configuration folder holding only an access.ini that
// names the packaged turfwing-lobbyd), logged in by keyboard and closed as a
// window manager closes a window. What the user should find afterwards is in
// their configuration folder, and nowhere else.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "wait.h"
#include "x11_connection.h"

namespace {

// Every file below a folder with its size and time of change.
std::map<QString, QString> Snapshot(const QString& folder) {
  std::map<QString, QString> files;
  QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo f(it.next());
    files[f.filePath()] = QString::number(f.size()) + QLatin1Char(' ') + f.lastModified().toString(Qt::ISODateWithMs);
  }
  return files;
}

QString PackageFile(const QString& folder, const QString& name) {
  const QStringList found = QDir(folder).entryList({name + QStringLiteral("_*_amd64.deb")}, QDir::Files);
  return found.size() == 1 ? QDir(folder).filePath(found.front()) : QString();
}

TEST(InstalledClientTest, ANewUserLogsInAndFindsTheSettingsAndTheChatLogInTheirFolders) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "needs an X server; scripts/test starts one";
  const QString packages = qEnvironmentVariable("TURFWING_PACKAGES");
  const QString client = PackageFile(packages, QStringLiteral("turfwing"));
  const QString lobbyd = PackageFile(packages, QStringLiteral("turfwing-lobbyd"));
  ASSERT_FALSE(client.isEmpty()) << "no client package in " << packages.toStdString();
  ASSERT_FALSE(lobbyd.isEmpty()) << "no server package in " << packages.toStdString();
  X11Connection screen;
  ASSERT_TRUE(screen.ok());

  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QString root = temp.filePath(QStringLiteral("root"));
  for (const QString& deb : {client, lobbyd}) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root}), 0);
  }
  ASSERT_TRUE(QFileInfo(root + QStringLiteral("/usr/bin/turfwing")).isExecutable());
  const std::map<QString, QString> installed = Snapshot(root);

  QProcess server;
  server.start(root + QStringLiteral("/usr/bin/turfwing-lobbyd"),
               {QStringLiteral("--demo"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
  ASSERT_TRUE(server.waitForStarted());
  QByteArray serverLog;
  int port = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        serverLog += server.readAllStandardError();
        const auto m = QRegularExpression(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"))
                           .match(QString::fromUtf8(serverLog));
        if (m.hasMatch()) port = m.captured(1).toInt();
        return port != 0;
      },
      10000));

  // A new user: an empty home, and a configuration folder with only access.ini.
  const QString home = temp.filePath(QStringLiteral("home"));
  const QString config = temp.filePath(QStringLiteral("config"));
  const QString work = temp.filePath(QStringLiteral("work"));
  for (const QString& d : {home, config + QStringLiteral("/turfwing"), work}) ASSERT_TRUE(QDir().mkpath(d));
  {
    QFile access(config + QStringLiteral("/turfwing/access.ini"));
    ASSERT_TRUE(access.open(QIODevice::WriteOnly));
    access.write("[Common]\nIP=127.0.0.1\nPort=" + QByteArray::number(port) + "\n");
  }
  QProcessEnvironment env;
  for (const char* keep : {"PATH", "DISPLAY", "XAUTHORITY", "LANG"}) {
    if (qEnvironmentVariableIsSet(keep)) env.insert(QString::fromLatin1(keep), qEnvironmentVariable(keep));
  }
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  QProcess turfwing;
  turfwing.setProcessEnvironment(env);
  turfwing.setWorkingDirectory(work);
  turfwing.start(root + QStringLiteral("/usr/bin/turfwing"), {});
  ASSERT_TRUE(turfwing.waitForStarted());

  const auto titled = [](const char* caption) { return [caption](const std::string& t) { return t == caption; }; };
  // Any error box, at any moment, fails the run.
  bool errorBox = false;
  auto watching = [&](const std::function<bool()>& done) {
    return [&, done] {
      errorBox = errorBox || !screen.TopLevels(titled("エラー")).empty();
      return done();
    };
  };
  std::vector<xcb_window_t> login;
  ASSERT_TRUE(WaitUntil(watching([&] { return !(login = screen.TopLevels(titled("接続"))).empty(); }), 15000))
      << "no login dialog; client said: " << turfwing.readAllStandardError().toStdString();
  ASSERT_TRUE(WaitUntil([&] { return screen.Focus() == login.front(); }, 5000));
  EXPECT_FALSE(screen.Property(login.front(), "_NET_WM_ICON").empty()) << "the login dialog has no icon";
  QThread::msleep(200);  // the dialog sets up its focus widget after it gets the focus
  screen.Type("1234");
  screen.Press(0xff09);  // Tab
  screen.Type("abc1");
  screen.Press(0xff0d);  // Return

  std::vector<xcb_window_t> main;
  // Logged in: the server's count of members is in the caption.
  const QRegularExpression loggedIn(QStringLiteral("^Turfwing ver2\\.18\\.55 - [1-9][0-9]*人$"));
  ASSERT_TRUE(WaitUntil(watching([&] {
                          main = screen.TopLevels([&](const std::string& t) {
                            return loggedIn.match(QString::fromStdString(t)).hasMatch();
                          });
                          return !main.empty();
                        }),
                        15000))
      << "never logged in; client said: " << turfwing.readAllStandardError().toStdString();
  EXPECT_FALSE(screen.Property(main.front(), "_NET_WM_ICON").empty()) << "the main window has no icon";
  const std::string wmClass = screen.Property(main.front(), "WM_CLASS");
  EXPECT_EQ(wmClass, std::string("turfwing\0Turfwing\0", 18)) << "the desktop entry's StartupWMClass is Turfwing";

  WaitUntil(watching([] { return false; }), 500);  // the lobby fills; no box may come
  screen.Close(main.front());
  ASSERT_TRUE(WaitUntil(watching([&] { return turfwing.state() == QProcess::NotRunning; }), 10000));
  EXPECT_EQ(turfwing.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(turfwing.exitCode(), 0);
  EXPECT_FALSE(errorBox) << "an error box appeared";
  server.terminate();
  server.waitForFinished(5000);

  QFile settings(config + QStringLiteral("/turfwing/turfwing.INI"));
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  const QByteArray saved = settings.readAll();
  for (const char* line : {"UserID=1234", "Password=ABC1", "[Form]", "Width=", "GameColumn6=", "RoomCount=1"}) {
    EXPECT_TRUE(saved.contains(line)) << line << " is not in\n" << saved.toStdString();
  }
  struct stat st {};
  ASSERT_EQ(::stat(settings.fileName().toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the settings file holds a password";
  EXPECT_TRUE(Snapshot(work).empty()) << "something was written in the working folder";
  EXPECT_EQ(Snapshot(root), installed) << "something changed under the install root";

  // The room entered at login kept its log in the user's data folder, owner-only.
  const QString logs = home + QStringLiteral("/.local/share/turfwing/logs");
  const QStringList rooms = QDir(logs).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  ASSERT_EQ(rooms.size(), 1) << "no room folder in " << logs.toStdString();
  EXPECT_TRUE(rooms.front().startsWith(QStringLiteral("待合室~"))) << rooms.front().toStdString();
  const QStringList days = QDir(logs + QLatin1Char('/') + rooms.front()).entryList(QDir::Files);
  ASSERT_EQ(days.size(), 1);
  QFile day(logs + QLatin1Char('/') + rooms.front() + QLatin1Char('/') + days.front());
  ASSERT_TRUE(day.open(QIODevice::ReadOnly));
  EXPECT_TRUE(day.readAll().startsWith("---- 待合室 に入室 ")) << "the entry header is missing";
  ASSERT_EQ(::stat(logs.toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u) << "the logs are the player's own";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
