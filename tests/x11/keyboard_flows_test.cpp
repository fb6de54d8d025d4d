// The dialogs' flows done with the keyboard alone: every key goes through the
// X server to whichever window has the focus (Tab, arrows, mnemonics, Enter,
// Escape), and the test looks only at what reaches the server or the settings.
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "x11_fixture.h"

namespace {

class KeyboardFlowTest : public X11ClientTest {
 protected:
  // The room list with one room behind a password.
  void OfferLockedRoom() { server.send<GmRoomList>(OneRoomList(40, "locked", true)); }
  void LoggedIn() {
    ASSERT_TRUE(ShowForm());
    ASSERT_TRUE(LogIn());
    OfferLockedRoom();
    WaitUntil([] { return false; }, 50);
  }
};

TEST_F(KeyboardFlowTest, LoginByCtrlOTypingTabAndEnter) {
  form.settings().UserID = 0;
  form.settings().Password.clear();
  ASSERT_TRUE(ShowForm());
  EXPECT_TRUE(RunAsUser([](User& u) {
    Control(u, 'o');
    if (!u.WaitFor("FormLogin")) return;
    u.x.Type("1001");
    u.x.Press(kTab);
    u.x.Type("abc9");
    u.x.Press(kReturn);
  }));
  ASSERT_TRUE(server.waitForFrames(1));
  Answer();
  GmConnect::Info login;
  ASSERT_TRUE(WaitUntil([&] { return LastSent<GmConnect>(login); }));
  EXPECT_EQ(login.userId, 1001u);
  EXPECT_STREQ(login.password, "ABC9");
}

TEST_F(KeyboardFlowTest, EscapeCancelsTheLogin) {
  ASSERT_TRUE(ShowForm());
  EXPECT_TRUE(RunAsUser([](User& u) {
    Control(u, 'o');
    if (u.WaitFor("FormLogin")) u.x.Press(kEscape);
  }));
  QTest::qWait(100);
  EXPECT_FALSE(server.hasClient()) << "a cancelled login connects nowhere";
}

// The arrow key that chooses "パスワードを入力する" must also move on to the
// password field, so typing and Enter send the password.
TEST_F(KeyboardFlowTest, RoomPasswordChosenWithTheArrowKey) {
  LoggedIn();
  EXPECT_TRUE(RunAsUser([](User& u) {
    u.x.Press('r', false, true);  // 部屋(&R)
    u.x.Press('l');               // 部屋一覧(&L)...
    if (!u.WaitFor("FormRoomList")) return;
    u.x.Press(kDown);    // the first room
    u.x.Press(kReturn);  // 入室(&E), the default button
    if (!u.WaitFor("FormPassword")) return;
    u.x.Press(kDown);  // to "パスワードを入力する"
    u.x.Type("abc1");
    u.x.Press(kReturn);
  }));
  GmEnterRoom::Info enter;
  ASSERT_TRUE(WaitUntil([&] { return LastSent<GmEnterRoom>(enter); }));
  EXPECT_EQ(enter.room, 40);
  EXPECT_STREQ(enter.password, "abc1");
}

TEST_F(KeyboardFlowTest, RoomPasswordLeftOutByTheTeamMember) {
  LoggedIn();
  EXPECT_TRUE(RunAsUser([](User& u) {
    u.x.Press('r', false, true);
    u.x.Press('l');
    if (!u.WaitFor("FormRoomList")) return;
    u.x.Press(kDown);
    u.x.Press('e', false, true);  // 入室(&E) by its mnemonic
    if (!u.WaitFor("FormPassword")) return;
    u.x.Press(kReturn);  // "チームメンバーなのでパスワード無しで入室する" is chosen
  }));
  GmEnterRoom::Info enter;
  ASSERT_TRUE(WaitUntil([&] { return LastSent<GmEnterRoom>(enter); }));
  EXPECT_EQ(enter.room, 40);
  EXPECT_STREQ(enter.password, "");
}

TEST_F(KeyboardFlowTest, RoomPasswordEscapeEntersNothing) {
  LoggedIn();
  const size_t before = server.frames().size();
  EXPECT_TRUE(RunAsUser([](User& u) {
    u.x.Press('r', false, true);
    u.x.Press('l');
    if (!u.WaitFor("FormRoomList")) return;
    u.x.Press(kDown);
    u.x.Press(kReturn);
    if (!u.WaitFor("FormPassword")) return;
    u.x.Press(kEscape);  // the password dialog
    if (!u.WaitFor("FormRoomList")) return;
    u.x.Press(kEscape);  // the room list
  }));
  std::vector<uint8_t> sent = server.types();
  sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(before));
  EXPECT_EQ(sent, std::vector<uint8_t>{NetDef::GmRoomListRequest}) << "only the list was asked for";
}

