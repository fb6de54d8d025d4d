// The room list window: rows from the server, the enter flow with and without a
// password, and the list emptied on disconnect while shown.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "chat/form_room_list.h"
#include "chat_tabs_host_test.h"
#include "recording_platform.h"

using namespace chattest;

namespace {

QStringList RowTexts(const QTreeWidget* list, int row) {
  QStringList cells;
  for (int c = 0; c < 4; ++c) cells << list->topLevelItem(row)->text(c);
  return cells;
}

// Runs the window modally; body runs inside the modal loop and must close it.
int RunShown(TFormRoomList& form, const std::function<void()>& body) {
  QTimer::singleShot(0, &form, [&form, body] {
    body();
    if (form.isVisible()) form.reject();
  });
  return form.ShowModalList();
}

void Select(TFormRoomList& form, int row) {
  QTreeWidget* list = form.RoomList2();
  const QRect r = list->visualItemRect(list->topLevelItem(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

struct World {
  RecordingPlatform platform;
  RecordingChatHost host;
  RoomListModel rows;
  TFormRoomList form{host, host.session, rows, &host.window};
};

}  // namespace

TEST(RoomListWindowTest, RowsShowNameMarksAndCountInOrder) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{1, "team", 1, 9}, {2, Sjis("待合室").c_str(), 0, 0}})));
  QTreeWidget* list = w.form.RoomList2();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(RowTexts(list, 0), (QStringList{QStringLiteral("待合室"), QString(), QString(), QStringLiteral("0人")}));
  EXPECT_EQ(RowTexts(list, 1),
            (QStringList{QStringLiteral("team"), QStringLiteral("有り"), QStringLiteral("※"), QStringLiteral("0人")}));
  EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("ﾊﾟｽﾜｰﾄﾞ"));
  EXPECT_EQ(w.form.windowTitle(), QStringLiteral("部屋一覧"));
}

TEST(RoomListWindowTest, CountsAreDrawnOnlyWhenTheRunEnds) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{1, "a", 0, 0}, {2, "b", 0, 0}})));
  EXPECT_TRUE(w.host.session.deliver<GmRoomUsers>(RoomCounts({{2, 12}, {1, 3}})));
  QTreeWidget* list = w.form.RoomList2();
  EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("a"));
  EXPECT_EQ(list->topLevelItem(0)->text(3), QStringLiteral("0人"));
  EXPECT_EQ(list->topLevelItem(1)->text(3), QStringLiteral("0人"));
  EXPECT_TRUE(w.host.session.deliver<GmRoomUsers>(RoomCounts({})));
  EXPECT_EQ(RowTexts(list, 0), (QStringList{QStringLiteral("b"), QString(), QString(), QStringLiteral("12人")}));
  EXPECT_EQ(list->topLevelItem(1)->text(3), QStringLiteral("3人"));
}

TEST(RoomListWindowTest, RoomNamesAreShownAsPlainText) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{1, "<b>x</b>&", 0, 0}})));
  EXPECT_EQ(w.form.RoomList2()->topLevelItem(0)->text(0), QStringLiteral("<b>x</b>&"));
  EXPECT_EQ(w.form.RoomNameOf(1), "<b>x</b>&");
}

TEST(RoomListWindowTest, EnterIsDisabledAtEachShowingUntilARowIsSelected) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{1, "a", 0, 0}})));
  w.form.RoomList2()->topLevelItem(0)->setSelected(true);
  ASSERT_TRUE(w.form.ButtonEnter()->isEnabled());
  bool enabledAtShow = true, selectedAtShow = true, enabledAfterClick = false;
  RunShown(w.form, [&] {
    enabledAtShow = w.form.ButtonEnter()->isEnabled();
    selectedAtShow = !w.form.RoomList2()->selectedItems().isEmpty();
    Select(w.form, 0);
    enabledAfterClick = w.form.ButtonEnter()->isEnabled();
  });
  EXPECT_FALSE(enabledAtShow);
  EXPECT_FALSE(selectedAtShow);
  EXPECT_TRUE(enabledAfterClick);
  RunShown(w.form, [&] { enabledAtShow = w.form.ButtonEnter()->isEnabled(); });
  EXPECT_FALSE(enabledAtShow) << "disabled again at the next showing";
}

TEST(RoomListWindowTest, RoomWithoutPasswordIsEnteredAtOnce) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{4, "a", 0, 0}, {5, "team", 0, 321}})));
  const int result = RunShown(w.form, [&] {
    Select(w.form, 1);
    QTest::mouseClick(w.form.ButtonEnter(), Qt::LeftButton);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(w.host.passwordCalls, 0);
  const auto sent = w.host.session.Sent<GmEnterRoom>();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].room, 5);
  EXPECT_STREQ(sent[0].name, "");
  EXPECT_STREQ(sent[0].password, "");
  EXPECT_EQ(sent[0].teamId, 321u);
}

