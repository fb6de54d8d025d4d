// The stadium list, waiting for a match and starting the game, with the real
// client and the development lobby server; the last tests start the stand-in
// game program for real and read what it was given.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTreeView>
#include <deque>

#include "client_fixture.h"
#include "lobby/game_list_panel.h"
#include "lobby/stadium_list.h"
#include "main_window_parts.h"
#include "platform/program_start.h"
#include "recording_platform.h"
#include "server/demo_world.h"

namespace {

constexpr uint32_t FixedStadium = 900;

// Answers the boxes and the file dialog like RecordingPlatform, but starts
// programs with the real implementation.
class RealStartPlatform final : public Platform {
 public:
  RealStartPlatform() {
    Platform::install(nullptr);
    real_ = &Platform::current();
    Platform::install(this);
  }
  ~RealStartPlatform() override { Platform::install(nullptr); }

  QStringList questions;
  QStringList errors;
  std::deque<QString> fileNames;
  int starts = 0;

  void errorBox(QWidget*, const QString& text) override { errors << text; }
  void informationBox(QWidget*, const QString&, const QString& text) override { errors << text; }
  bool yesNoQuestion(QWidget*, const QString&, const QString& text) override {
    questions << text;
    return true;
  }
  void openUrl(const QString&) override {}
  bool startProgram(const QString& program, const QString& parameters, const QString& workingDirectory,
                    const QString& runner) override {
    ++starts;
    return real_->startProgram(program, parameters, workingDirectory, runner);
  }
  void playSound(const QString&) override {}
  uint32_t tick() override { return real_->tick(); }
  QString openFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override {
    if (fileNames.empty()) return {};
    const QString name = fileNames.front();
    fileNames.pop_front();
    return name;
  }
  void alert(QWidget*) override {}
  void notify(QWidget*, const QString&, const QString&) override {}

 private:
  Platform* real_ = nullptr;
};

class ClientStadiumTest : public ClientE2eTest {
 protected:
  void SetUp() override {
    ClientE2eTest::SetUp();
    if (HasFatalFailure()) return;
    previousDir = QDir::currentPath();
    folder = dir.path() + QStringLiteral("/client");
    QDir().mkpath(folder);
  }
  void TearDown() override {
    // The preview command moves the current folder to the executable's folder.
    QDir::setCurrent(previousDir);
    ClientE2eTest::TearDown();
  }

  // A stadium at a known address with one seat left.
  void PutFixedStadium() {
    StadiumSetup setup;
    setup.info.id = FixedStadium;
    CopyText(setup.info.name, cp932::FromUtf8("芝生スタジアム").c_str());
    setup.info.address[0] = 10;
    setup.info.address[1] = 1;
    setup.info.address[2] = 2;
    setup.info.address[3] = 3;
    setup.info.port = 5000;
    setup.info.playable = 1;
    setup.state.id = FixedStadium;
    setup.state.count1 = 9;
    setup.state.count2 = 8;
    setup.teams.id = FixedStadium;
    setup.matchSize = 18;
    server->world().putStadium(setup);
  }

  static void Select(TFormMain* form, uint32_t stadium) {
    const auto index = Child<TGameListPanel>(*form, "PanelGameList")->stadiums().FindStadiumRow(stadium);
    ASSERT_TRUE(index.has_value());
    QTreeView* list = Child<TGameListPanel>(*form, "PanelGameList")->GameList2();
    list->selectionModel()->setCurrentIndex(list->model()->index(static_cast<int>(*index), 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }

  // Logs in, waits for the fixed stadium, waits for it and lets the server's
  // clock run until the match is ready.
  void WaitForTheMatch(TFormMain* form, const std::function<bool()>& asked) {
    ASSERT_TRUE(LogIn(form));
    ASSERT_TRUE(WaitUntil(
        [&] { return Child<TGameListPanel>(*form, "PanelGameList")->FindStadiumRow(FixedStadium) != nullptr; }));
    Select(form, FixedStadium);
    ASSERT_TRUE(Child<TGameListPanel>(*form, "PanelGameList")->ButtonReserve()->isEnabled());
    QTest::mouseClick(Child<TGameListPanel>(*form, "PanelGameList")->ButtonReserve(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Child<TGameListPanel>(*form, "PanelGameList")->waiting(); }));
    EXPECT_FALSE(asked()) << "the question waits for the server";
    clock.advance(4000);
    ASSERT_TRUE(WaitUntil(asked));
  }

  static QString GameBinary() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/turfwing-game"));
  }
  // Lets the stand-in game log to a file of this test, without a window.
  QString UseRealGame(TFormMain* form) {
    const QString log = dir.path() + QStringLiteral("/game.log");
    qputenv("TURFWING_GAME_LOG", QFile::encodeName(log));
    qputenv("TURFWING_GAME_NO_WINDOW", "1");
    form->settings().Access.GameExe = QFile::encodeName(GameBinary()).toStdString();
    return log;
  }
  static QString ReadLog(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
  }