TEST_F(KeyboardFlowTest, RoomCreatedWithTabsAndEnter) {
  LoggedIn();
  EXPECT_TRUE(RunAsUser([](User& u) {
    u.x.Press('r', false, true);
    u.x.Press('c');  // 部屋作成(&C)...
    if (!u.WaitFor("FormCreateRoom")) return;
    u.x.Type("Room7");
    u.x.Press(kTab);
    u.x.Type("pw12");
    u.x.Press(kTab);
    u.x.Type("42");
    u.x.Press(kReturn);
  }));
  GmCreateRoom::Info room;
  ASSERT_TRUE(WaitUntil([&] { return LastSent<GmCreateRoom>(room); }));
  EXPECT_STREQ(room.name, "Room7");
  EXPECT_STREQ(room.password, "pw12");
  EXPECT_EQ(room.teamId, 42u);
}

TEST_F(KeyboardFlowTest, GameOptionsChosenWithArrowsAndTab) {
  form.settings().Game = GameOptions{};
  ASSERT_TRUE(ShowForm());
  EXPECT_TRUE(RunAsUser([](User& u) {
    u.x.Press('t', false, true);  // ツール(&T)
    u.x.Press('s');               // 設定(&S)...
    if (!u.WaitFor("FormGameOption")) return;
    u.x.Press(kDown);  // 画面モード: フルスクリーン
    u.x.Press(kTab);   // the size list
    u.x.Press(kDown);
    u.x.Press(kTab);  // フレームレート
    u.x.Press(kDown);
    u.x.Press(kReturn);
  }));
  EXPECT_EQ(form.settings().Game.GameMode, 1);
  EXPECT_EQ(form.settings().Game.GameSize, GameOptions{}.GameSize + 1);
  EXPECT_EQ(form.settings().Game.GameFrameRate, 1);

  // Without a window manager nobody gives the focus back to the main window:
  // the user clicks it.
  ASSERT_TRUE(ShowForm());
  EXPECT_TRUE(RunAsUser([](User& u) {
    u.x.Press('t', false, true);
    u.x.Press('s');
    if (!u.WaitFor("FormGameOption")) return;
    u.x.Press(kUp);
    u.x.Press(kEscape);
  }));
  EXPECT_EQ(form.settings().Game.GameMode, 1) << "Escape keeps what was stored";
}

// "プレビューデータ再生(&P)" and "Ping(&P)" share their mnemonic: the second P
// moves on to the ping item, Enter opens it, Escape closes it.
TEST_F(KeyboardFlowTest, PingReachedThroughTheSharedMnemonic) {
  LoggedIn();
  EXPECT_TRUE(RunAsUser([](User& u) {
    u.x.Press('t', false, true);
    u.x.Press('p');
    u.x.Press('p');
    u.x.Press(kReturn);
    if (!u.WaitFor("FormPing")) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(2300));  // one tick of the ping timer
    u.x.Press(kEscape);
  }));
  GmPing::Info ping;
  EXPECT_TRUE(LastSent<GmPing>(ping)) << "the open ping window pings";
  EXPECT_TRUE(platform.fileDialogs.empty()) << "the preview was not chosen";
}

TEST_F(KeyboardFlowTest, UpdateNoticeClosedWithEnter) {
  ASSERT_TRUE(ShowForm());
  form.Connect();
  ASSERT_TRUE(server.waitForFrames(1));
  GmAReady::Info ready;
  ready.status = 2;  // the client is too old
  server.send<GmAReady>(ready);
  EXPECT_TRUE(RunAsUser([](User& u) {
    if (!u.WaitFor("FormUpdate")) return;
    u.x.Press(kReturn);
  }));
  EXPECT_FALSE(form.session().isOpen());
  EXPECT_TRUE(platform.openedUrls.isEmpty()) << "Enter is OK, not the download link";
}

// The room's log reached from the chat input by Shift+Tab alone: it lands on the
// log's last link, steps back to the first, and Enter opens that one.
TEST_F(KeyboardFlowTest, ALogLinkReachedByShiftTabOpensWithEnter) {
  LoggedIn();
  server.send<GmAEnterRoom>(Entered(5));
  server.send<GmTalk>(Talk(5, 9, "bob", "see http://a.jp/ or http://b.jp/", 0));
  TRichEditEx* log = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    auto* tab = form.findChild<TChatSheet*>();
    log = tab != nullptr ? tab->Frame()->EditLog() : nullptr;
    return log != nullptr && log->LineCount() == 1;
  }));
  std::atomic<bool> onLink{false};
  QTimer watch;
  watch.setInterval(5);
  QObject::connect(&watch, &QTimer::timeout, [&] { onLink = log->hasFocus() && log->HasFocusedLink(); });
  watch.start();
  EXPECT_TRUE(RunAsUser([&](User& u) {
    u.x.Press('i', false, true);  // 入力(&I)
    for (int i = 0; i < 12 && !onLink; ++i) {
      u.x.Press(kTab, true);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!onLink) return u.Complain("Shift+Tab never reached a link of the log");
    u.x.Press(kTab, true);  // from the last link back to the first
    u.x.Press(kReturn);
  }));
  EXPECT_EQ(platform.openedUrls, QStringList{QStringLiteral("http://a.jp/")});
}

}  // namespace