TEST(RoomListWindowTest, DoubleClickEntersTheRoom) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{4, "a", 0, 0}})));
  const int result = RunShown(w.form, [&] {
    QTreeWidget* list = w.form.RoomList2();
    const QPoint at = list->visualItemRect(list->topLevelItem(0)).center();
    // A real double click: press and release, then the second press as a double click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(w.host.session.Sent<GmEnterRoom>().size(), 1u);
}

TEST(RoomListWindowTest, EnterWithNoSelectionDoesNothing) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{4, "a", 0, 0}})));
  bool stillOpen = false;
  RunShown(w.form, [&] {
    QTreeWidget* list = w.form.RoomList2();
    const QPoint below(5, list->viewport()->height() - 3);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    QTest::keyClick(list, Qt::Key_Return);
    stillOpen = w.form.isVisible();
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(w.host.session.sent.empty());
}

TEST(RoomListWindowTest, PasswordRoomAsksAndSendsTheConfirmedPassword) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{6, "locked", 1, 0}})));
  w.host.passwordAnswers = {std::optional<std::string>("abc123")};
  const int result = RunShown(w.form, [&] {
    Select(w.form, 0);
    QTest::keyClick(w.form.RoomList2(), Qt::Key_Return);  // the default button
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(w.host.passwordCalls, 1);
  const auto sent = w.host.session.Sent<GmEnterRoom>();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].room, 6);
  EXPECT_STREQ(sent[0].password, "abc123");
}

TEST(RoomListWindowTest, CancelledPasswordKeepsTheListOpenAndSendsNothing) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{6, "locked", 1, 0}})));
  w.host.passwordAnswers = {std::nullopt};
  bool stillOpen = false;
  const int result = RunShown(w.form, [&] {
    Select(w.form, 0);
    QTest::mouseClick(w.form.ButtonEnter(), Qt::LeftButton);
    stillOpen = w.form.isVisible();
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, QDialog::Rejected) << "closed by the test, not by the cancelled dialog";
  EXPECT_EQ(w.host.passwordCalls, 1);
  EXPECT_TRUE(w.host.session.sent.empty());
}

TEST(RoomListWindowTest, RowsChangingWhileThePasswordDialogIsOpenDoNotMixRooms) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{6, "locked", 1, 8}, {7, "other", 0, 0}})));
  w.host.passwordAnswers = {std::optional<std::string>("pw")};
  w.host.duringPassword = [&] {
    EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{6, "", 0, 0}})));  // the chosen room goes away meanwhile
  };
  RunShown(w.form, [&] {
    Select(w.form, 1);  // the team room "locked" sorts after "other"
    QTest::mouseClick(w.form.ButtonEnter(), Qt::LeftButton);
  });
  const auto sent = w.host.session.Sent<GmEnterRoom>();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].room, 6) << "the request is for the room that was chosen";
  EXPECT_EQ(sent[0].teamId, 8u);
}

TEST(RoomListWindowTest, SelectionFollowsItsRoomAndGoesWithIt) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{1, "a", 0, 0}, {2, "b", 0, 0}})));
  QTreeWidget* list = w.form.RoomList2();
  list->topLevelItem(1)->setSelected(true);  // b
  EXPECT_TRUE(w.host.session.deliver<GmRoomUsers>(RoomCounts({{2, 5}})));
  EXPECT_TRUE(w.host.session.deliver<GmRoomUsers>(RoomCounts({})));
  ASSERT_EQ(list->selectedItems().size(), 1);
  EXPECT_EQ(list->selectedItems()[0]->text(0), QStringLiteral("b"));
  EXPECT_TRUE(w.form.ButtonEnter()->isEnabled());
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{2, "", 0, 0}})));
  EXPECT_TRUE(list->selectedItems().isEmpty());
  EXPECT_FALSE(w.form.ButtonEnter()->isEnabled());
}

TEST(RoomListWindowTest, DisconnectWhileShownEmptiesTheListAndKeepsItOpen) {
  World w;
  EXPECT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{1, "a", 0, 0}, {2, "b", 0, 0}})));
  int rowsAfter = -1;
  bool open = false, enterEnabled = true;
  RunShown(w.form, [&] {
    Select(w.form, 0);
    w.host.session.drop();
    QCoreApplication::processEvents();
    rowsAfter = w.form.RoomList2()->topLevelItemCount();
    open = w.form.isVisible();
    enterEnabled = w.form.ButtonEnter()->isEnabled();
  });
  EXPECT_EQ(rowsAfter, 0);
  EXPECT_TRUE(open);
  EXPECT_FALSE(enterEnabled);
  EXPECT_EQ(w.form.RoomNameOf(1), "") << "new tabs get empty captions until the list comes again";
}

TEST(RoomListWindowTest, TheSessionDeliversOnlyRoomListMessages) {
  World w;
  ASSERT_TRUE(w.host.session.deliver<GmRoomList>(RoomRows({{3, "c", 0, 0}})));
  EXPECT_EQ(w.form.RoomNameOf(3), "c");
  ASSERT_TRUE(w.host.session.deliver<GmRoomUsers>(RoomCounts({{3, 4}})));
  ASSERT_TRUE(w.host.session.deliver<GmRoomUsers>(RoomCounts({})));
  EXPECT_EQ(w.form.RoomList2()->topLevelItem(0)->text(3), QStringLiteral("4人"));
  ASSERT_TRUE(w.host.session.deliver<GmUserLeave>(Leave({{3, 1}})));
  EXPECT_EQ(w.form.RoomList2()->topLevelItemCount(), 1) << "not a message of the room list";
}
