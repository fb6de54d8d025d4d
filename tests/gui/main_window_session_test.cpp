// The lobby session as the main window runs it, against a scripted server.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "chat/chat_sheet.h"
#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "dialogs/form_ping.h"
#include "dialogs/form_update.h"
#include "lobby/form_main.h"
#include "lobby/game_list_panel.h"
#include "main_window_harness.h"
#include "main_window_parts.h"
#include "mapped_files.h"
#include "messages.h"
#include "platform/cp932.h"
#include "recording_platform.h"
#include "scripted_server.h"
#include "ui_input.h"
#include "wait.h"

namespace {

class SessionTest : public ::testing::Test {
 protected:
  void setServer(int port) {
    form.settings().Access.IP = "127.0.0.1";
    form.settings().Access.Port = port;
  }

  // Connects and answers the handshake up to the state the test wants.
  void ConnectClient() { ASSERT_TRUE(harness.ConnectClient()); }
  // With the rejoin of the remembered rooms ("待合室" on a first start).
  void Login(int16_t clientId = 258) { ASSERT_TRUE(harness.LogIn(clientId, "abc")); }

  RecordingPlatform platform;
  MainWindowHarness harness;
  QTemporaryDir& dir = harness.dir;
  ScriptedServer& server = harness.server;
  TFormMain& form = harness.form;
};

}  // namespace

TEST_F(SessionTest, TitleShowsTheUserCountOnlyWhenNotZero) {
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Turfwing ver2.18.55"));
  ConnectClient();
  server.send<GmUserCount>({5});
  ASSERT_TRUE(WaitUntil([&] { return form.windowTitle().endsWith(QStringLiteral("人")); }));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Turfwing ver2.18.55 - 5人"));
  server.send<GmUserCount>({0});
  ASSERT_TRUE(WaitUntil([&] { return form.windowTitle() == QStringLiteral("Turfwing ver2.18.55"); }));
}

TEST_F(SessionTest, GmReadyIsTheFirstFrameOfEveryConnection) {
  ConnectClient();
  EXPECT_EQ(server.frames()[0], QByteArray("\x00\x07\x01\x01\x02\x12\x37", 7));
  form.CloseMenuClick();
  EXPECT_FALSE(form.session().isOpen());
  ASSERT_TRUE(server.waitForDisconnect());
  server.clearFrames();
  ConnectClient();
  EXPECT_EQ(server.frames()[0], QByteArray("\x00\x07\x01\x01\x02\x12\x37", 7));
}

TEST_F(SessionTest, AcceptedHandshakeSendsExactlyOneLogin) {
  ConnectClient();
  GmAReady::Info ready;
  ready.clientId = 0x0102;
  server.send<GmAReady>(ready);
  ASSERT_TRUE(server.waitForFrames(2));
  QTest::qWait(50);
  ASSERT_EQ(server.frames().size(), 2u);
  GmConnect::Info login;
  ASSERT_TRUE(server.decodeFrame<GmConnect>(1, login));
  EXPECT_EQ(login.userId, 1234u);
  EXPECT_STREQ(login.password, "PASS1");
  EXPECT_STREQ(login.secondText, "");
  EXPECT_EQ(form.session().clientId(), 258);
}

TEST_F(SessionTest, RefusedHandshakeIsDisconnectedBeforeTheBoxShows) {
  struct Case {
    uint8_t status;
    const char* message;
    QString expected;
  };
  const Case cases[] = {
      {3, "", QStringLiteral("残念ながら該当機種はまだサポートされていません")},
      {4, "", QStringLiteral("接続しているユーザ数が多すぎて接続できませんでした")},
      {7, "\x83\x81\x83\x93\x83\x65<b>x</b>", QStringLiteral("メンテ<b>x</b>")},
  };
  for (const Case& c : cases) {
    platform.boxes.clear();
    ConnectClient();
    bool connectedDuringBox = true;
    platform.duringBox = [&] { connectedDuringBox = form.session().isOpen(); };
    GmAReady::Info ready;
    ready.status = c.status;
    CopyText(ready.message, c.message);
    server.send<GmAReady>(ready);
    ASSERT_TRUE(WaitUntil([&] { return !platform.boxes.empty(); })) << int(c.status);
    EXPECT_FALSE(connectedDuringBox);
    EXPECT_EQ(platform.errorTexts(), QStringList{c.expected});
    EXPECT_TRUE(Child<QAction>(form, "OpenMenu")->isEnabled());
    ASSERT_TRUE(server.waitForDisconnect());
    server.clearFrames();
  }
}

