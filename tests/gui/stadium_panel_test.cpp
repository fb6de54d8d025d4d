#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstring>
#include <memory>

#include "lobby/game_list_panel.h"
#include "lobby/stadium_list.h"
#include "platform/cp932.h"
#include "platform/list_header.h"
#include "recording_platform.h"
#include "scripted_server.h"
#include "session_double.h"

// Readable failure output for texts.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// The main window as the panel sees it: the session and what a game start needs.
struct RecordingHost {
  SessionDouble session;
  GameOptions options;
  std::string exe = "game\\soccer.exe";
  std::string exeTest = "game\\soccerTest.exe";
  std::string runner = cp932::FromUtf8("ワイン/wine");
  QString folder;

  RecordingHost() { session.setPlayerName("abc"); }
  GameSetup Setup() const { return {options, exe, exeTest, runner, folder}; }
};

GmStadiumAdd::Entry Stadium(uint32_t id, const char* utf8Name, uint8_t playable = 1) {
  GmStadiumAdd::Entry e;
  e.id = id;
  CopyText(e.name, cp932::FromUtf8(utf8Name).c_str());
  const uint8_t address[4] = {10, 1, 2, static_cast<uint8_t>(id)};
  std::memcpy(e.address, address, 4);
  e.port = static_cast<uint16_t>(5000 + id);
  e.playable = playable;
  return e;
}

class StadiumPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    oldCurrent = QDir::currentPath();
    QDir::setCurrent(dir.path());
    host.folder = dir.path();
    QDir(dir.path()).mkdir(QStringLiteral("sound"));
    QFile wav(dir.filePath(QStringLiteral("sound/gogame.wav")));
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write("RIFF");
    wav.close();
    panel = std::make_unique<TGameListPanel>(host.session, [this] { return host.Setup(); });
    panel->LeaveWaitingState();  // as the session does when the connection opens
  }
  void TearDown() override {
    panel.reset();
    QDir::setCurrent(oldCurrent);
  }

  template <class M>
  void Deliver(const typename M::Info& info) {
    ASSERT_TRUE(host.session.deliver<M>(info));
  }
  void Add(std::initializer_list<GmStadiumAdd::Entry> entries) {
    auto info = std::make_unique<GmStadiumAdd::Info>();
    for (const auto& e : entries) info->entries[info->count++] = e;
    Deliver<GmStadiumAdd>(*info);
  }
  void DeleteIds(std::initializer_list<uint32_t> ids) {
    GmStadiumDelete::Info info;
    for (uint32_t id : ids) info.ids[info.count++] = id;
    Deliver<GmStadiumDelete>(info);
  }
  void Waiting(uint32_t id, uint8_t event, const char* utf8Text = "") {
    GmWaiting::Info info;
    info.stadiumId = id;
    info.event = event;
    CopyText(info.text, cp932::FromUtf8(utf8Text).c_str());
    Deliver<GmWaiting>(info);
  }
  QString Cell(int row, int column) const {
    const QAbstractItemModel* m = panel->GameList2()->model();
    return m->index(row, column).data().toString();
  }
  void Select(int row) {
    QTreeView* list = panel->GameList2();
    // As a click does: the row becomes current and selected.
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  QString Label() const { return panel->LabelReserve()->text(); }
  QString ReserveCaption() const { return panel->ButtonReserve()->text(); }
  bool GameEnabled() const { return panel->ButtonGame()->isEnabled(); }
  bool ReserveEnabled() const { return panel->ButtonReserve()->isEnabled(); }
  QString Program(const char* relative) const {
    return QDir::toNativeSeparators(QDir(QDir::currentPath()).filePath(QString::fromUtf8(relative)));
  }

  QTemporaryDir dir;
  QString oldCurrent;
  RecordingPlatform platform;
  RecordingHost host;
  std::unique_ptr<TGameListPanel> panel;
};

const QString kIdle = QStringLiteral("☆競技場を選択し、待機/即入場ボタンを押してください☆");

}  // namespace

// ------------------------------------------------------------------ the list

