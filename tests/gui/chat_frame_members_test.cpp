// The chat room frame around its log: member rows and their commands, the member
// menus, the bell, the layout and the formation window it owns.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "formation/form_formation.h"
#include "messages.h"
#include "net/net_messages.h"
#include "platform/cp932.h"
#include "recording_platform.h"
#include "session_double.h"
#include "wait.h"

namespace {

struct Command {
  int nCommand;
  int nIndex;
  bool operator==(const Command&) const = default;
};

class ChatFrameMembersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = std::make_unique<TFrameChatRoom>();
    frame->SetRoom(12, Sjis("作戦室"));
    frame->resize(600, 360);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    QObject::connect(frame.get(), &TFrameChatRoom::UserCommand, [this](int nCommand, int nIndex) {
      commands.push_back({nCommand, nIndex});
    });
    QObject::connect(frame.get(), &TFrameChatRoom::MenuPopping,
                     [this](QMenu* m, const QPoint&) { popped.push_back(m); });
  }
  void TearDown() override {
    for (QMenu* m : {frame->PopupMenuUser(), frame->PopupMenuUser2()}) m->hide();
  }

  QTreeWidget* List() { return frame->ListUser(); }
  void AddMembers() {
    frame->AddUserRow("taro", TFrameChatRoom::ImageUnlit);
    frame->AddUserRow(Sjis("花子"), TFrameChatRoom::ImageLit);
    frame->AddUserRow("jiro", TFrameChatRoom::ImageUnlit);
  }
  QPoint RowPoint(int row) { return List()->visualItemRect(List()->topLevelItem(row)).center(); }
  void ClickRow(int row) { QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(row)); }
  void ContextMenuAt(QPoint viewportPos) {
    QContextMenuEvent e(QContextMenuEvent::Mouse, viewportPos, List()->viewport()->mapToGlobal(viewportPos));
    QApplication::sendEvent(List()->viewport(), &e);
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> out;
    for (int i = 0; i < frame->UserRowCount(); ++i) out.push_back(frame->UserRowCaption(i));
    return out;
  }
  // The four commands of the member list's menu, in menu order.
  std::vector<QAction*> MenuCommands() {
    std::vector<QAction*> out;
    for (QAction* a : frame->PopupMenuUser()->actions()) {
      if (!a->isSeparator()) out.push_back(a);
    }
    return out;
  }

  RecordingPlatform platform;
  std::unique_ptr<TFrameChatRoom> frame;
  std::vector<Command> commands;
  std::vector<QMenu*> popped;
};

}  // namespace

TEST_F(ChatFrameMembersTest, RowsAreAppendedChangedAndDeletedInPlace) {
  AddMembers();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"taro", Sjis("花子"), "jiro"}));
  EXPECT_EQ(List()->topLevelItem(1)->text(0), QStringLiteral("花子"));
  frame->SetUserRowImage(2, TFrameChatRoom::ImageLit);
  frame->SetUserRowImage(1, TFrameChatRoom::ImageUnlit);
  EXPECT_EQ(frame->UserRowImage(0), 1);
  EXPECT_EQ(frame->UserRowImage(1), 1);
  EXPECT_EQ(frame->UserRowImage(2), 0);
  frame->DeleteUserRow(0);
  EXPECT_EQ(Captions(), (std::vector<std::string>{Sjis("花子"), "jiro"}));
  EXPECT_EQ(frame->UserRowImage(1), 0) << "the image moved up with its row";
  frame->AddUserRow("saburo", TFrameChatRoom::ImageLit);
  EXPECT_EQ(Captions(), (std::vector<std::string>{Sjis("花子"), "jiro", "saburo"}));
  // Indexes outside the list change nothing.
  frame->DeleteUserRow(3);
  frame->DeleteUserRow(-1);
  frame->SetUserRowImage(3, 0);
  frame->SetUserRowImage(-1, 0);
  EXPECT_EQ(frame->UserRowCount(), 3);
  EXPECT_EQ(frame->UserRowImage(3), -1);
}

TEST_F(ChatFrameMembersTest, MemberIconsAreTheLitLampAndTheUnlitRing) {
  AddMembers();
  const QImage unlit = List()->topLevelItem(0)->icon(0).pixmap(16, 16).toImage();
  const QImage lit = List()->topLevelItem(1)->icon(0).pixmap(16, 16).toImage();
  EXPECT_EQ(lit.size(), QSize(16, 16));
  EXPECT_NE(lit, unlit);
  const QColor centre = lit.pixelColor(8, 8);
  EXPECT_GT(centre.green(), centre.red() + 60) << "lit is green";
  const QColor ring = unlit.pixelColor(3, 8);
  EXPECT_LT(std::abs(ring.red() - ring.blue()), 10) << "unlit is grey";
}