TEST_F(SessionTest, TabsAndStadiumsAreGoneWhenTheRefusalShows) {
  ConnectClient();
  // Messages are dispatched in any state: a tab and a stadium before the answer.
  GmAEnterRoom::Info entered;
  entered.room = 3;
  server.send<GmAEnterRoom>(entered);
  GmStadiumAdd::Info add;
  add.count = 1;
  add.entries[0].id = 9;
  add.entries[0].playable = 1;
  server.send<GmStadiumAdd>(add);
  ASSERT_TRUE(WaitUntil([&] { return Child<QTabWidget>(form, "PageControl1")->count() == 1; }));
  int tabsDuringBox = -1;
  bool stadiumDuringBox = true;
  platform.duringBox = [&] {
    tabsDuringBox = Child<QTabWidget>(form, "PageControl1")->count();
    stadiumDuringBox = Child<TGameListPanel>(form, "PanelGameList")->FindStadiumRow(9) != nullptr;
  };
  GmAReady::Info ready;
  ready.status = 3;
  server.send<GmAReady>(ready);
  ASSERT_TRUE(WaitUntil([&] { return !platform.boxes.empty(); }));
  EXPECT_EQ(tabsDuringBox, 0);
  EXPECT_FALSE(stadiumDuringBox);
}

TEST_F(SessionTest, OutdatedClientSeesTheUpdateNoticeAfterTheDisconnect) {
  form.settings().Access.UrlDownload = "http://127.0.0.1/download/";
  ConnectClient();
  bool connectedWhenShown = true;
  QString address;
  WhenModal([&](QWidget*) {
    connectedWhenShown = form.session().isOpen();
    address = Child<TFormUpdate>(form, "FormUpdate")->Address();
    Child<TFormUpdate>(form, "FormUpdate")->accept();
  });
  GmAReady::Info ready;
  ready.status = 2;
  server.send<GmAReady>(ready);
  ASSERT_TRUE(WaitUntil([&] { return !address.isEmpty(); }));
  EXPECT_FALSE(connectedWhenShown);
  EXPECT_EQ(address, QStringLiteral("http://127.0.0.1/download/"));
  EXPECT_TRUE(Child<QAction>(form, "OpenMenu")->isEnabled());
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(SessionTest, RoomCreationAnswersShowTheirTextsAndKeepTheConnection) {
  Login();
  const std::pair<uint8_t, QString> cases[] = {
      {0, QString()},
      {1, QStringLiteral("<b>停止中</b>")},
      {2, QStringLiteral("一人で作成できる部屋数には制限があり、これ以上作成できません")},
      {3, QStringLiteral("部屋数をこれ以上増やすことはできません")},
      {4, QStringLiteral("部屋を作成する権限がありません")},
      {5, QStringLiteral("同一の部屋名があります")},
      {6, QStringLiteral("チーム員でないため作成できません")},
      {7, QString()},
  };
  for (const auto& [status, text] : cases) {
    platform.boxes.clear();
    GmACreateRoom::Info answer;
    answer.status = status;
    CopyText(answer.message, cp932::FromUtf8("<b>停止中</b>").c_str());
    server.send<GmACreateRoom>(answer);
    server.send<GmUserCount>({static_cast<int16_t>(status + 1)});  // a marker that the answer was handled
    ASSERT_TRUE(
        WaitUntil([&] { return form.windowTitle().contains(QString::number(status + 1) + QStringLiteral("人")); }));
    EXPECT_EQ(platform.errorTexts(), text.isEmpty() ? QStringList{} : QStringList{text}) << int(status);
    EXPECT_TRUE(form.session().isOpen());
  }
}

TEST_F(SessionTest, RefusedLoginShowsItsTextAndUnknownStatusesShowNothing) {
  const std::pair<uint8_t, QString> cases[] = {
      {1, QStringLiteral("停止中")},
      {2, QStringLiteral("IDがパスワードが違います")},
      {3, QStringLiteral("指定のIPアドレスからの接続はできません")},
      {4, QStringLiteral("このサーバへの接続権限がありません")},
      {5, QStringLiteral("接続数が多すぎて接続できませんでした")},
      {6, QString()},
  };
  for (const auto& [status, text] : cases) {
    platform.boxes.clear();
    ConnectClient();
    server.send<GmAReady>({});
    ASSERT_TRUE(server.waitForFrames(2));
    GmAConnect::Info refused;
    refused.status = status;
    CopyText(refused.message, cp932::FromUtf8("停止中").c_str());
    server.send<GmAConnect>(refused);
    ASSERT_TRUE(WaitUntil([&] { return !form.session().isOpen(); })) << int(status);
    if (text.isEmpty()) {
      QTest::qWait(20);
      EXPECT_TRUE(platform.boxes.empty());
    } else {
      EXPECT_EQ(platform.errorTexts(), QStringList{text});
    }
    ASSERT_TRUE(server.waitForDisconnect());
    server.clearFrames();
  }
}

TEST_F(SessionTest, LoginRejoinsTheRememberedRoomsInOrderAndSavesTheLogin) {
  form.settings().Rooms.Clear();
  form.settings().Rooms.Append({0, "b", "", 0, true});
  form.settings().Rooms.Append({0, "a", "PW", 7, false});
  form.settings().Rooms.Append({0, "b", "", 0, true});
  Login();
  ASSERT_EQ(server.frames().size(), 5u);
  const char* names[] = {"b", "a", "b"};
  for (size_t i = 0; i < 3; ++i) {
    GmEnterRoom::Info enter;
    ASSERT_TRUE(server.decodeFrame<GmEnterRoom>(2 + i, enter));
    EXPECT_EQ(enter.room, 0);
    EXPECT_STREQ(enter.name, names[i]);
  }
  GmEnterRoom::Info second;
  server.decodeFrame<GmEnterRoom>(3, second);
  EXPECT_STREQ(second.password, "PW");
  EXPECT_EQ(second.teamId, 7u);
  QFile file(dir.path() + QStringLiteral("/turfwing.INI"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  EXPECT_TRUE(saved.contains("UserID=1234")) << saved.constData();
  EXPECT_TRUE(saved.contains("Password=PASS1"));
}

TEST_F(SessionTest, ServerCloseReturnsToIdleWithConnectEnabled) {
  Login();
  EXPECT_FALSE(Child<QAction>(form, "OpenMenu")->isEnabled());
  server.send<GmClose>({});
  ASSERT_TRUE(WaitUntil([&] { return !form.session().isOpen(); }));
  EXPECT_TRUE(Child<QAction>(form, "OpenMenu")->isEnabled());
  EXPECT_FALSE(Child<QAction>(form, "CloseMenu")->isEnabled());
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(SessionTest, EnablingFollowsTheConnection) {
  const auto check = [&](bool connected) {
    EXPECT_EQ(Child<QAction>(form, "OpenMenu")->isEnabled(), !connected);
    for (QAction* a :
         {Child<QAction>(form, "CloseMenu"), Child<QAction>(form, "CreateMenu"), Child<QAction>(form, "MenuNext"),
          Child<QAction>(form, "MenuPrev"), Child<QAction>(form, "MenuRoomList"), Child<QAction>(form, "RetireMenu"),
          Child<QAction>(form, "MenuPing")}) {
      EXPECT_EQ(a->isEnabled(), connected) << a->objectName().toStdString();
    }
    EXPECT_EQ(Child<QWidget>(form, "PanelInput")->isEnabled(), connected);
    for (QAction* a : {Child<QAction>(form, "ExitMenu"), Child<QAction>(form, "MenuHtmlHome"),
                       Child<QAction>(form, "MenuHtmlMember"), Child<QAction>(form, "MenuGameListDisp"),
                       Child<QAction>(form, "MenuPreview"), Child<QAction>(form, "MenuGameOption")}) {
      EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    }
  };
  check(false);
  EXPECT_FALSE(Child<QPushButton>(form, "ButtonSendChat")->isEnabled());
  Login();
  check(true);
  EXPECT_FALSE(Child<QPushButton>(form, "ButtonSendChat")->isEnabled()) << "nothing typed yet";
  Child<QComboBox>(form, "EditInputChat")->setEditText(QStringLiteral("x"));
  EXPECT_TRUE(Child<QPushButton>(form, "ButtonSendChat")->isEnabled());
  form.CloseMenuClick();
  check(false);
  EXPECT_FALSE(Child<QPushButton>(form, "ButtonSendChat")->isEnabled());
}

TEST_F(SessionTest, HistoryKeepsTheFiftyNewestNewestFirst) {
  Login();
  for (int i = 1; i <= 52; ++i) {
    Child<QComboBox>(form, "EditInputChat")->setEditText(QString::number(i));
    Child<QPushButton>(form, "ButtonSendChat")->click();
  }
  ASSERT_EQ(Child<QComboBox>(form, "EditInputChat")->count(), 50);
  EXPECT_EQ(Child<QComboBox>(form, "EditInputChat")->itemText(0), QStringLiteral("52"));
  EXPECT_EQ(Child<QComboBox>(form, "EditInputChat")->itemText(49), QStringLiteral("3"));
  EXPECT_TRUE(Child<QComboBox>(form, "EditInputChat")->currentText().isEmpty());
  EXPECT_FALSE(Child<QPushButton>(form, "ButtonSendChat")->isEnabled());
}

TEST_F(SessionTest, InputRefusesTheHundredFiftyFirstByte) {
  Login();
  QLineEdit* edit = Child<QComboBox>(form, "EditInputChat")->lineEdit();
  edit->setFocus();
  QTest::keyClicks(edit, QString(149, QLatin1Char('a')));
  TypeText(edit, QStringLiteral("あ"));
  EXPECT_EQ(edit->text().size(), 149) << "a double-byte character would make 151 bytes";
  TypeText(edit, QStringLiteral("é"));
  EXPECT_EQ(edit->text().size(), 149) << "a character without a CP932 form is refused";
  QTest::keyClicks(edit, QStringLiteral("b"));
  EXPECT_EQ(edit->text().size(), 150);
  QTest::keyClicks(edit, QStringLiteral("c"));
  EXPECT_EQ(edit->text().size(), 150);
}

TEST_F(SessionTest, TabInTheInputCompletesAMemberOfTheActiveRoomLatestSpeakerFirst) {
  Login(258);  // the player is "abc"
  server.send<GmAEnterRoom>(Entered(5));
  server.send<GmUserEnter>(
      Enter(5, {{258, 1, "abc", 0}, {300, 2, "tanaka", 0}, {301, 3, "Tarou", 0}, {302, 4, "Ab", 0}}));
  server.send<GmTalk>(Talk(5, 301, "", "hi", 0));
  auto* tabs = Child<QTabWidget>(form, "PageControl1");
  ASSERT_TRUE(WaitUntil([&] {
    auto* tab = qobject_cast<TChatSheet*>(tabs->currentWidget());
    return tab != nullptr && tab->Frame()->EditLog()->LineCount() == 1;
  }));
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  auto* input = Child<QComboBox>(form, "EditInputChat");
  input->setFocus();
  QLineEdit* edit = input->lineEdit();
  auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(QApplication::focusWidget(), k, m); };

  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("say ta"));
  key(Qt::Key_Tab);
  EXPECT_EQ(edit->text(), QStringLiteral("say Tarou ")) << "the latest speaker first";
  key(Qt::Key_Tab);
  EXPECT_EQ(edit->text(), QStringLiteral("say tanaka "));
  key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(edit->text(), QStringLiteral("say Tarou "));
  EXPECT_EQ(edit->cursorPosition(), 10);

  // Another key ends the cycle; the player's own name comes last.
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("a"));
  key(Qt::Key_Tab);
  EXPECT_EQ(edit->text(), QStringLiteral("say Tarou Ab "));
  key(Qt::Key_Tab);
  EXPECT_EQ(edit->text(), QStringLiteral("say Tarou abc "));
  EXPECT_TRUE(input->isAncestorOf(QApplication::focusWidget()) || input->hasFocus()) << "Tab stayed in the input";

  // Nothing to complete: Tab moves the focus as always, the text untouched.
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("zz"));
  key(Qt::Key_Tab);
  EXPECT_EQ(edit->text(), QStringLiteral("say Tarou abc zz"));
  EXPECT_EQ(QApplication::focusWidget(), Child<QPushButton>(form, "ButtonSendChat"));
}