TEST_F(StadiumPanelTest, ListControlLooksAndBehavesAsDesigned) {
  QTreeView* list = panel->GameList2();
  EXPECT_EQ(panel->GroupGameList()->title(), QStringLiteral("競技場一覧(&L)"));
  const char* headers[] = {"競技場名", "ホームチーム", "スコア", "アウェイチーム", "時間", "人数", "待機"};
  const int widths[] = {190, 100, 50, 100, 75, 40, 40};
  const Qt::Alignment align[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignLeft,
                                 Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight};
  Add({Stadium(1, "a")});
  ASSERT_EQ(list->model()->columnCount(), 7);
  for (int c = 0; c < 7; ++c) {
    EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(headers[c]));
    EXPECT_EQ(list->header()->sectionSize(c), widths[c]) << c;
    const auto cellAlign = list->model()->index(0, c).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    EXPECT_EQ(cellAlign & Qt::AlignHorizontal_Mask, align[c]) << c;
  }
  EXPECT_FALSE(list->header()->sectionsClickable());
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_FALSE(list->model()->flags(list->model()->index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_FALSE(list->model()->index(0, 0).data(Qt::ToolTipRole).isValid());
  EXPECT_EQ(list->palette().color(QPalette::Inactive, QPalette::Highlight),
            list->palette().color(QPalette::Active, QPalette::Highlight))
      << "the selection stays visible without the focus";
  EXPECT_EQ(panel->ButtonReserve()->toolTip(),
            QStringLiteral("参加人数＋待機人数が試合可能人数に達した時に選択した競技場に入場します"));
  EXPECT_EQ(panel->ButtonGame()->toolTip(), QStringLiteral("今すぐに選択した競技場に入場します"));
  EXPECT_EQ(panel->ButtonGame()->text(), QStringLiteral("即入場(&G)"));
  EXPECT_EQ(panel->LabelReserve()->textFormat(), Qt::PlainText);
}

TEST_F(StadiumPanelTest, MessagesFillAndUpdateTheRows) {
  Add({Stadium(2, "ベータ"), Stadium(1, "アルファ")});
  ASSERT_EQ(panel->GameList2()->model()->rowCount(), 2);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("アルファ"));
  EXPECT_EQ(Cell(1, 4), QStringLiteral("試合前　"));

  GmStadiumState::Info state;
  state.count = 1;
  state.entries[0] = {2, 5, 5, 1, 3, 2, 1, 3, 2700};
  Deliver<GmStadiumState>(state);
  EXPECT_EQ(Cell(1, 4), QStringLiteral("後半　45:00"));
  EXPECT_EQ(Cell(1, 5), QStringLiteral("11人"));

  GmStadiumTeams::Info teams;
  teams.count = 1;
  teams.entries[0].id = 2;
  CopyText(teams.entries[0].awayTeamName, cp932::FromUtf8("<b>青</b>").c_str());
  Deliver<GmStadiumTeams>(teams);
  EXPECT_EQ(Cell(1, 3), QStringLiteral("<b>青</b>")) << "server text stays plain";

  DeleteIds({1});
  EXPECT_EQ(panel->GameList2()->model()->rowCount(), 1);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("ベータ"));
}

TEST_F(StadiumPanelTest, UndecodableMessageChangesNothing) {
  Add({Stadium(1, "a")});
  NetPacket packet;
  // A GmStadiumAdd that promises one entry and carries two bytes of it.
  const uint8_t frame[] = {0x00, 0x06, NetDef::GmStadiumAdd, 0x01, 0x00, 0x00};
  ASSERT_TRUE(packet.load(frame, sizeof frame));
  host.session.deliverFrame(packet);
  EXPECT_EQ(panel->GameList2()->model()->rowCount(), 1);
  ASSERT_TRUE(host.session.deliver<GmRoomList>(OneRoomList(1, "a", false)));
  EXPECT_EQ(panel->GameList2()->model()->rowCount(), 1) << "not a stadium message";
}