  QString previousDir;
  QString folder;
};

TEST_F(ClientStadiumTest, TheListFillsFromTheDemoWorldAndFollowsItsClock) {
  RecordingPlatform platform;
  TFormMain* form = Open(folder, 1);
  ASSERT_TRUE(LogIn(form));
  TGameListPanel* panel = Child<TGameListPanel>(*form, "PanelGameList");
  ASSERT_TRUE(WaitUntil([&] { return panel->stadiums().size() == 5; })) << panel->stadiums().size();
  for (uint32_t id : {101u, 102u, 103u, 104u, 105u}) EXPECT_NE(panel->FindStadiumRow(id), nullptr) << id;
  // The teams arrive with the list.
  ASSERT_TRUE(WaitUntil([&] { return panel->FindStadiumRow(101)->teams.homeTeamId != 0; }));
  const int16_t before = panel->FindStadiumRow(101)->state.clock;
  EXPECT_EQ(before, 1260);

  clock.advance(DemoWorld::StepMs);
  ASSERT_TRUE(WaitUntil([&] { return panel->FindStadiumRow(101)->state.clock != before; }));
  EXPECT_EQ(panel->FindStadiumRow(101)->state.clock, before + 45);

  // A stadium put up while the client watches is added; the occasional one goes.
  PutFixedStadium();
  ASSERT_TRUE(WaitUntil([&] { return panel->FindStadiumRow(FixedStadium) != nullptr; }));
  clock.advance(DemoWorld::ComingAndGoingMs - DemoWorld::StepMs);
  ASSERT_TRUE(WaitUntil([&] { return panel->FindStadiumRow(DemoWorld::ComingAndGoingStadiumId) == nullptr; }));
  EXPECT_EQ(panel->stadiums().size(), 5u);
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ClientStadiumTest, ReadyMatchAskedAndYesStartsTheGameWithTheStadiumsAddress) {
  RecordingPlatform platform;
  platform.yesNoAnswers = {true};
  PutFixedStadium();
  TFormMain* form = Open(folder, 1);
  WaitForTheMatch(form, [&] { return !platform.boxes.empty(); });
  if (HasFatalFailure()) return;
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].kind, RecordingPlatform::Box::Question);
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_EQ(platform.starts[0].parameters, QStringLiteral("10.1.2.3 5000 Player1 7 0 /r0 /s1 /m1 /f0 "));
  EXPECT_EQ(platform.starts[0].workingDirectory, QDir::currentPath());
  EXPECT_EQ(QDir::fromNativeSeparators(platform.starts[0].program),
            QDir::current().absoluteFilePath(QStringLiteral("game/soccer.exe")));
  // The wait is over once the question is answered.
  EXPECT_TRUE(WaitUntil([&] { return !Child<TGameListPanel>(*form, "PanelGameList")->waiting(); }));
}

TEST_F(ClientStadiumTest, NoToTheReadyMatchStartsNothing) {
  RecordingPlatform platform;
  platform.yesNoAnswers = {false};
  PutFixedStadium();
  TFormMain* form = Open(folder, 1);
  WaitForTheMatch(form, [&] { return !platform.boxes.empty(); });
  if (HasFatalFailure()) return;
  EXPECT_TRUE(platform.starts.empty());
  EXPECT_TRUE(WaitUntil([&] { return !Child<TGameListPanel>(*form, "PanelGameList")->waiting(); }));
}