TEST_F(SessionTest, OnePingAtATimeAndTheTimerRunsUntilTheAnswerAfterClosing) {
  Login();
  const size_t before = server.frames().size();
  bool timerRanWhileOpen = false;
  // The ping window is modal: act from inside its loop, as the user and the
  // server would, then close it before the answer comes.
  QTimer::singleShot(0, &form, [&] {
    timerRanWhileOpen = Child<QTimer>(form, "TimerPing")->isActive() && !Child<QAction>(form, "MenuPing")->isEnabled();
    platform.now = 5000;
    QMetaObject::invokeMethod(Child<QTimer>(form, "TimerPing"), "timeout", Qt::DirectConnection);
    QMetaObject::invokeMethod(Child<QTimer>(form, "TimerPing"), "timeout", Qt::DirectConnection);
    ASSERT_TRUE(server.waitForFrames(before + 1));
    platform.now = 5031;
    server.send<GmAPing>({});
    ASSERT_TRUE(WaitUntil([&] { return Child<TFormPing>(form, "FormPing")->Results().size() == 1; }));
    EXPECT_TRUE(Child<QTimer>(form, "TimerPing")->isActive()) << "the window is still open";
    QMetaObject::invokeMethod(Child<QTimer>(form, "TimerPing"), "timeout", Qt::DirectConnection);
    ASSERT_TRUE(server.waitForFrames(before + 2));
    Child<TFormPing>(form, "FormPing")->reject();
  });
  Child<QAction>(form, "MenuPing")->trigger();
  EXPECT_TRUE(timerRanWhileOpen);
  EXPECT_EQ(Child<TFormPing>(form, "FormPing")->Results(), QStringList{QStringLiteral("31ms")});
  QTest::qWait(30);
  EXPECT_EQ(server.frames().size(), before + 2) << "two ticks without an answer send one GmPing";
  EXPECT_EQ(server.types().back(), NetDef::GmPing);
  EXPECT_TRUE(Child<QTimer>(form, "TimerPing")->isActive()) << "closing the window stops nothing by itself";
  EXPECT_FALSE(Child<QAction>(form, "MenuPing")->isEnabled());
  server.send<GmAPing>({});
  ASSERT_TRUE(WaitUntil([&] { return !Child<QTimer>(form, "TimerPing")->isActive(); }));
  EXPECT_TRUE(Child<QAction>(form, "MenuPing")->isEnabled());
  EXPECT_EQ(Child<TFormPing>(form, "FormPing")->Results().size(), 2) << "the late answer still reaches the hidden list";
}