TEST_F(StadiumPanelTest, SelectionEnablesButtonsAndFollowsItsRowThroughResort) {
  panel->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
  Add({Stadium(1, "mike"), Stadium(2, "november")});
  EXPECT_FALSE(GameEnabled());
  EXPECT_FALSE(ReserveEnabled());
  QTreeView* list = panel->GameList2();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 2)).center());
  ASSERT_NE(panel->SelectedStadiumRow(), nullptr);
  EXPECT_EQ(panel->SelectedStadiumRow()->stadium.id, 1u);
  EXPECT_TRUE(GameEnabled());
  EXPECT_TRUE(ReserveEnabled());

  Add({Stadium(3, "alpha")});
  ASSERT_EQ(panel->SelectedIndex(), 1u) << "the chosen stadium moved down with the sort";
  EXPECT_EQ(panel->SelectedStadiumRow()->stadium.id, 1u);
}

TEST_F(StadiumPanelTest, KeyboardReachesAndChoosesAStadium) {
  Add({Stadium(1, "a"), Stadium(2, "b")});
  panel->show();
  panel->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
  auto* elsewhere = new QLineEdit(panel.get());  // stands in for the chat line
  elsewhere->show();
  elsewhere->setFocus();
  ASSERT_TRUE(elsewhere->hasFocus());
  QTest::keyClick(elsewhere, Qt::Key_L, Qt::AltModifier);
  ASSERT_TRUE(panel->GameList2()->hasFocus()) << "the group's accelerator focuses the list";
  QTest::keyClick(panel->GameList2(), Qt::Key_Down);
  QTest::keyClick(panel->GameList2(), Qt::Key_Down);
  ASSERT_NE(panel->SelectedStadiumRow(), nullptr);
  EXPECT_EQ(panel->SelectedStadiumRow()->stadium.id, 2u);
  EXPECT_TRUE(GameEnabled());
}

TEST_F(StadiumPanelTest, DeletingTheSelectedRowLeavesNothingSelected) {
  Add({Stadium(1, "a"), Stadium(2, "b"), Stadium(3, "c")});
  Select(1);
  ASSERT_TRUE(GameEnabled());
  DeleteIds({2});
  EXPECT_EQ(panel->SelectedStadiumRow(), nullptr);
  EXPECT_FALSE(GameEnabled());
  EXPECT_FALSE(ReserveEnabled());

  Select(0);
  DeleteIds({3});
  ASSERT_NE(panel->SelectedStadiumRow(), nullptr) << "deleting another row keeps the choice";
  EXPECT_EQ(panel->SelectedStadiumRow()->stadium.id, 1u);
}

TEST_F(StadiumPanelTest, OfflineDisablesEverythingAndEmptiesTheLabel) {
  Add({Stadium(1, "a")});
  Select(0);
  host.session.drop();
  EXPECT_EQ(panel->GameList2()->model()->rowCount(), 0);
  EXPECT_FALSE(panel->GameList2()->isEnabled());
  EXPECT_FALSE(GameEnabled());
  EXPECT_FALSE(ReserveEnabled());
  EXPECT_EQ(Label(), QString());
  EXPECT_EQ(ReserveCaption(), QStringLiteral("入場待機(&W)"));
  host.session.setOpen(true);
  panel->LeaveWaitingState();
  EXPECT_TRUE(panel->GameList2()->isEnabled());
  EXPECT_EQ(Label(), kIdle);
}

TEST_F(StadiumPanelTest, ColumnWidthsRoundTripAndStayInRange) {
  panel->SetColumnWidth(0, 222);
  panel->SetColumnWidth(6, 33);
  panel->SetColumnWidth(7, 99);
  panel->SetColumnWidth(-1, 99);
  panel->SetColumnWidth(3, -40);
  const auto widths = panel->ColumnWidths();
  EXPECT_EQ(widths[0], 222);
  EXPECT_EQ(widths[6], 33);
  EXPECT_EQ(widths[1], 100);
  EXPECT_GE(widths[3], 0);
}

// ------------------------------------------------------------- waiting states

