// The captions as the X server holds them (_NET_WM_NAME), which is what a
// taskbar and a title bar show: exactly the program's texts, with nothing
// added by the toolkit; and beside each caption the program's icon.
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/frame_chat_room.h"
#include "formation/form_board_name.h"
#include "formation/form_formation.h"
#include "lobby/game_list_panel.h"
#include "lobby/stadium_list.h"
#include "main_window_parts.h"
#include "ui_input.h"
#include "x11_fixture.h"

namespace {

class NativeTitleTest : public X11ClientTest {
 protected:
  // The picture a taskbar and a title bar show for the window.
  bool HasIcon(const QWidget* w) {
    return !x.Property(static_cast<xcb_window_t>(w->window()->winId()), "_NET_WM_ICON").empty();
  }
};

TEST_F(NativeTitleTest, MainWindowShowsTheVersionAndThenTheHeadCount) {
  ASSERT_TRUE(ShowForm());
  EXPECT_TRUE(Shows(&form, "Turfwing ver2.18.55"));
  ASSERT_TRUE(LogIn());
  server.send<GmUserCount>({5});
  EXPECT_TRUE(Shows(&form, "Turfwing ver2.18.55 - 5人"));
  server.send<GmUserCount>({0});
  EXPECT_TRUE(Shows(&form, "Turfwing ver2.18.55"));
  // The taskbar groups windows by their class: the program's name.
  const std::string wmClass = x.Property(static_cast<xcb_window_t>(form.winId()), "WM_CLASS");
  const size_t instanceEnd = wmClass.find('\0');
  ASSERT_NE(instanceEnd, std::string::npos);
  EXPECT_EQ(wmClass.substr(instanceEnd + 1), std::string("Turfwing", 9));
  EXPECT_TRUE(HasIcon(&form));
}

TEST_F(NativeTitleTest, DialogsShowTheirOwnCaptionsAlone) {
  const struct {
    const char* objectName;
    const char* caption;
  } rows[] = {
      {"FormLogin", "接続"},
      {"FormRoomList", "部屋一覧"},
      {"FormCreateRoom", "部屋作成"},
      {"FormPassword", "部屋パスワード入力"},
      {"FormGameOption", "設定"},
      {"FormPing", "PING"},
      {"FormUpdate", "バージョンアップ告知"},
  };
  ASSERT_TRUE(ShowForm());
  form.UpdateNotice();  // built when first needed
  for (const auto& row : rows) {
    SCOPED_TRACE(row.objectName);
    auto* dialog = form.findChild<QDialog*>(QString::fromLatin1(row.objectName));
    ASSERT_NE(dialog, nullptr);
    dialog->show();
    EXPECT_TRUE(Shows(dialog, row.caption));
    EXPECT_TRUE(HasIcon(dialog));
    dialog->hide();
  }
  TFormBoardName names(&form);
  names.show();
  EXPECT_TRUE(Shows(&names, "選手名設定"));
  EXPECT_TRUE(HasIcon(&names));
}

TEST_F(NativeTitleTest, FormationWindowShowsTheRoomNameAsItIs) {
  ASSERT_TRUE(ShowForm());
  ASSERT_TRUE(LogIn());
  GmRoomList::Info rooms;
  rooms.count = 1;
  rooms.entries[0].room = 3;
  rooms.entries[0].kind = 2;
  CopyText(rooms.entries[0].name, "A[*]B");  // Qt's own placeholder, literally
  server.send<GmRoomList>(rooms);
  GmAEnterRoom::Info entered;
  entered.room = 3;
  server.send<GmAEnterRoom>(entered);
  ASSERT_TRUE(WaitUntil([&] { return Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(3) != nullptr; }));
  TFrameChatRoom* frame = Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(3)->Frame();
  frame->ButtonFormation()->click();
  ASSERT_NE(frame->FormationWindow(), nullptr);
  EXPECT_TRUE(Shows(frame->FormationWindow(), "A[*]B - フォーメーション盤"));
  EXPECT_TRUE(HasIcon(frame->FormationWindow()));
}

TEST_F(NativeTitleTest, LoginDialogOpenedByTheFirstActivation) {
  form.setAutoConnectPending(true);
  std::string title;
  WhenModal([&](QWidget* dialog) {
    WaitUntil([&] { return !x.Title(dialog).empty(); }, 3000);
    title = x.Title(dialog);
    qobject_cast<QDialog*>(dialog)->reject();
  });
  ASSERT_TRUE(ShowForm());
  ASSERT_TRUE(WaitUntil([&] { return !title.empty(); }));
  EXPECT_EQ(title, "接続");
}

TEST_F(NativeTitleTest, RealBoxesShowTheirCaptionsAlone) {
  ASSERT_TRUE(ShowForm());
  std::string error;
  bool boxHasIcon = false;
  WhenModal([&](QWidget* box) {
    WaitUntil([&] { return !x.Title(box).empty(); }, 3000);
    error = x.Title(box);
    boxHasIcon = HasIcon(box);
    qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
  });
  Platform::real().errorBox(&form, QStringLiteral("テスト"));
  EXPECT_EQ(error, "エラー");
  EXPECT_TRUE(boxHasIcon);

  // The match question, asked by the stadium list as a real box.
  ASSERT_TRUE(LogIn());
  GmStadiumAdd::Info add;
  add.count = 1;
  add.entries[0].id = 10;
  CopyText(add.entries[0].name, "Riverside");
  add.entries[0].playable = 1;
  server.send<GmStadiumAdd>(add);
  ASSERT_TRUE(WaitUntil([&] { return !Child<TGameListPanel>(form, "PanelGameList")->stadiums().empty(); }));
  platform.realBoxes = true;
  std::string question;
  platform.duringBox = [&] {
    QWidget* box = QApplication::activeModalWidget();
    WaitUntil([&] { return !x.Title(box).empty(); }, 3000);
    question = x.Title(box);
  };
  GmWaiting::Info ready;
  ready.stadiumId = 10;
  ready.event = 5;  // the members are complete
  server.send<GmWaiting>(ready);
  ASSERT_TRUE(WaitUntil([&] { return !question.empty() && QApplication::activeModalWidget() == nullptr; }));
  EXPECT_EQ(question, "競技場入場の確認");
  EXPECT_TRUE(platform.starts.empty()) << "answered No";
}

}  // namespace