TEST_F(ClientStadiumTest, CancelledWaitAsksNothingWhenTheStadiumFills) {
  RecordingPlatform platform;
  platform.yesNoAnswers = {true};
  PutFixedStadium();
  TFormMain* form = Open(folder, 1);
  ASSERT_TRUE(LogIn(form));
  ASSERT_TRUE(WaitUntil(
      [&] { return Child<TGameListPanel>(*form, "PanelGameList")->FindStadiumRow(FixedStadium) != nullptr; }));
  Select(form, FixedStadium);
  QTest::mouseClick(Child<TGameListPanel>(*form, "PanelGameList")->ButtonReserve(), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return Child<TGameListPanel>(*form, "PanelGameList")->waiting(); }));
  ASSERT_TRUE(WaitUntil([&] { return Child<TGameListPanel>(*form, "PanelGameList")->ButtonReserve()->isEnabled(); }));
  // The same button cancels; the server's answer ends the wait.
  QTest::mouseClick(Child<TGameListPanel>(*form, "PanelGameList")->ButtonReserve(), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !Child<TGameListPanel>(*form, "PanelGameList")->waiting(); }));
  clock.advance(4000);
  // A line through the lobby: everything the server sent before it has arrived.
  Say(form, QStringLiteral("待機をやめました"));
  ASSERT_TRUE(WaitUntil([&] { return LogOf(TabNamed(form, "待合室")).contains(QStringLiteral("待機をやめました")); }));
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_TRUE(platform.starts.empty());
}

TEST_F(ClientStadiumTest, WaitingForASpectatorStadiumIsRefusedWithTheServersReason) {
  RecordingPlatform platform;
  TFormMain* form = Open(folder, 1);
  ASSERT_TRUE(LogIn(form));
  ASSERT_TRUE(WaitUntil([&] {
    return Child<TGameListPanel>(*form, "PanelGameList")->FindStadiumRow(DemoWorld::SpectatorStadiumId) != nullptr;
  }));
  Select(form, DemoWorld::SpectatorStadiumId);
  QTest::mouseClick(Child<TGameListPanel>(*form, "PanelGameList")->ButtonReserve(), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !platform.boxes.empty(); }));
  EXPECT_EQ(platform.errorTexts(),
            QStringList{QStringLiteral("入場待機に失敗しました。観戦専用の競技場には入場できません")});
  EXPECT_FALSE(Child<TGameListPanel>(*form, "PanelGameList")->waiting());
  EXPECT_TRUE(platform.starts.empty());
}

TEST_F(ClientStadiumTest, PreviewPathWithBlanksIsOneArgument) {
  RecordingPlatform platform;
  const QString file = folder + QStringLiteral("/my previews/match of the day.vdc");
  QDir().mkpath(QFileInfo(file).path());
  platform.fileNames = {file};
  TFormMain* form = Open(folder, 1);
  Child<QAction>(*form, "MenuPreview")->trigger();
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_EQ(platform.starts[0].parameters,
            QStringLiteral("n 0 n 7 0 /r0 /s1 /m1 /f0 \"/p") + QDir::toNativeSeparators(file) + QLatin1Char('"'));
}

TEST_F(ClientStadiumTest, RealGameReceivesTheMatchArguments) {
  RealStartPlatform platform;
  PutFixedStadium();
  TFormMain* form = Open(folder, 1);
  const QString log = UseRealGame(form);
  ASSERT_TRUE(QFileInfo(GameBinary()).isExecutable()) << GameBinary().toStdString();
  WaitForTheMatch(form, [&] { return !platform.questions.empty(); });
  if (HasFatalFailure()) return;
  EXPECT_EQ(platform.starts, 1);
  EXPECT_TRUE(platform.errors.isEmpty()) << platform.errors.join(u'\n').toStdString();
  ASSERT_TRUE(WaitUntil([&] { return ReadLog(log).endsWith(QLatin1Char('\n')); }, 15000));
  const QStringList lines = ReadLog(log).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(
      lines[0].endsWith(QStringLiteral(R"( args=["10.1.2.3","5000","Player1","7","0","/r0","/s1","/m1","/f0"])")))
      << lines[0].toStdString();
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("cwd=\"") + QDir::currentPath() + QLatin1Char('"')))
      << lines[0].toStdString();
}