TEST_F(StadiumPanelTest, WaitIsSentWithBothButtonsDisabledUntilTheAnswer) {
  Add({Stadium(4, "第四")});
  Select(0);
  QTest::mouseClick(panel->ButtonReserve(), Qt::LeftButton);
  ASSERT_EQ(host.session.Sent<GmWaiting>().size(), 1u);
  EXPECT_EQ(host.session.Sent<GmWaiting>()[0].stadiumId, 4u);
  EXPECT_EQ(host.session.Sent<GmWaiting>()[0].event, 1);
  EXPECT_STREQ(host.session.Sent<GmWaiting>()[0].text, "");
  EXPECT_FALSE(GameEnabled());
  EXPECT_FALSE(ReserveEnabled());
  EXPECT_FALSE(panel->waiting()) << "the server's answer starts the wait";
  EXPECT_EQ(Label(), kIdle);

  Waiting(4, 3);
  EXPECT_TRUE(panel->waiting());
  EXPECT_EQ(ReserveCaption(), QStringLiteral("待機中止(&W)"));
  EXPECT_EQ(Label(), QStringLiteral("第四－入場待機中"));
  EXPECT_FALSE(GameEnabled());
  EXPECT_TRUE(ReserveEnabled());
}

TEST_F(StadiumPanelTest, NothingIsSentWithoutASelection) {
  Add({Stadium(4, "a")});
  panel->ButtonReserveClick();
  panel->ButtonGameClick();
  EXPECT_TRUE(host.session.Sent<GmWaiting>().empty());
  EXPECT_TRUE(platform.starts.empty());
}

TEST_F(StadiumPanelTest, CancelCarriesStadiumIdZeroAndWaitsForTheServer) {
  Add({Stadium(4, "a")});
  Waiting(4, 3);
  panel->GameList2()->selectionModel()->clear();
  ASSERT_TRUE(ReserveEnabled()) << "a wait can be cancelled with no row selected";
  QTest::mouseClick(panel->ButtonReserve(), Qt::LeftButton);
  ASSERT_EQ(host.session.Sent<GmWaiting>().size(), 1u);
  EXPECT_EQ(host.session.Sent<GmWaiting>()[0].stadiumId, 0u);
  EXPECT_EQ(host.session.Sent<GmWaiting>()[0].event, 2);
  EXPECT_FALSE(ReserveEnabled());
  EXPECT_TRUE(panel->waiting());
  Waiting(0, 2);
  EXPECT_FALSE(panel->waiting());
  EXPECT_EQ(ReserveCaption(), QStringLiteral("入場待機(&W)"));
  EXPECT_EQ(Label(), kIdle);
}

TEST_F(StadiumPanelTest, WaitForUnknownStadiumShowsTheBareLabel) {
  Waiting(77, 3);
  EXPECT_TRUE(panel->waiting());
  EXPECT_EQ(Label(), QStringLiteral("入場待機中"));
}

TEST_F(StadiumPanelTest, RefusedWaitShowsTheReasonThenIdle) {
  Add({Stadium(4, "a")});
  Waiting(4, 3);
  Waiting(4, 4, "満員です");
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].kind, RecordingPlatform::Box::Error);
  EXPECT_EQ(platform.boxes[0].text, QStringLiteral("入場待機に失敗しました。満員です"));
  EXPECT_FALSE(panel->waiting());
  EXPECT_EQ(Label(), kIdle);

  Waiting(4, 4);
  ASSERT_EQ(platform.boxes.size(), 2u);
  EXPECT_EQ(platform.boxes[1].text, QStringLiteral("入場待機に失敗しました。"));
}

