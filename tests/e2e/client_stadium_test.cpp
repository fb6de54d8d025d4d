// The stadium list, waiting for a match and starting the game, with the real
// client and the development lobby server; the last tests start the stand-in
// game program for real and read what it was given.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTreeView>
#include <deque>

#include "client_fixture.h"
#include "lobby/game_list_panel.h"
#include "lobby/stadium_list.h"
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
  bool startProgram(const QString& program, const QString& parameters, const QString& workingDirectory) override {
    ++starts;
    return real_->startProgram(program, parameters, workingDirectory);
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
    const auto index = form->PanelGameList->stadiums().FindStadiumRow(stadium);
    ASSERT_TRUE(index.has_value());
    QTreeView* list = form->PanelGameList->GameList2();
    list->selectionModel()->setCurrentIndex(list->model()->index(static_cast<int>(*index), 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }

  // Logs in, waits for the fixed stadium, waits for it and lets the server's
  // clock run until the match is ready.
  void WaitForTheMatch(TFormMain* form, const std::function<bool()>& asked) {
    ASSERT_TRUE(LogIn(form));
    ASSERT_TRUE(WaitUntil([&] { return form->PanelGameList->FindStadiumRow(FixedStadium) != nullptr; }));
    Select(form, FixedStadium);
    ASSERT_TRUE(form->PanelGameList->ButtonReserve()->isEnabled());
    QTest::mouseClick(form->PanelGameList->ButtonReserve(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return form->PanelGameList->waiting(); }));
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
  TGameListPanel* panel = form->PanelGameList;
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
  EXPECT_TRUE(WaitUntil([&] { return !form->PanelGameList->waiting(); }));
}

TEST_F(ClientStadiumTest, NoToTheReadyMatchStartsNothing) {
  RecordingPlatform platform;
  platform.yesNoAnswers = {false};
  PutFixedStadium();
  TFormMain* form = Open(folder, 1);
  WaitForTheMatch(form, [&] { return !platform.boxes.empty(); });
  if (HasFatalFailure()) return;
  EXPECT_TRUE(platform.starts.empty());
  EXPECT_TRUE(WaitUntil([&] { return !form->PanelGameList->waiting(); }));
}

TEST_F(ClientStadiumTest, CancelledWaitAsksNothingWhenTheStadiumFills) {
  RecordingPlatform platform;
  platform.yesNoAnswers = {true};
  PutFixedStadium();
  TFormMain* form = Open(folder, 1);
  ASSERT_TRUE(LogIn(form));
  ASSERT_TRUE(WaitUntil([&] { return form->PanelGameList->FindStadiumRow(FixedStadium) != nullptr; }));
  Select(form, FixedStadium);
  QTest::mouseClick(form->PanelGameList->ButtonReserve(), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return form->PanelGameList->waiting(); }));
  ASSERT_TRUE(WaitUntil([&] { return form->PanelGameList->ButtonReserve()->isEnabled(); }));
  // The same button cancels; the server's answer ends the wait.
  QTest::mouseClick(form->PanelGameList->ButtonReserve(), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !form->PanelGameList->waiting(); }));
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
  ASSERT_TRUE(WaitUntil([&] { return form->PanelGameList->FindStadiumRow(DemoWorld::SpectatorStadiumId) != nullptr; }));
  Select(form, DemoWorld::SpectatorStadiumId);
  QTest::mouseClick(form->PanelGameList->ButtonReserve(), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !platform.boxes.empty(); }));
  EXPECT_EQ(platform.errorTexts(),
            QStringList{QStringLiteral("入場待機に失敗しました。観戦専用の競技場には入場できません")});
  EXPECT_FALSE(form->PanelGameList->waiting());
  EXPECT_TRUE(platform.starts.empty());
}

TEST_F(ClientStadiumTest, PreviewPathWithBlanksIsOneArgument) {
  RecordingPlatform platform;
  const QString file = folder + QStringLiteral("/my previews/match of the day.vdc");
  QDir().mkpath(QFileInfo(file).path());
  platform.fileNames = {file};
  TFormMain* form = Open(folder, 1);
  form->MenuPreview->trigger();
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
  form->MenuPreview->trigger();
  EXPECT_EQ(platform.starts, 1);
  EXPECT_TRUE(platform.errors.isEmpty()) << platform.errors.join(u'\n').toStdString();
  ASSERT_TRUE(WaitUntil([&] { return ReadLog(log).endsWith(QLatin1Char('\n')); }, 15000));
  const QString line = ReadLog(log).trimmed();
  EXPECT_TRUE(line.endsWith(QStringLiteral(R"( args=["n","0","n","7","0","/r0","/s1","/m1","/f0","/p)") + file +
                            QStringLiteral("\"]")))
      << line.toStdString();
}

}  // namespace