TEST_F(ClientStadiumTest, RealGameReceivesThePreviewPathAsOneArgument) {
  RealStartPlatform platform;
  const QString file = folder + QStringLiteral("/my previews/match of the day.vdc");
  QDir().mkpath(QFileInfo(file).path());
  platform.fileNames = {file};
  TFormMain* form = Open(folder, 1);
  const QString log = UseRealGame(form);
  Child<QAction>(*form, "MenuPreview")->trigger();
  EXPECT_EQ(platform.starts, 1);
  EXPECT_TRUE(platform.errors.isEmpty()) << platform.errors.join(u'\n').toStdString();
  ASSERT_TRUE(WaitUntil([&] { return ReadLog(log).endsWith(QLatin1Char('\n')); }, 15000));
  const QString line = ReadLog(log).trimmed();
  EXPECT_TRUE(line.endsWith(QStringLiteral(R"( args=["n","0","n","7","0","/r0","/s1","/m1","/f0","/p)") + file +
                            QStringLiteral("\"]")))
      << line.toStdString();
}

// The Windows stand-in game started through Wine: what the game finds in
// GetCommandLineW() is what the client built. Needs the stand-in cross-built
// by the windows-plain preset and Wine (scripts/setup --windows).
class ClientWineLaunchTest : public ClientStadiumTest {
 protected:
  void SetUp() override {
    const QString game = QStringLiteral(TURFWING_WINDOWS_GAME);
    if (!QFileInfo(game).isFile()) {
      GTEST_SKIP() << "the Windows stand-in is not built (" << game.toStdString()
                   << "; cmake --build --preset windows-plain)";
    }
    const std::string path = qEnvironmentVariable("PATH").toStdString();
    if (FindRunnable("wine", path).empty() && FindRunnable("/usr/lib/wine/wine64", "").empty()) {
      GTEST_SKIP() << "Wine is not installed (scripts/setup --windows)";
    }
    ClientStadiumTest::SetUp();
    if (HasFatalFailure()) return;
    // A prefix of the tests' own, quiet; Wine reads the arguments in the
    // locale's character set, which must be UTF-8 like Qt's.
    saved_ = {{"WINEPREFIX", qgetenv("WINEPREFIX")},
              {"WINEDEBUG", qgetenv("WINEDEBUG")},
              {"LC_ALL", qgetenv("LC_ALL")},
              {"TURFWING_GAME_LOG", qgetenv("TURFWING_GAME_LOG")}};
    qputenv("WINEPREFIX", TURFWING_TEST_WINEPREFIX);
    qputenv("WINEDEBUG", "-all");
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("TURFWING_GAME_LOG");  // the log goes beside the game
    // The prefix, its Wine server and Wine's services are set up by the same
    // script that runs the cross-built tests: it creates a missing prefix
    // (without the installers a new prefix would otherwise ask for), keeps one
    // server for all the starts and starts the services away from this
    // test's output, which CTest would otherwise wait for. Under its lock, so
    // that no test starts the game before the services run.
    QProcess setUp;
    setUp.setStandardInputFile(QProcess::nullDevice());
    setUp.setStandardOutputFile(QProcess::nullDevice());
    setUp.setStandardErrorFile(QProcess::nullDevice());
    setUp.start(QStringLiteral("/bin/sh"), {QStringLiteral(TURFWING_WINE_RUN), QStringLiteral(TURFWING_TEST_WINEPREFIX),
                                            QStringLiteral("wineboot")});
    ASSERT_TRUE(setUp.waitForFinished(180000)) << "Wine's prefix was not ready within 3 minutes";
    // The game where access.ini's default puts it, in a folder whose name has
    // a blank and Japanese letters.
    gameFolder = dir.path() + QStringLiteral("/ゲーム フォルダ");
    ASSERT_TRUE(QDir().mkpath(gameFolder));
    ASSERT_TRUE(QFile::copy(game, gameFolder + QStringLiteral("/soccer.exe")));
    log = gameFolder + QStringLiteral("/turfwing-game.log");
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value.isNull()) {
        qunsetenv(name);
      } else {
        qputenv(name, value);
      }
    }
    if (!saved_.empty()) ClientStadiumTest::TearDown();
  }

  void UseWindowsGame(TFormMain* form) {
    form->settings().Access.GameExe = cp932::FromUtf8((gameFolder + QStringLiteral("/soccer.exe")).toStdString());
  }

  // One logged start: the game's folder, command line and arguments.
  struct Logged {
    QString cwd;
    QString commandLine;
    QStringList args;
  };
  // Reads the quoted strings of the log line written by the stand-in.
  static std::optional<Logged> Parse(const QString& line) {
    QStringList quoted;
    QByteArray current;
    bool inside = false;
    const QByteArray bytes = line.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
      const char c = bytes[i];
      if (!inside) {
        if (c == '"') inside = true;
        continue;
      }
      if (c == '\\' && i + 1 < bytes.size()) {
        const char next = bytes[++i];
        if (next == 'x' && i + 2 < bytes.size()) {
          current.append(static_cast<char>(bytes.mid(i + 1, 2).toInt(nullptr, 16)));
          i += 2;
        } else {
          current.append(next);
        }
      } else if (c == '"') {
        quoted << QString::fromUtf8(current);
        current.clear();
        inside = false;
      } else {
        current.append(c);
      }
    }
    if (quoted.size() < 2) return std::nullopt;
    return Logged{quoted[0], quoted[1], quoted.mid(2)};
  }
  std::optional<Logged> WaitForTheGame() {
    if (!WaitUntil([&] { return ReadLog(log).endsWith(QLatin1Char('\n')); }, 60000)) return std::nullopt;
    return Parse(ReadLog(log).trimmed());
  }
  // The command line after the program's own name, which Wine writes first,
  // in quotes, as a Windows path.
  static QString AfterTheProgram(const QString& commandLine) {
    if (!commandLine.startsWith(QLatin1Char('"'))) return QStringLiteral("<no quoted program: %1>").arg(commandLine);
    const qsizetype close = commandLine.indexOf(QLatin1Char('"'), 1);
    if (close < 0 || close + 1 >= commandLine.size() || commandLine[close + 1] != QLatin1Char(' ')) {
      return QStringLiteral("<nothing after the program: %1>").arg(commandLine);
    }
    return commandLine.mid(close + 2);
  }
  // How Wine names a folder of the Linux file system: drive Z is its root.
  static QString WindowsPath(const QString& path) {
    return QStringLiteral("Z:") + QDir::toNativeSeparators(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
  }

  QString gameFolder;
  QString log;

 private:
  std::vector<std::pair<const char*, QByteArray>> saved_;
};

