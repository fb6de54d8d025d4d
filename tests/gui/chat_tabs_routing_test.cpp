// Room entry answers and the routing of talk to the chat tabs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <memory>

#include "chat/chat_tabs.h"
#include "chat/room_list_model.h"
#include "chat_tabs_host_test.h"
#include "recording_platform.h"
#include "scripted_server.h"

using namespace chattest;

namespace {

const QColor kBlack(0, 0, 0), kRed(255, 0, 0), kGreen(0, 128, 0), kBlue(0, 0, 255);

// Tabs whose rooms have names in the room rows, and a fixed clock.
struct World : TabsWorld {
  World() {
    rooms.ApplyRoomList(
        RoomRows({{1, "lobby", 0, 0}, {2, "club", 0, 0}, {3, "A&B", 0, 0}, {4, Sjis("待合室").c_str(), 0, 0}}));
    tabs->SetClock([] { return ClockTime{12, 34, 56}; });
  }
};

}  // namespace

TEST(ChatTabsEntryTest, EnteredRoomBecomesActiveTabNamedFromRoomList) {
  World w;
  w.Open(1);
  EXPECT_TRUE(w.host.session.deliver<GmAEnterRoom>(Entered(2, "pw", 77)));
  ASSERT_EQ(w.tabs->PageCount(), 2);
  TChatSheet* club = w.tabs->ChatTabOf(2);
  ASSERT_NE(club, nullptr);
  EXPECT_EQ(w.tabs->ActiveChatTab(), club);
  EXPECT_EQ(w.Pages()->tabText(1), QStringLiteral("club"));
  EXPECT_EQ(club->GetRoomName(), "club");
  EXPECT_EQ(club->GetRoomPassword(), "pw");
  EXPECT_EQ(club->GetRoomTeamID(), 77);
  EXPECT_EQ(club->ImageIndex(), TChatSheet::ImagePlain);
  ASSERT_EQ(w.host.remembered.size(), 2u);
  EXPECT_EQ(w.host.remembered[1].name, "club");
  EXPECT_EQ(w.host.remembered[1].password, "pw");
  EXPECT_EQ(w.host.remembered[1].teamId, 77);
  EXPECT_EQ(w.host.focusCalls, 2);
  EXPECT_TRUE(club->Frame()->ButtonFormation()->isEnabled());
}

TEST(ChatTabsEntryTest, SecondEntryForSameRoomChangesNothing) {
  World w;
  w.Open(1);
  w.Open(2);
  EXPECT_TRUE(w.host.session.deliver<GmAEnterRoom>(Entered(1)));
  EXPECT_EQ(w.tabs->PageCount(), 2);
  EXPECT_EQ(w.tabs->ActiveChatTab()->GetRoomNumber(), 2) << "the active page stays";
  EXPECT_EQ(w.host.remembered.size(), 2u);
}

TEST(ChatTabsEntryTest, UnknownRoomGetsEmptyCaption) {
  World w;
  TChatSheet* sheet = w.Open(55);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(w.Pages()->tabText(0), QString());
  EXPECT_EQ(sheet->GetRoomName(), "");
}

TEST(ChatTabsEntryTest, CaptionsArePlainTextWithAmpersandShown) {
  World w;
  w.Open(3);
  w.Open(4);
  EXPECT_EQ(w.Pages()->tabText(0), QStringLiteral("A&&B")) << "escaped so the tab shows A&B, not a mnemonic";
  EXPECT_EQ(w.Pages()->tabText(1), QStringLiteral("待合室"));
}

TEST(ChatTabsEntryTest, StoredCallSoundFlagSetsTheBell) {
  World w;
  w.host.rememberAnswer = false;
  EXPECT_FALSE(w.Open(1)->GetRoomCheckSound());
  w.host.rememberAnswer = std::nullopt;  // the remembered list is full
  EXPECT_TRUE(w.Open(2)->GetRoomCheckSound());
}

