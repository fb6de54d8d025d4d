// The system tray on a real X server, hosted by trayer (a stand-alone tray, as
// a desktop's panel would be): the icon and its menu in the menus' own words,
// a window kept in the tray when the player chose it, and the mark for unseen
// talk while the window is away.
#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>

#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "main_window_parts.h"
#include "messages.h"
#include "x11_fixture.h"

namespace {

class TrayTest : public X11ClientTest {
 protected:
  // The tray exists before the window is built, as on a desktop.
  static void SetUpTestSuite() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) return;
    trayer_ = new QProcess;
    trayer_->start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom")});
    if (trayer_->waitForStarted(3000)) WaitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000);
  }
  static void TearDownTestSuite() {
    if (trayer_ == nullptr) return;
    trayer_->kill();
    trayer_->waitForFinished();
    delete trayer_;
    trayer_ = nullptr;
  }
  void SetUp() override {
    X11ClientTest::SetUp();
    if (IsSkipped()) return;
    if (!QSystemTrayIcon::isSystemTrayAvailable())
      GTEST_SKIP() << "no tray: trayer is missing (scripts/setup installs it)";
    tray = form.findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    ASSERT_NE(tray, nullptr);
  }
  static inline QProcess* trayer_ = nullptr;
  QSystemTrayIcon* tray = nullptr;
};

TEST_F(TrayTest, TheMenuShowsConnectsDisconnectsAndQuitsInTheMenusWords) {
  EXPECT_TRUE(tray->isVisible());
  QStringList words;
  for (QAction* a : tray->contextMenu()->actions()) {
    if (!a->isSeparator()) words << a->text();
  }
  EXPECT_EQ(words, (QStringList{QStringLiteral("表示(&S)"), QStringLiteral("接続(&O)..."), QStringLiteral("切断(&C)"),
                                QStringLiteral("終了(&X)")}));
  // The same commands as the window's menu: enabled by the same rule.
  ASSERT_TRUE(ShowForm());
  ASSERT_TRUE(LogIn());
  EXPECT_FALSE(Child<QAction>(form, "OpenMenu")->isEnabled());
  EXPECT_TRUE(Child<QAction>(form, "CloseMenu")->isEnabled());
}

TEST_F(TrayTest, ClosingKeepsTheWindowInTheTrayOnlyWhenChosen) {
  ASSERT_TRUE(ShowForm());
  QAction* keep = Child<QAction>(form, "MenuKeepInTray");
  ASSERT_FALSE(keep->isChecked()) << "off by default";
  keep->trigger();
  EXPECT_TRUE(form.settings().KeepInTray);
  form.close();
  EXPECT_TRUE(form.isHidden());
  EXPECT_TRUE(tray->isVisible());
  // Chosen back from the tray, it comes up again.
  tray->contextMenu()->actions().first()->trigger();
  EXPECT_TRUE(WaitUntil([&] { return form.isVisible(); }));
  keep->trigger();
  EXPECT_FALSE(form.settings().KeepInTray);
  EXPECT_TRUE(form.close()) << "not chosen: closing closes";
}

TEST_F(TrayTest, UnseenTalkMarksTheIconWhileTheWindowIsAway) {
  ASSERT_TRUE(ShowForm());
  ASSERT_TRUE(LogIn());
  server.send<GmAEnterRoom>(Entered(1));
  server.send<GmAEnterRoom>(Entered(2));
  auto* tabs = Child<ChatTabs>(form, "ChatTabs");
  ASSERT_TRUE(WaitUntil([&] { return tabs->ChatTabOf(2) != nullptr; }));
  tabs->PageControl1()->setCurrentWidget(tabs->ChatTabOf(1));
  const qint64 plain = tray->icon().cacheKey();

  server.send<GmTalk>(Talk(2, 9, "hanako", "while you look", 0));
  ASSERT_TRUE(WaitUntil([&] { return tabs->HasUnseenTalk(); }));
  EXPECT_EQ(tray->icon().cacheKey(), plain) << "no mark while the window is in front";

  form.showMinimized();
  EXPECT_TRUE(WaitUntil([&] { return tray->icon().cacheKey() != plain; })) << "minimised with unseen talk: marked";
  form.showNormal();
  EXPECT_TRUE(WaitUntil([&] { return tray->icon().cacheKey() == plain; }));

  form.hide();
  EXPECT_TRUE(WaitUntil([&] { return tray->icon().cacheKey() != plain; })) << "hidden with unseen talk: marked";
  form.show();
  tabs->PageControl1()->setCurrentWidget(tabs->ChatTabOf(2));  // the talk is seen
  form.hide();
  EXPECT_TRUE(WaitUntil([&] { return tray->icon().cacheKey() == plain; })) << "nothing unseen: no mark";
}

}  // namespace
