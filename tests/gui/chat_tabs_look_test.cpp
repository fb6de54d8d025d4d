// The tabs and the room list as the user sees them: captions and cells are
// drawn in full, Japanese included. Each test also saves a picture under the
// temporary folder for a look by eye.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "chat/chat_tabs.h"
#include "chat/form_room_list.h"
#include "chat_tabs_host_test.h"
#include "recording_platform.h"

using namespace chattest;

namespace {
GmRoomList::Info Rooms() {
  return RoomRows({{1, Sjis("待合室").c_str(), 0, 0},
                   {2, "Q&A", 0, 0},
                   {3, Sjis("東京フットボール部").c_str(), 1, 55},
                   {4, Sjis("初心者歓迎").c_str(), 1, 0}});
}

void Save(QWidget* w, const char* file) { w->grab().save(QDir::temp().filePath(QString::fromUtf8(file))); }
}  // namespace

TEST(ChatTabsLookTest, TabCaptionsAreDrawnInFull) {
  RecordingPlatform platform;
  RecordingChatHost host;
  RoomListModel rooms;
  rooms.ApplyRoomList(Rooms());
  auto* pages = new QTabWidget(&host.window);
  ChatTabs tabs(host, host.session, rooms, pages);
  host.window.resize(520, 300);
  pages->resize(520, 300);
  EXPECT_TRUE(host.session.deliver<GmAEnterRoom>(Entered(1)));
  EXPECT_TRUE(host.session.deliver<GmAEnterRoom>(Entered(3)));
  EXPECT_TRUE(host.session.deliver<GmAEnterRoom>(Entered(2)));
  EXPECT_TRUE(host.session.deliver<GmUserEnter>(Enter(2, {{5, 1, Sjis("山田太郎").c_str(), 1}, {6, 2, "hanako", 0}})));
  EXPECT_TRUE(host.session.deliver<GmTalk>(
      Talk(1, 5, Sjis("山田").c_str(), Sjis("こんにちは http://example.com/").c_str(), 0)));
  EXPECT_TRUE(host.session.deliver<GmTalk>(Talk(2, 5, "", Sjis("ようこそ").c_str(), 0)));
  host.window.show();
  QCoreApplication::processEvents();
  Save(&host.window, "turfwing_chat_tabs.png");

  QTabBar* bar = pages->tabBar();
  for (int i = 0; i < bar->count(); ++i) {
    const QString shown = bar->tabText(i).replace(QStringLiteral("&&"), QStringLiteral("&"));
    const int need = bar->fontMetrics().horizontalAdvance(shown) + bar->iconSize().width();
    EXPECT_GE(bar->tabRect(i).width(), need) << shown.toStdString();
  }
  EXPECT_EQ(tabs.Page(0)->ImageIndex(), TChatSheet::ImageNewTalk);
  EXPECT_FALSE(bar->tabIcon(0).isNull());
}

TEST(ChatTabsLookTest, RoomListCellsFitTheirColumns) {
  RecordingPlatform platform;
  RecordingChatHost host;
  RoomListModel rows;
  TFormRoomList form(host, host.session, rows);
  EXPECT_TRUE(host.session.deliver<GmRoomList>(Rooms()));
  EXPECT_TRUE(host.session.deliver<GmRoomUsers>(RoomCounts({{1, 12}, {2, 3}, {3, 120}, {4, 0}})));
  EXPECT_TRUE(host.session.deliver<GmRoomUsers>(RoomCounts({})));
  form.show();
  QCoreApplication::processEvents();
  form.RoomList2()->topLevelItem(1)->setSelected(true);
  QCoreApplication::processEvents();
  Save(&form, "turfwing_room_list.png");

  QTreeWidget* list = form.RoomList2();
  const QFontMetrics fm = list->fontMetrics();
  for (int row = 0; row < list->topLevelItemCount(); ++row) {
    for (int c = 1; c < 4; ++c) {
      const QString text = list->topLevelItem(row)->text(c);
      EXPECT_LE(fm.horizontalAdvance(text), list->columnWidth(c)) << row << "," << c << " " << text.toStdString();
    }
  }
  for (QPushButton* b : {form.ButtonEnter(), form.ButtonClose()}) {
    EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))));
  }
  EXPECT_LE(list->header()->length(), list->viewport()->width()) << "no horizontal scrolling in the default size";
}