TEST(ChatTabsEntryTest, RefusedEntryShowsTheStatusText) {
  const std::pair<uint8_t, QString> cases[] = {
      {1, QStringLiteral("サーバからの説明")},     {2, QStringLiteral("既に部屋に入室しています")},
      {3, QStringLiteral("パスワードが違います")}, {4, QStringLiteral("満員で入室できません")},
      {5, QStringLiteral("入室権限がありません")},
  };
  for (const auto& [status, text] : cases) {
    World w;
    GmAEnterRoom::Info info = Entered(1);
    info.status = status;
    CopyText(info.message, Sjis("サーバからの説明").c_str());
    EXPECT_TRUE(w.host.session.deliver<GmAEnterRoom>(info));
    EXPECT_EQ(w.tabs->PageCount(), 0) << int(status);
    ASSERT_EQ(w.platform.errorTexts(), QStringList{text}) << int(status);
    EXPECT_TRUE(w.host.remembered.empty());
  }
  World w;
  GmAEnterRoom::Info unknown = Entered(1);
  unknown.status = 9;
  EXPECT_TRUE(w.host.session.deliver<GmAEnterRoom>(unknown));
  EXPECT_EQ(w.tabs->PageCount(), 0);
  EXPECT_TRUE(w.platform.boxes.empty());
}

TEST(ChatTabsEntryTest, ServerErrorTextIsNotMarkup) {
  World w;
  GmAEnterRoom::Info info = Entered(1);
  info.status = 1;
  CopyText(info.message, "<b>closed</b>");
  EXPECT_TRUE(w.host.session.deliver<GmAEnterRoom>(info));
  EXPECT_EQ(w.platform.errorTexts(), QStringList{QStringLiteral("<b>closed</b>")});
}

// Talk to room 9999, every kind against every arrangement of open pages.
TEST(ChatTabsRoutingTest, PrivateRoomTalkTable) {
  enum Active { NoPage, RoomActive, PrivateActive };
  for (Active active : {NoPage, RoomActive, PrivateActive}) {
    for (bool privatePresent : {false, true}) {
      if (active == PrivateActive && !privatePresent) continue;
      // The only page of a tab widget is always its current one.
      if (active == NoPage && privatePresent) continue;
      for (uint8_t kind : {0, 1, 2, 3, 4, 5, 6}) {
        SCOPED_TRACE(testing::Message() << "active " << active << " private tab " << privatePresent << " kind "
                                        << int(kind));
        World w;
        TChatSheet* room = nullptr;
        if (active == RoomActive || active == PrivateActive) room = w.Open(1);
        if (privatePresent) {
          EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(9999, 50, "setup", "first", 5)));
          ASSERT_NE(w.tabs->ChatTabOf(9999), nullptr);
        }
        if (active == PrivateActive) w.Pages()->setCurrentWidget(w.tabs->ChatTabOf(9999));
        const size_t privateBefore = privatePresent ? LogOf(w.tabs->ChatTabOf(9999)).size() : 0;
        const int alertsBefore = w.platform.alerts;

        EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(9999, 50, "hanako", "hi", kind)));

        TChatSheet* priv = w.tabs->ChatTabOf(9999);
        const bool toPrivate = kind == 3 || kind == 5;
        if (toPrivate) {
          ASSERT_NE(priv, nullptr);
          const auto lines = LogOf(priv);
          ASSERT_EQ(lines.size(), privateBefore + 1);
          EXPECT_EQ(lines.back().color, kind == 3 ? kBlue : kGreen);
          EXPECT_EQ(lines.back().text, kind == 3 ? "12:34:56 hanako > hi" : "12:34:56 ====> hanako > hi");
          if (active == RoomActive) {
            EXPECT_EQ(w.tabs->ActiveChatTab(), room) << "the private tab is not activated";
            EXPECT_EQ(priv->ImageIndex(), TChatSheet::ImageNewTalk);
          } else {
            EXPECT_EQ(priv->ImageIndex(), TChatSheet::ImagePlain);
          }
          const auto roomLines = room != nullptr ? LogOf(room) : std::vector<LogLine>{};
          if (kind == 3 && active == RoomActive) {
            ASSERT_EQ(roomLines.size(), 1u);
            EXPECT_EQ(roomLines[0].text, "hanako さん からの個別チャットを受信しました") << "no time prefix";
            EXPECT_EQ(roomLines[0].color, kGreen);
          } else {
            EXPECT_TRUE(roomLines.empty());
          }
          EXPECT_EQ(w.platform.alerts - alertsBefore, kind == 3 ? 1 : 0) << "alert only for a received private talk";
        } else {
          EXPECT_EQ(priv != nullptr, privatePresent) << "other kinds never create the private tab";
          TChatSheet* shown = active == RoomActive ? room : active == PrivateActive ? priv : nullptr;
          for (TChatSheet* s : {room, priv}) {
            if (s == nullptr) continue;
            const auto lines = LogOf(s);
            const size_t before = s == priv ? privateBefore : 0;
            ASSERT_EQ(lines.size(), before + (s == shown ? 1 : 0));
          }
          if (shown != nullptr) {
            const auto line = LogOf(shown).back();
            const bool timed = kind != 1 && kind != 2;
            EXPECT_EQ(line.text, std::string(timed ? "12:34:56 " : "") + "hanako > hi");
            EXPECT_EQ(shown->ImageIndex(), TChatSheet::ImagePlain) << "the active tab gets no mark";
          }
          EXPECT_EQ(w.platform.alerts, alertsBefore);
        }
      }
    }
  }
}