TEST_F(StadiumPanelTest, OtherEventsDoNothing) {
  Add({Stadium(4, "a")});
  Waiting(4, 3);
  const QString label = Label();
  const bool reserve = ReserveEnabled();
  for (uint8_t event : {0, 1, 6, 200}) Waiting(4, event);
  EXPECT_TRUE(panel->waiting());
  EXPECT_EQ(Label(), label);
  EXPECT_EQ(ReserveEnabled(), reserve);
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(StadiumPanelTest, MatchReadyYesStartsTheGameThenIdle) {
  Add({Stadium(3, "第三")});
  Waiting(3, 3);
  platform.yesNoAnswers = {true};
  Waiting(3, 5);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].kind, RecordingPlatform::Box::Question);
  EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("競技場入場の確認"));
  EXPECT_EQ(platform.boxes[0].text, QStringLiteral("メンバーが揃い、試合が開始されます！　競技場に入場しますか？"));
  ASSERT_EQ(platform.sounds.size(), 1u);
  EXPECT_EQ(QDir::fromNativeSeparators(platform.sounds[0]), dir.filePath(QStringLiteral("sound/gogame.wav")));
  EXPECT_EQ(platform.alerts, 1) << "the hidden window asks for attention";
  ASSERT_EQ(platform.notifications.size(), 1u) << "and the desktop tells the player away from it";
  EXPECT_EQ(platform.notifications[0].summary, QStringLiteral("試合の準備ができました"));
  EXPECT_EQ(platform.notifications[0].body, QStringLiteral("第三 に入場できます"));
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_EQ(platform.starts[0].program, Program("game/soccer.exe"));
  EXPECT_EQ(platform.starts[0].parameters, QStringLiteral("10.1.2.3 5003 abc 7 0 /r0 /s1 /m1 /f0 "));
  EXPECT_EQ(platform.starts[0].workingDirectory, QDir::currentPath());
  EXPECT_EQ(platform.starts[0].runner, QStringLiteral("ワイン/wine")) << "access.ini's GameRunner";
  EXPECT_TRUE(host.session.Sent<GmWaiting>().empty());
  EXPECT_FALSE(panel->waiting());
  EXPECT_EQ(Label(), kIdle);
}

TEST_F(StadiumPanelTest, MatchReadyNoSendsNothingAndEndsIdle) {
  Add({Stadium(3, "a")});
  Waiting(3, 3);
  Waiting(3, 5);  // no scripted answer: No
  EXPECT_TRUE(platform.starts.empty());
  EXPECT_TRUE(host.session.Sent<GmWaiting>().empty());
  EXPECT_EQ(host.session.SentOther<GmWaiting>(), 0);
  EXPECT_FALSE(panel->waiting());
  EXPECT_EQ(ReserveCaption(), QStringLiteral("入場待機(&W)"));
}

TEST_F(StadiumPanelTest, WaitBegunWhileTheQuestionIsOpenStillEndsIdle) {
  Add({Stadium(3, "a"), Stadium(8, "b")});
  Waiting(3, 3);
  bool waitingInside = false;
  platform.duringBox = [&] {
    Waiting(8, 3);
    waitingInside = panel->waiting() && Label() == QStringLiteral("b－入場待機中");
  };
  platform.yesNoAnswers = {true};
  Waiting(3, 5);
  EXPECT_TRUE(waitingInside);
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_TRUE(platform.starts[0].parameters.startsWith(QStringLiteral("10.1.2.3 5003 "))) << "the asked stadium";
  EXPECT_FALSE(panel->waiting());
  EXPECT_EQ(Label(), kIdle);
}

TEST_F(StadiumPanelTest, StadiumDeletedWhileTheQuestionIsOpenIsStillEntered) {
  Add({Stadium(3, "a")});
  Waiting(3, 3);
  platform.duringBox = [&] { DeleteIds({3}); };
  platform.yesNoAnswers = {true};
  Waiting(3, 5);
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_EQ(platform.starts[0].parameters, QStringLiteral("10.1.2.3 5003 abc 7 0 /r0 /s1 /m1 /f0 "));
  EXPECT_FALSE(panel->waiting());
}

TEST_F(StadiumPanelTest, MatchReadyForMissingStadiumChangesNothing) {
  Add({Stadium(3, "a")});
  Waiting(3, 3);
  Waiting(9, 5);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].kind, RecordingPlatform::Box::Error);
  EXPECT_EQ(platform.boxes[0].text,
            QStringLiteral("待機イベントに対応する競技場が見つかりません。プログラムの不具合が考えられます。"
                           "管理者へ報告してください"));
  EXPECT_TRUE(platform.sounds.isEmpty());
  EXPECT_TRUE(platform.starts.empty());
  EXPECT_TRUE(panel->waiting());
  EXPECT_EQ(Label(), QStringLiteral("a－入場待機中"));
}

TEST_F(StadiumPanelTest, DeletingTheWaitedStadiumKeepsTheWait) {
  Add({Stadium(3, "a")});
  Waiting(3, 3);
  DeleteIds({3});
  EXPECT_TRUE(panel->waiting());
  EXPECT_EQ(Label(), QStringLiteral("a－入場待機中"));
  EXPECT_TRUE(ReserveEnabled());
}