TEST_F(ChatFrameMembersTest, TheMemberMenuFollowsTheSelection) {
  AddMembers();
  ContextMenuAt(QPoint(5, List()->viewport()->height() - 3));
  ASSERT_EQ(popped, std::vector<QMenu*>{frame->PopupMenuUser()});
  ASSERT_TRUE(WaitUntil([&] { return frame->PopupMenuUser()->isVisible(); }));
  for (QAction* a : MenuCommands()) EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
  frame->PopupMenuUser()->hide();

  ClickRow(1);
  ContextMenuAt(RowPoint(1));
  ASSERT_EQ(popped.size(), 2u);
  ASSERT_EQ(frame->SelectedUserRow(), 1);
  for (QAction* a : MenuCommands()) EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();

  // With nothing selected the commands do nothing even when triggered.
  frame->PopupMenuUser()->hide();
  List()->clearSelection();
  for (QAction* a : MenuCommands()) a->trigger();
  EXPECT_TRUE(commands.empty());
}

TEST_F(ChatFrameMembersTest, MenuCommandsCarryTheirNumberAndTheSelectedRow) {
  AddMembers();
  ClickRow(2);
  const std::vector<QAction*> items = MenuCommands();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0]->text(), QStringLiteral("個別チャット(&T)"));
  EXPECT_EQ(items[3]->text(), QStringLiteral("ユーザページ表示(&U)..."));
  for (QAction* a : items) a->trigger();
  EXPECT_EQ(commands, (std::vector<Command>{{1, 2}, {2, 2}, {3, 2}, {0, 2}}));

  commands.clear();
  ClickRow(0);
  const QList<QAction*> two = frame->PopupMenuUser2()->actions();
  ASSERT_EQ(two.size(), 3);
  EXPECT_TRUE(two[1]->isSeparator());
  two[0]->trigger();
  two[2]->trigger();
  EXPECT_EQ(commands, (std::vector<Command>{{1, 0}, {0, 0}}));
}

TEST_F(ChatFrameMembersTest, DoubleClickAndEnterOpenTheUserPage) {
  AddMembers();
  // A double click is a press and a release followed by a second press that the
  // system reports as a double click.
  ClickRow(1);
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(1));
  EXPECT_EQ(commands, (std::vector<Command>{{0, 1}}));
  commands.clear();
  List()->setFocus();
  ClickRow(2);
  QTest::keyClick(List(), Qt::Key_Space);
  QTest::keyClick(List(), Qt::Key_Return);
  QTest::keyClick(List(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(commands, (std::vector<Command>{{0, 2}, {0, 2}}));
  QTest::keyClick(List(), Qt::Key_Up);
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(commands.back(), (Command{0, 1})) << "the row the keyboard moved to";
}

TEST_F(ChatFrameMembersTest, TheRoomListButtonRaisesItsEvent) {
  int clicks = 0;
  QObject::connect(frame.get(), &TFrameChatRoom::RoomListClick, [&] { ++clicks; });
  QTest::mouseClick(frame->ButtonList(), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(frame->ButtonList()->text(), QStringLiteral("部屋一覧(&Y)"));
}

TEST_F(ChatFrameMembersTest, TheBellIsReleasedWhileTheSoundIsOn) {
  QToolButton* bell = frame->SpeedButton1();
  EXPECT_TRUE(frame->GetCheckSound());
  EXPECT_FALSE(bell->isChecked());
  QTest::mouseClick(bell, Qt::LeftButton);
  EXPECT_FALSE(frame->GetCheckSound());
  EXPECT_TRUE(bell->isChecked());
  QTest::mouseClick(bell, Qt::LeftButton);
  EXPECT_TRUE(frame->GetCheckSound());
  EXPECT_FALSE(bell->isChecked());
  frame->SetCheckSound(false);
  EXPECT_TRUE(bell->isChecked());
  frame->SetCheckSound(false);
  EXPECT_TRUE(bell->isChecked()) << "setting the same value keeps the bell";
  frame->SetCheckSound(true);
  EXPECT_FALSE(bell->isChecked());

  const QIcon icon = bell->icon();
  const QImage up = icon.pixmap(24, QIcon::Normal, QIcon::Off).toImage();
  const QImage down = icon.pixmap(24, QIcon::Normal, QIcon::On).toImage();
  const QImage disabled = icon.pixmap(24, QIcon::Disabled, QIcon::Off).toImage();
  EXPECT_NE(up, down);
  EXPECT_NE(up, disabled);
  EXPECT_NE(down, disabled);
}

TEST_F(ChatFrameMembersTest, LayoutKeepsTheMemberPanelAndColumnUntilTheSplitterMoves) {
  AddMembers();
  QApplication::processEvents();
  QSplitter* splitter = frame->Splitter1();
  EXPECT_EQ(splitter->handleWidth(), 4);
  EXPECT_EQ(splitter->sizes().value(1), 123);
  frame->resize(800, 360);
  QApplication::processEvents();
  EXPECT_EQ(splitter->sizes().value(1), 123) << "a wider window widens the log";
  // The one column fills the viewport beside the vertical bar: no horizontal bar,
  // however many members scroll the list.
  for (int i = 0; i < 20; ++i) frame->AddUserRow("member" + std::to_string(i), TFrameChatRoom::ImageUnlit);
  frame->AddUserRow("a_member_name_far_wider_than_the_panel", TFrameChatRoom::ImageUnlit);
  EXPECT_TRUE(WaitUntil([&] { return List()->verticalScrollBar()->isVisible(); }, 2000));
  EXPECT_EQ(List()->columnWidth(0), List()->viewport()->width());
  EXPECT_FALSE(List()->horizontalScrollBar()->isVisible());
  EXPECT_LE(List()->viewport()->width(), 123);
  EXPECT_TRUE(List()->isHeaderHidden());

  QSplitterHandle* handle = splitter->handle(1);
  const QPoint grip = handle->rect().center();
  QTest::mousePress(handle, Qt::LeftButton, {}, grip);
  QTest::mouseMove(handle, grip - QPoint(40, 0));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(40, 0));
  QApplication::processEvents();
  EXPECT_EQ(splitter->sizes().value(1), 163);
  EXPECT_EQ(List()->columnWidth(0), List()->viewport()->width()) << "the column follows the panel";
  frame->resize(900, 360);
  QApplication::processEvents();
  EXPECT_EQ(splitter->sizes().value(1), 163) << "the user's width holds";
}

TEST_F(ChatFrameMembersTest, TheFormationWindowIsOwnedAndForgottenWhenClosed) {
  SessionDouble session;
  frame->SetSession(&session, nullptr);
  session.deliver<GmFormationInfo>(GmFormationInfo::Info{});  // none open: dropped
  QTest::mouseClick(frame->ButtonFormation(), Qt::LeftButton);
  TFormFormation* window = frame->FormationWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("作戦室 - フォーメーション盤"));
  EXPECT_EQ(window->RoomNumber(), 12);
  EXPECT_FALSE(frame->ButtonFormation()->isEnabled());
  EXPECT_EQ(session.SentTypes(), std::vector<uint8_t>{GmFormationOpen::Type});

  // A refused opening reaches the window from the session and closes it.
  GmFormationAOpen::Info refused;
  refused.room = 12;
  refused.result = 1;
  session.deliver<GmFormationAOpen>(refused);
  EXPECT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(frame->FormationWindow(), nullptr);
  EXPECT_TRUE(frame->ButtonFormation()->isEnabled());
  EXPECT_EQ(session.SentTypes().back(), GmFormationClose::Type);
  session.deliver<GmFormationAOpen>(refused);
  EXPECT_EQ(platform.boxes.size(), 1u) << "nothing reaches a closed window";

  // A new window each time; closed by the user it is forgotten as well.
  QTest::mouseClick(frame->ButtonFormation(), Qt::LeftButton);
  QPointer<TFormFormation> second = frame->FormationWindow();
  ASSERT_FALSE(second.isNull());
  second->close();
  EXPECT_EQ(frame->FormationWindow(), nullptr);
  EXPECT_TRUE(frame->ButtonFormation()->isEnabled());
  EXPECT_TRUE(WaitUntil([&] { return second.isNull(); })) << "a closed window is released";
}