TEST(ChatTabsRoutingTest, FirstPrivateTalkCreatesTabWithoutBellOrFormation) {
  World w;
  w.Open(1);
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(9999, 50, "hanako", "5", 3)));
  TChatSheet* priv = w.tabs->ChatTabOf(9999);
  ASSERT_NE(priv, nullptr);
  EXPECT_EQ(w.tabs->PageCount(), 2);
  EXPECT_EQ(w.Pages()->indexOf(priv), 1) << "appended as the last page";
  EXPECT_EQ(w.Pages()->tabText(1), QStringLiteral("【個別 チャット】"));
  EXPECT_FALSE(priv->GetRoomCheckSound());
  EXPECT_FALSE(priv->Frame()->ButtonFormation()->isEnabled());
  EXPECT_TRUE(w.platform.sounds.isEmpty()) << "the private tab's bell is off";
  EXPECT_EQ(priv->GetRoomPassword(), "");
  EXPECT_EQ(priv->GetRoomTeamID(), 0);
}

TEST(ChatTabsRoutingTest, PrivateTalkWithNoPageOpenShowsThePrivateTab) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(9999, 50, "hanako", "hi", 3)));
  TChatSheet* priv = w.tabs->ChatTabOf(9999);
  ASSERT_NE(priv, nullptr);
  EXPECT_EQ(w.tabs->ActiveChatTab(), priv) << "the only page is the one shown";
  EXPECT_EQ(priv->ImageIndex(), TChatSheet::ImagePlain);
  EXPECT_EQ(LogOf(priv).size(), 1u) << "no notice anywhere else";
  EXPECT_EQ(w.platform.alerts, 1);
  ASSERT_EQ(w.platform.notifications.size(), 1u) << "a desktop notification beside the flash";
  EXPECT_EQ(w.platform.notifications[0].summary, QStringLiteral("個別チャット"));
  EXPECT_EQ(w.platform.notifications[0].body, QStringLiteral("hanako > hi"));
}

TEST(ChatTabsRoutingTest, NoAlertWhileTheMainWindowIsActive) {
  World w;
  w.Open(1);
  w.host.window.show();
  QApplication::setActiveWindow(&w.host.window);
  ASSERT_TRUE(w.host.window.isActiveWindow());
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(9999, 50, "hanako", "hi", 3)));
  EXPECT_EQ(w.platform.alerts, 0);
  EXPECT_TRUE(w.platform.notifications.empty());
  w.host.window.hide();
  QApplication::setActiveWindow(nullptr);
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(9999, 50, "hanako", "again", 3)));
  EXPECT_EQ(w.platform.alerts, 1);
  EXPECT_EQ(w.platform.notifications.size(), 1u);
}

