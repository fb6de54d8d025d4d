#pragma once
// The whole client against the development lobby server in the same process:
// the server runs in demo mode on a free loopback port with a clock the test
// moves by hand; every client is a real main window with its own settings
// folder.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/form_room_list.h"
#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "lobby/form_main.h"
#include "main_window_harness.h"
#include "main_window_parts.h"
#include "net/net_def.h"
#include "platform/cp932.h"
#include "platform/qt_text.h"
#include "server/lobby_server.h"
#include "server/server_clock.h"
#include "wait.h"

class ClientE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerOptions options;
    options.demo = true;
    options.lifeSeconds = 0;
    server = std::make_unique<LobbyServer>(std::move(options), &clock, [](const std::string&) {});
    ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0));
  }
  void TearDown() override {
    // Windows first: they still talk to the server while they go.
    windows.clear();
    server.reset();
  }

  // A folder of its own for one client's settings files.
  QString Folder(const char* name) {
    const QString path = dir.path() + QLatin1Char('/') + QLatin1String(name);
    QDir().mkpath(path);
    return path;
  }

  // A main window on the settings files of folder, pointed at the server.
  TFormMain* Open(const QString& folder, int userId) {
    auto form = std::make_unique<TFormMain>(AccessPathIn(folder), SettingsPathIn(folder));
    form->setDataFolder(folder);
    PointAtServer(*form, server->port(), userId, "pw" + std::to_string(userId));
    windows.push_back(std::move(form));
    return windows.back().get();
  }
  void Close(TFormMain* form) {
    for (auto it = windows.begin(); it != windows.end(); ++it) {
      if (it->get() == form) {
        windows.erase(it);
        return;
      }
    }
  }

  // Connects and waits for the login and for the tabs of the remembered rooms
  // (the lobby on a first start).
  static ::testing::AssertionResult LogIn(TFormMain* form, int expectedTabs = 1) {
    form->Connect();
    if (!WaitUntil([&] { return !form->session().playerName().empty(); }))
      return ::testing::AssertionFailure() << "no login answer";
    if (!WaitUntil([&] { return Child<QTabWidget>(*form, "PageControl1")->count() >= expectedTabs; }))
      return ::testing::AssertionFailure() << "tabs: " << Child<QTabWidget>(*form, "PageControl1")->count();
    return ::testing::AssertionSuccess();
  }

  // Opens the room list from the menu and, inside its modal loop, picks the
  // room by name and presses the enter button. False when the row never came
  // or the window stayed open.
  static bool EnterFromRoomList(TFormMain* form, const char* utf8Name) {
    bool picked = false;
    bool stillOpen = false;
    TFormRoomList* list = Child<TFormRoomList>(*form, "FormRoomList");
    QTimer::singleShot(0, list, [&] {
      QTreeWidgetItem* row = nullptr;
      WaitUntil([&] {
        const auto found = list->RoomList2()->findItems(QString::fromUtf8(utf8Name), Qt::MatchExactly, 0);
        row = found.isEmpty() ? nullptr : found.first();
        return row != nullptr;
      });
      if (row != nullptr) {
        list->RoomList2()->setCurrentItem(row);
        row->setSelected(true);
        picked = list->ButtonEnter()->isEnabled();
        QTest::mouseClick(list->ButtonEnter(), Qt::LeftButton);
      }
      stillOpen = list->isVisible();
      // Never leave the test stuck in the modal loop.
      if (list->isVisible()) list->reject();
    });
    Child<QAction>(*form, "MenuRoomList")->trigger();
    return picked && !stillOpen;
  }

  static TChatSheet* TabNamed(TFormMain* form, const char* utf8Caption) {
    for (int i = 0; i < Child<QTabWidget>(*form, "PageControl1")->count(); ++i) {
      if (Child<QTabWidget>(*form, "PageControl1")->tabText(i) == QString::fromUtf8(utf8Caption))
        return Child<ChatTabs>(*form, "ChatTabs")->Page(i);
    }
    return nullptr;
  }
  static TChatSheet* PrivateTab(TFormMain* form) {
    return Child<ChatTabs>(*form, "ChatTabs")->ChatTabOf(NetDef::PrivateTalkRoom);
  }
  static QString LogOf(const TChatSheet* tab) { return tab->Frame()->EditLog()->PlainText(); }
  static QStringList MembersOf(const TChatSheet* tab) {
    QStringList names;
    for (int i = 0; i < tab->Frame()->UserRowCount(); ++i) names << ToQString(tab->Frame()->UserRowCaption(i));
    return names;
  }
  static void Activate(TFormMain* form, TChatSheet* tab) {
    Child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(tab);
  }
  // Types the line into the chat input and presses the send button.
  static void Say(TFormMain* form, const QString& line) {
    Child<QComboBox>(*form, "EditInputChat")->setEditText(line);
    QTest::mouseClick(Child<QPushButton>(*form, "ButtonSendChat"), Qt::LeftButton);
  }

  QTemporaryDir dir;
  ManualClock clock;
  std::unique_ptr<LobbyServer> server;
  std::vector<std::unique_ptr<TFormMain>> windows;
};