TEST_F(ClientWineLaunchTest, AMatchReachesTheWindowsGameAsTheParameterText) {
  // A member whose name has Japanese letters and a blank.
  server.reset();
  ServerOptions options;
  options.demo = true;
  options.lifeSeconds = 0;
  Account taro;
  taro.id = 1;
  taro.password = "pw1";
  taro.name = cp932::FromUtf8("山田 太郎");
  options.accounts.push_back(taro);
  server = std::make_unique<LobbyServer>(std::move(options), &clock, [](const std::string&) {});
  ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0));

  RealStartPlatform platform;
  PutFixedStadium();
  TFormMain* form = Open(folder, 1);
  UseWindowsGame(form);
  WaitForTheMatch(form, [&] { return !platform.questions.empty(); });
  if (HasFatalFailure()) return;
  EXPECT_EQ(platform.starts, 1);
  EXPECT_TRUE(platform.errors.isEmpty()) << platform.errors.join(u'\n').toStdString();
  const std::optional<Logged> got = WaitForTheGame();
  ASSERT_TRUE(got.has_value()) << ReadLog(log).toStdString();

  const QString parameters = QStringLiteral("10.1.2.3 5000 山田 太郎 7 0 /r0 /s1 /m1 /f0 ");
  EXPECT_EQ(got->commandLine, QLatin1Char('"') + WindowsPath(gameFolder + QStringLiteral("/soccer.exe")) +
                                  QStringLiteral("\" ") + parameters.chopped(1))
      << "byte for byte but for the final blank, which no argument list can carry through Wine";
  EXPECT_EQ(got->args,
            (QStringList{QStringLiteral("10.1.2.3"), QStringLiteral("5000"), QStringLiteral("山田"),
                         QStringLiteral("太郎"), QStringLiteral("7"), QStringLiteral("0"), QStringLiteral("/r0"),
                         QStringLiteral("/s1"), QStringLiteral("/m1"), QStringLiteral("/f0")}));
  EXPECT_EQ(got->cwd, WindowsPath(QDir::currentPath())) << "the client's current folder";
}

