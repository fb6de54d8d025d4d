#pragma once
// The client against a hostile server: a scripted loopback server that sends
// whatever bytes a test chooses, in whatever pieces, to a real main window on
// the offscreen platform. The fixture keeps a golden login-and-join session,
// can deliver it in chunks with each chunk read by the window before the next,
// and describes everything a user sees of the window as one text, so runs can
// be compared.

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <string>

#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "lobby/form_main.h"
#include "lobby/game_list_panel.h"
#include "lobby/stadium_list.h"
#include "main_window_harness.h"
#include "main_window_parts.h"
#include "messages.h"
#include "platform/qt_text.h"
#include "recording_platform.h"
#include "scripted_server.h"
#include "wait.h"

class HostileServerTest : public ::testing::Test {
 public:
  static constexpr int16_t kClientId = 258;
  static constexpr int16_t kLobby = 0;
  static constexpr int16_t kSecondRoom = 7;

 protected:
  void SetUp() override {
    form.settings().ChatTime = false;
    QObject::connect(Child<QTcpSocket>(form, "Socket1"), &QTcpSocket::readyRead, [this] { ++reads_; });
    // Whatever a hostile session opens as a real dialog (the update notice, say)
    // is closed again, so no test waits on a modal loop. Real message boxes are
    // left to the platform, which answers them after the test's hook.
    modalCloser_.setInterval(0);
    QObject::connect(&modalCloser_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr || !closeDialogs) return;
      if (platform.realBoxes && qobject_cast<QMessageBox*>(dialog) != nullptr) return;
      dialog->reject();
    });
    modalCloser_.start();
  }

  // The frames of a login and the joining of two rooms, as a server sends them:
  // handshake, login, user count, room list, both rooms with members and talk,
  // stadiums with teams and state, and a few changes after.
  static QByteArray LoginSession() {
    QByteArray s;
    GmAReady::Info ready;
    ready.clientId = kClientId;
    s += FrameOf<GmAReady>(ready);
    GmAConnect::Info login;
    CopyText(login.PlayerName, Sjis("選手壱").c_str());
    s += FrameOf<GmAConnect>(login);
    s += FrameOf<GmUserCount>({42});

    GmRoomList::Info rooms;
    rooms.count = 2;
    rooms.entries[0].room = kLobby;
    CopyText(rooms.entries[0].name, Sjis("待合室").c_str());
    rooms.entries[1].room = kSecondRoom;
    rooms.entries[1].kind = 2;
    CopyText(rooms.entries[1].name, Sjis("日本語の部屋").c_str());
    s += FrameOf<GmRoomList>(rooms);

    for (int16_t room : {kLobby, kSecondRoom}) {
      GmAEnterRoom::Info entered;
      entered.room = room;
      s += FrameOf<GmAEnterRoom>(entered);
      GmUserEnter::Info members;
      members.room = room;
      const char* names[] = {"選手壱", "ストライカー", "keeper", "監督"};
      for (int i = 0; i < 4; ++i) {
        auto& e = members.entries[members.count++];
        e.clientId = static_cast<int16_t>(i == 0 ? kClientId : 300 + i + room);
        e.userNumber = static_cast<uint32_t>(1000 + i);
        CopyText(e.name, Sjis(names[i]).c_str());
        e.level = static_cast<uint8_t>(i % 2);
      }
      s += FrameOf<GmUserEnter>(members);
    }
    const char* lines[] = {"こんにちは", "試合しませんか http://example.com/match?id=1", "了解です"};
    for (int i = 0; i < 3; ++i) {
      GmTalk::Info talk;
      talk.room = i == 1 ? kSecondRoom : kLobby;
      talk.sender = static_cast<int16_t>(301 + i);
      CopyText(talk.name, Sjis("ストライカー").c_str());
      CopyText(talk.text, Sjis(lines[i]).c_str());
      s += FrameOf<GmTalk>(talk);
    }

    GmStadiumAdd::Info add;
    const char* stadiums[] = {"国立競技場", "Riverside", "第三グラウンド"};
    for (int i = 0; i < 3; ++i) {
      auto& e = add.entries[add.count++];
      e.id = static_cast<uint32_t>(10 + i);
      CopyText(e.name, Sjis(stadiums[i]).c_str());
      e.address[0] = 10;
      e.address[3] = static_cast<uint8_t>(i + 1);
      e.port = static_cast<uint16_t>(5000 + i);
      e.playable = 1;
    }
    s += FrameOf<GmStadiumAdd>(add);
    GmStadiumTeams::Info teams;
    teams.count = 1;
    teams.entries[0].id = 10;
    teams.entries[0].homeTeamId = 5;
    CopyText(teams.entries[0].homeTeamName, Sjis("東京FC").c_str());
    teams.entries[0].awayTeamId = 6;
    CopyText(teams.entries[0].awayTeamName, Sjis("大阪SC").c_str());
    s += FrameOf<GmStadiumTeams>(teams);
    GmStadiumState::Info state;
    state.count = 2;
    state.entries[0] = {10, 3, 4, 1, 2, 1, 0, 2, 1234};
    state.entries[1] = {11, 1, 0, 0, 1, 0, 0, 1, 0};
    s += FrameOf<GmStadiumState>(state);

    GmUserLeave::Info left;
    left.count = 1;
    left.entries[0] = {kSecondRoom, static_cast<int16_t>(300 + 2 + kSecondRoom)};
    s += FrameOf<GmUserLeave>(left);
    GmUserChange::Info change;
    change.room = kLobby;
    change.clientId = 303;
    change.level = 1;
    s += FrameOf<GmUserChange>(change);
    GmStadiumDelete::Info gone;
    gone.count = 1;
    gone.ids[0] = 12;
    s += FrameOf<GmStadiumDelete>(gone);
    return s;
  }

  // Connects and waits until the server holds the client's first frame.
  ::testing::AssertionResult ConnectClient() {
    server.clearFrames();
    return harness.ConnectClient();
  }
  // Closes from the client side and waits until the server saw it.
  void Disconnect() { harness.Disconnect(); }

  // Sends one chunk and waits until the window has read it (or the connection
  // ended). With nothing else in flight, each chunk is exactly one read.
  bool Deliver(const QByteArray& chunk) {
    const int before = reads_;
    server.sendRaw(chunk);
    return WaitUntil([&] {
      return !form.session().isOpen() || (reads_ > before && Child<QTcpSocket>(form, "Socket1")->bytesAvailable() == 0);
    });
  }
  // Delivers bytes in pieces whose sizes nextSize chooses; false when a piece
  // was never read.
  bool DeliverInPieces(const QByteArray& bytes, const std::function<int()>& nextSize) {
    for (qsizetype at = 0; at < bytes.size();) {
      const qsizetype n = std::min<qsizetype>(std::max(1, nextSize()), bytes.size() - at);
      if (!Deliver(bytes.mid(at, n))) return false;
      at += n;
    }
    return true;
  }
  int reads() const { return reads_; }

  // Everything a user sees of the session: title, player, each tab with its
  // members and log, each stadium row, and the boxes shown.
  QString View(bool withBoxes = true) const {
    QString v = form.windowTitle() + QLatin1Char('\n');
    v += QStringLiteral("player ") + ToQString(form.session().playerName()) + QLatin1Char('\n');
    for (int i = 0; i < Child<QTabWidget>(form, "PageControl1")->count(); ++i) {
      TChatSheet* sheet = Child<ChatTabs>(form, "ChatTabs")->Page(i);
      v += QStringLiteral("tab ") + Child<QTabWidget>(form, "PageControl1")->tabText(i) + QLatin1Char(' ') +
           QString::number(sheet->GetRoomNumber()) + QLatin1Char('\n');
      TFrameChatRoom* frame = sheet->Frame();
      for (int r = 0; r < frame->UserRowCount(); ++r) {
        v += QStringLiteral(" member ") + ToQString(frame->UserRowCaption(r)) + QLatin1Char(' ') +
             QString::number(frame->UserRowImage(r)) + QLatin1Char('\n');
      }
      v += QStringLiteral(" log ") + frame->EditLog()->PlainText() + QLatin1Char('\n');
    }
    const QAbstractItemModel* stadiums = Child<TGameListPanel>(form, "PanelGameList")->GameList2()->model();
    for (int r = 0; r < stadiums->rowCount(); ++r) {
      v += QStringLiteral("stadium");
      for (int c = 0; c < stadiums->columnCount(); ++c)
        v += QLatin1Char('|') + stadiums->data(stadiums->index(r, c)).toString();
      v += QLatin1Char('\n');
    }
    if (withBoxes) {
      for (const RecordingPlatform::Box& box : platform.boxes)
        v += QStringLiteral("box ") + box.text + QLatin1Char('\n');
    }
    return v;
  }

  // The view after the whole session delivered in one piece on a fresh
  // connection: the reference every other delivery must reach. Boxes shown
  // before it are not part of it.
  QString GoldenView() {
    if (golden_.isEmpty()) {
      EXPECT_TRUE(ConnectClient());
      EXPECT_TRUE(Deliver(LoginSession()));
      EXPECT_TRUE(WaitUntil([&] { return Child<TGameListPanel>(form, "PanelGameList")->stadiums().size() == 2; }));
      golden_ = View(false);
      Disconnect();
    }
    return golden_;
  }

  // After whatever went before: a clean session on a new connection brings the
  // window to exactly the golden view, with no box left over from it.
  ::testing::AssertionResult UsableAfterwards() {
    const QString golden = GoldenView();
    if (form.session().isOpen()) Disconnect();
    platform.boxes.clear();
    if (!Child<QAction>(form, "OpenMenu")->isEnabled())
      return ::testing::AssertionFailure() << "connect is disabled while idle";
    if (auto r = ConnectClient(); !r) return r;
    if (!Deliver(LoginSession())) return ::testing::AssertionFailure() << "the session was never read";
    WaitUntil([&] { return View() == golden; }, 2000);
    const QString view = View();  // with boxes: a clean session shows none
    Disconnect();
    if (view != golden)
      return ::testing::AssertionFailure() << "view differs:\n"
                                           << view.toStdString() << "\nexpected:\n"
                                           << golden.toStdString();
    return ::testing::AssertionSuccess();
  }

  RecordingPlatform platform;
  bool closeDialogs = true;  // the closer above
  MainWindowHarness harness;
  ScriptedServer& server = harness.server;
  TFormMain& form = harness.form;

 private:
  int reads_ = 0;
  QTimer modalCloser_;
  QString golden_;
};