TEST_F(SessionTest, RefusedConnectionShowsTheReasonAndStaysIdle) {
  setServer(1);  // nothing listens on port 1
  form.Connect();
  ASSERT_TRUE(WaitUntil([&] { return !platform.boxes.empty(); }));
  ASSERT_EQ(platform.errorTexts().size(), 1);
  EXPECT_TRUE(platform.errorTexts()[0].startsWith(QStringLiteral("サーバに接続を拒否されました。")));
  EXPECT_FALSE(form.session().isOpen());
  EXPECT_TRUE(Child<QAction>(form, "OpenMenu")->isEnabled());
}

TEST_F(SessionTest, LengthFieldOutOfRangeClosesTheConnection) {
  Login();
  server.sendRaw(QByteArray("\x00\x02\x01", 3));
  ASSERT_TRUE(WaitUntil([&] { return !form.session().isOpen(); }));
  EXPECT_TRUE(server.waitForDisconnect());
  EXPECT_TRUE(platform.boxes.empty());
}

#ifdef Q_OS_LINUX
// The font files of bold faces this process has mapped.
static QStringList BoldFacesMapped() {
  const QStringList files = MappedFiles();
  if (files.isEmpty()) return {QStringLiteral("(no /proc/self/maps)")};
  QStringList faces;
  for (const QString& file : files) {
    const bool font = file.endsWith(QStringLiteral(".ttc")) || file.endsWith(QStringLiteral(".ttf")) ||
                      file.endsWith(QStringLiteral(".otf"));
    if (font && file.contains(QStringLiteral("Bold"))) faces << file;
  }
  return faces;
}

// Nothing the window draws at rest is bold; a bold face loaded only to measure
// a caption holds pages of its font file for nothing.
TEST_F(SessionTest, ASessionAtRestLoadsNoBoldFace) {
  if (!BoldFacesMapped().isEmpty()) GTEST_SKIP() << "an earlier test in this process loaded a bold face";
  form.show();
  Login(258);
  server.send<GmAEnterRoom>(Entered(5));
  server.send<GmUserEnter>(Enter(5, {{258, 1, "abc", 0}, {300, 2, "たなか", 0}}));
  server.send<GmTalk>(Talk(5, 300, "", "こんにちは、試合しませんか？", 0));
  auto* tabs = Child<QTabWidget>(form, "PageControl1");
  ASSERT_TRUE(WaitUntil([&] {
    auto* tab = qobject_cast<TChatSheet*>(tabs->currentWidget());
    return tab != nullptr && tab->Frame()->EditLog()->LineCount() == 1;
  }));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.grab();  // everything painted once
  EXPECT_EQ(BoldFacesMapped().join(QStringLiteral(", ")).toStdString(), "");
}
#endif