TEST_F(StadiumPanelTest, MissingSoundIsSilent) {
  QFile::remove(dir.filePath(QStringLiteral("sound/gogame.wav")));
  Add({Stadium(3, "a")});
  Waiting(3, 5);
  EXPECT_TRUE(platform.sounds.isEmpty());
  EXPECT_EQ(platform.boxes.size(), 1u) << "the question is still asked";
}

// ------------------------------------------------------------------ launching

TEST_F(StadiumPanelTest, EnterNowLaunchesWithoutStateChange) {
  host.session.setPlayerName(cp932::FromUtf8("山田 太郎"));
  Add({Stadium(5, "a")});
  Select(0);
  QTest::mouseClick(panel->ButtonGame(), Qt::LeftButton);
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_EQ(platform.starts[0].parameters, QStringLiteral("10.1.2.5 5005 山田 太郎 7 0 /r0 /s1 /m1 /f0 "))
      << "the name goes in unquoted";
  EXPECT_TRUE(host.session.Sent<GmWaiting>().empty());
  EXPECT_FALSE(panel->waiting());
  EXPECT_TRUE(GameEnabled());
}

TEST_F(StadiumPanelTest, TestStadiumStartsTheTestProgram) {
  Add({Stadium(5, "第2βテスト"), Stadium(6, "本番")});
  Select(static_cast<int>(*panel->stadiums().FindStadiumRow(5)));
  panel->ButtonGameClick();
  Select(static_cast<int>(*panel->stadiums().FindStadiumRow(6)));
  panel->ButtonGameClick();
  ASSERT_EQ(platform.starts.size(), 2u);
  EXPECT_EQ(platform.starts[0].program, Program("game/soccerTest.exe"));
  EXPECT_EQ(platform.starts[1].program, Program("game/soccer.exe"));
}

TEST_F(StadiumPanelTest, FailedStartShowsTheBoxAndKeepsTheState) {
  platform.startResult = false;
  Add({Stadium(5, "a")});
  Waiting(5, 3);
  Select(0);
  panel->ButtonGameClick();
  EXPECT_EQ(platform.errorTexts(), QStringList{QStringLiteral("サッカーゲームの起動に失敗しました")});
  EXPECT_TRUE(panel->waiting()) << "entering at once leaves the wait alone";

  platform.yesNoAnswers = {true};
  Waiting(5, 5);
  EXPECT_EQ(platform.errorTexts().size(), 2);
  EXPECT_FALSE(panel->waiting()) << "after the question the wait is over either way";
}

TEST_F(StadiumPanelTest, RelativeProgramResolvesAgainstTheCurrentDirectory) {
  QTemporaryDir other;
  QDir::setCurrent(other.path());
  host.exe = "bin\\..\\g\\run.exe";
  Add({Stadium(5, "a")});
  Select(0);
  panel->ButtonGameClick();
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_EQ(platform.starts[0].program, QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/g/run.exe")));
  EXPECT_EQ(platform.starts[0].workingDirectory, QDir::currentPath());
}

// The lists' header measures a caption in the font it draws it in, and still
// leaves room for all of it; a header that highlights columns keeps Qt's bold
// measure, since it draws them bold.
TEST(ListHeaderTest, CaptionsFitTheirDrawnFontAndHighlightingKeepsTheBoldMeasure) {
  const QString caption = QStringLiteral("WWWWWWWWWWWWWWWW 競技場名");
  QStandardItemModel model(0, 1);
  model.setHorizontalHeaderLabels({caption});
  QHeaderView stock(Qt::Horizontal);
  stock.setModel(&model);
  QTreeView view;
  view.setModel(&model);
  ListHeader* ours = ListHeader::InstallOn(&view);
  ASSERT_EQ(view.header(), ours);
  EXPECT_GE(ours->sectionSizeHint(0), ours->fontMetrics().horizontalAdvance(caption)) << "the caption fits";
  EXPECT_LT(ours->sectionSizeHint(0), stock.sectionSizeHint(0)) << "narrower than the bold measure";
  ours->setHighlightSections(true);
  EXPECT_EQ(ours->sectionSizeHint(0), stock.sectionSizeHint(0));
}