TEST(ChatTabsRoutingTest, RoomTalkGoesToItsTabAndMarksItWhenInactive) {
  World w;
  TChatSheet* lobby = w.Open(1);
  TChatSheet* club = w.Open(2);
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "taro", "hello", 0)));
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(2, 9, "taro", "here", 4)));
  ASSERT_EQ(LogOf(lobby).size(), 1u);
  EXPECT_EQ(LogOf(lobby)[0].text, "12:34:56 taro > hello");
  EXPECT_EQ(LogOf(lobby)[0].color, kBlack);
  EXPECT_EQ(LogOf(club)[0].color, kRed);
  EXPECT_EQ(lobby->ImageIndex(), TChatSheet::ImageNewTalk);
  EXPECT_EQ(club->ImageIndex(), TChatSheet::ImagePlain);
  EXPECT_EQ(w.Pages()->tabIcon(0).cacheKey(), ChatTabImage(0).cacheKey());
  EXPECT_TRUE(w.Pages()->tabBar()->accessibleTabName(0).endsWith(QStringLiteral("（新しい発言あり）")))
      << "a screen reader hears the mark";
  w.Pages()->setCurrentIndex(0);
  EXPECT_EQ(lobby->ImageIndex(), TChatSheet::ImagePlain) << "activating the page clears the mark";
  EXPECT_EQ(w.Pages()->tabIcon(0).cacheKey(), ChatTabImage(1).cacheKey());
  EXPECT_TRUE(w.Pages()->tabBar()->accessibleTabName(0).isEmpty()) << "read by its caption again";
}

TEST(ChatTabsRoutingTest, TalkForRoomWithoutTabIsDropped) {
  World w;
  TChatSheet* lobby = w.Open(1);
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(2, 9, "taro", "5", 0)));
  EXPECT_TRUE(LogOf(lobby).empty());
  EXPECT_EQ(w.tabs->PageCount(), 1);
  EXPECT_TRUE(w.platform.sounds.isEmpty());
}

TEST(ChatTabsRoutingTest, TimeFollowsTheChatTimeSetting) {
  World w;
  TChatSheet* lobby = w.Open(1);
  w.host.chatTime = false;
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "taro", "plain", 0)));
  EXPECT_EQ(LogOf(lobby)[0].text, "taro > plain");
}

TEST(ChatTabsRoutingTest, TalkTextIsShownAsPlainText) {
  World w;
  TChatSheet* lobby = w.Open(1);
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "<i>x</i>", "<b>bold</b> &amp;", 0)));
  EXPECT_EQ(LogOf(lobby)[0].text, "12:34:56 <i>x</i> > <b>bold</b> &amp;");
}

TEST(ChatTabsRoutingTest, CallSoundPlaysOnlyWithTheBellOn) {
  World w;
  TChatSheet* lobby = w.Open(1);
  const QString five = QDir::toNativeSeparators(QStringLiteral("/opt/turfwing/sound/5.wav"));
  for (const char* text : {"5", "05"}) EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "taro", text, 0)));
  EXPECT_EQ(w.platform.sounds, (QStringList{five, five}));
  for (const char* text : {"0", "-1", "100", "ab"})
    EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "taro", text, 0)));
  EXPECT_EQ(w.platform.sounds.size(), 2);
  EXPECT_EQ(LogOf(lobby).size(), 6u) << "every talk is logged, sound or not";
  lobby->SetRoomCheckSound(false);
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "taro", "7", 0)));
  EXPECT_EQ(w.platform.sounds.size(), 2);
  lobby->SetRoomCheckSound(true);
  EXPECT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "taro", "99", 0)));
  EXPECT_EQ(w.platform.sounds.last(), QDir::toNativeSeparators(QStringLiteral("/opt/turfwing/sound/99.wav")));
}

TEST(ChatTabsRoutingTest, TheSessionDeliversRoomAndTalkMessagesToTheTabs) {
  World w;
  ASSERT_TRUE(w.host.session.deliver<GmAEnterRoom>(Entered(1)));
  ASSERT_NE(w.tabs->ChatTabOf(1), nullptr);
  ASSERT_TRUE(w.host.session.deliver<GmTalk>(Talk(1, 9, "taro", "hello", 0)));
  EXPECT_EQ(LogOf(w.tabs->ChatTabOf(1)).size(), 1u);
  ASSERT_TRUE(w.host.session.deliver<GmRoomList>(OneRoomList(1, "renamed", false)));
  EXPECT_EQ(w.tabs->PageCount(), 1) << "not a message the tabs handle";
  EXPECT_EQ(LogOf(w.tabs->ChatTabOf(1)).size(), 1u);
}