TEST_F(ClientWineLaunchTest, APreviewPathWithBlanksAndJapaneseLettersArrivesExactly) {
  RealStartPlatform platform;
  const QString file = folder + QStringLiteral("/試合の記録/match of the day.vdc");
  QDir().mkpath(QFileInfo(file).path());
  platform.fileNames = {file, folder + QStringLiteral("/x\" /r1 \".vdc")};
  TFormMain* form = Open(folder, 1);
  UseWindowsGame(form);
  Child<QAction>(*form, "MenuPreview")->trigger();
  EXPECT_EQ(platform.starts, 1);
  EXPECT_TRUE(platform.errors.isEmpty()) << platform.errors.join(u'\n').toStdString();
  const std::optional<Logged> got = WaitForTheGame();
  ASSERT_TRUE(got.has_value()) << ReadLog(log).toStdString();
  const QString parameters = QStringLiteral("n 0 n 7 0 /r0 /s1 /m1 /f0 \"/p") + file + QLatin1Char('"');
  EXPECT_EQ(AfterTheProgram(got->commandLine), parameters) << "byte for byte";
  ASSERT_EQ(got->args.size(), 10);
  EXPECT_EQ(got->args.last(), QStringLiteral("/p") + file);

  // A quote in the path is still refused before anything starts.
  Child<QAction>(*form, "MenuPreview")->trigger();
  EXPECT_EQ(platform.starts, 1);
  EXPECT_EQ(platform.errors.size(), 1);
}

// What Wine gives back for other spellings of arguments: the same arguments,
// written the one way it writes them. The texts the client builds (above) are
// in that form but for a match's final blank.
TEST_F(ClientWineLaunchTest, WineRebuildsTheCommandLineFromTheArguments) {
  struct Row {
    QString parameters;
    QString commandLine;  // after the program's name
  };
  const Row rows[] = {
      {QStringLiteral("a b 山田"), QStringLiteral("a b 山田")},
      {QStringLiteral("\"/pC:\\my data\\a.vdc\" x"), QStringLiteral("\"/pC:\\my data\\a.vdc\" x")},
      {QStringLiteral("a\\\"b c\\d"), QStringLiteral("a\\\"b c\\d")},
      {QStringLiteral("\"\" x"), QStringLiteral("\"\" x")},
      {QStringLiteral("a "), QStringLiteral("a")},
      {QStringLiteral("  a  b\tc"), QStringLiteral("a b c")},
      {QStringLiteral("/p\"C:\\a b\""), QStringLiteral("\"/pC:\\a b\"")},
      {QStringLiteral("\"a\\\\\" b"), QStringLiteral("a\\ b")},
      {QStringLiteral("\"a b\\\\\""), QStringLiteral("\"a b\\\\\"")},
  };
  for (const Row& row : rows) {
    QFile::remove(log);
    ASSERT_TRUE(Platform::current().startProgram(QStringLiteral("ゲーム フォルダ\\soccer.exe"), row.parameters,
                                                 dir.path(), QString()));
    const std::optional<Logged> got = WaitForTheGame();
    ASSERT_TRUE(got.has_value()) << row.parameters.toStdString();
    EXPECT_EQ(AfterTheProgram(got->commandLine), row.commandLine) << row.parameters.toStdString();
  }
}

// Needs no Wine: the runner access.ini names is missing.
TEST_F(ClientStadiumTest, AWindowsGameWithAMissingRunnerShowsTheFailureBox) {
  RealStartPlatform platform;
  PutFixedStadium();
  TFormMain* form = Open(folder, 1);
  // The first bytes of a Windows program.
  QByteArray header(0x80, '\0');
  header[0] = 'M';
  header[1] = 'Z';
  header[0x3C] = '\x40';
  header.replace(0x40, 4, QByteArray("PE\0\0", 4));
  const QString game = folder + QStringLiteral("/soccer.exe");
  QFile file(game);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(header);
  file.close();
  form->settings().Access.GameExe = QFile::encodeName(game).toStdString();
  form->settings().Access.GameRunner = "/no/such/wine";
  ASSERT_TRUE(LogIn(form));
  ASSERT_TRUE(WaitUntil(
      [&] { return Child<TGameListPanel>(*form, "PanelGameList")->FindStadiumRow(FixedStadium) != nullptr; }));
  Select(form, FixedStadium);
  QTest::mouseClick(Child<TGameListPanel>(*form, "PanelGameList")->ButtonGame(), Qt::LeftButton);
  EXPECT_EQ(platform.starts, 1);
  EXPECT_EQ(platform.errors, QStringList{QStringLiteral("サッカーゲームの起動に失敗しました")});
}

}  // namespace