TEST_F(ChatFrameMembersTest, TheFormationWindowGoesWithItsFrame) {
  SessionDouble session;
  frame->SetSession(&session, nullptr);
  QTest::mouseClick(frame->ButtonFormation(), Qt::LeftButton);
  QPointer<TFormFormation> window = frame->FormationWindow();
  ASSERT_FALSE(window.isNull());
  frame.reset();
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(session.SentTypes(), std::vector<uint8_t>{GmFormationOpen::Type}) << "no close is sent for a room left";
  frame = std::make_unique<TFrameChatRoom>();
}

TEST_F(ChatFrameMembersTest, ThePrivateTalkTabOpensNoFormationWindow) {
  SessionDouble session;
  frame->SetSession(&session, nullptr);
  frame->DisableFormationButton();
  QTest::mouseClick(frame->ButtonFormation(), Qt::LeftButton);
  frame->ButtonFormation()->click();
  EXPECT_EQ(frame->FormationWindow(), nullptr);
  EXPECT_FALSE(frame->ButtonFormation()->isEnabled());
  EXPECT_TRUE(session.SentTypes().empty());
}

TEST_F(ChatFrameMembersTest, MnemonicsReachTheMembersAndTheButtons) {
  AddMembers();
  frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
  int roomLists = 0;
  QObject::connect(frame.get(), &TFrameChatRoom::RoomListClick, [&] { ++roomLists; });
  frame->ButtonList()->setFocus();
  QTest::keyClick(frame.get(), Qt::Key_U, Qt::AltModifier);
  EXPECT_TRUE(List()->hasFocus()) << "Alt+U goes to the member list";
  QTest::keyClick(frame.get(), Qt::Key_Y, Qt::AltModifier);
  // A mnemonic presses the button and releases it a moment later.
  EXPECT_TRUE(WaitUntil([&] { return roomLists == 1; })) << "Alt+Y is the room list button";
}
