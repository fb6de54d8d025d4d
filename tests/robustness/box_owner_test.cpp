// Boxes and dialogs whose owner the server destroys while they are open. Every
// box here is a real message box with its own nested loop; the server's blow
// (the client's own departure from the room, GmClose, or the connection simply
// dropped) arrives inside that loop. The box must close with its owner, the
// handler that opened it must see that its window is gone, and nothing may be
// sent for a window that no longer exists.
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "chat/form_password.h"
#include "chat/form_room_list.h"
#include "formation/form_formation.h"
#include "formation/formation_image.h"
#include "hostile_fixture.h"
#include "main_window_parts.h"
#include "ui_input.h"

namespace {

enum class Blow { OwnLeave, Close, Drop };

std::string BlowName(const ::testing::TestParamInfo<Blow>& info) {
  switch (info.param) {
    case Blow::OwnLeave:
      return "OwnLeave";
    case Blow::Close:
      return "GmClose";
    case Blow::Drop:
      return "Dropped";
  }
  return "?";
}

class BoxOwnerTest : public HostileServerTest, public ::testing::WithParamInterface<Blow> {
 protected:
  void SetUp() override {
    HostileServerTest::SetUp();
    platform.realBoxes = true;
    // Nobody presses the box: only its owner's end may close it.
    platform.answerWhen = [] { return false; };
  }

  // Sent from inside a modal loop: what destroys the second room's tab.
  void Strike() {
    framesBeforeBlow_ = server.frames().size();
    switch (GetParam()) {
      case Blow::OwnLeave: {
        GmUserLeave::Info left;
        left.count = 1;
        left.entries[0] = {kSecondRoom, kClientId};
        server.send<GmUserLeave>(left);
        break;
      }
      case Blow::Close:
        server.send<GmClose>({});
        break;
      case Blow::Drop:
        server.dropClient();
        break;
    }
  }

  // What the client sent after the blow.
  std::vector<uint8_t> SentAfterBlow() const {
    std::vector<uint8_t> types = server.types();
    types.erase(types.begin(), types.begin() + static_cast<std::ptrdiff_t>(framesBeforeBlow_));
    return types;
  }

  // Logged in, with the second room's formation window open and asked for.
  TFormFormation* OpenBoard() {
    EXPECT_TRUE(ConnectClient());
    EXPECT_TRUE(Deliver(LoginSession()));
    TChatSheet* room = Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(kSecondRoom);
    if (room == nullptr) return nullptr;
    room->Frame()->ButtonFormation()->click();
    board_ = room->Frame()->FormationWindow();
    EXPECT_TRUE(server.waitForFrames(server.frames().size() + 1));
    return board_;
  }

  // After the blow: the room's tab and its window are gone, and the client is
  // left in the state the blow means.
  void ExpectOwnerGone() {
    EXPECT_TRUE(WaitUntil([&] { return board_.isNull(); })) << "the formation window outlived its room";
    EXPECT_EQ(Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(kSecondRoom), nullptr);
    if (GetParam() == Blow::OwnLeave) {
      EXPECT_TRUE(form.session().isOpen());
      EXPECT_NE(Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(kLobby), nullptr) << "only the room left is closed";
    } else {
      EXPECT_TRUE(WaitUntil([&] { return !form.session().isOpen(); }));
      EXPECT_EQ(Child<QTabWidget>(form, "PageControl1")->count(), 0);
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a box stayed open without its owner";
  }

  QPointer<TFormFormation> board_;
  size_t framesBeforeBlow_ = 0;
};

// The formation window's boxes, each opened by a server answer.
struct ServerBox {
  const char* name;
  QByteArray (*answer)();
  const char* text;
};

QByteArray OpenRefused() {
  GmFormationAOpen::Info refused;
  refused.room = HostileServerTest::kSecondRoom;
  refused.result = 1;
  return FrameOf<GmFormationAOpen>(refused);
}

// The server's answer to a formation file action for the second room.
QByteArray FileAnswer(uint8_t action, uint8_t result) {
  GmFormationFile::Info file;
  file.action = action;
  file.result = result;
  file.room = HostileServerTest::kSecondRoom;
  return FrameOf<GmFormationFile>(file);
}
QByteArray SaveRefused() { return FileAnswer(GmFormationFile::ActionSave, 3); }
QByteArray UpdatedElsewhere() { return FileAnswer(GmFormationFile::ActionUpdated, 0); }

const ServerBox kServerBoxes[] = {
    {"open refused", OpenRefused, "フォーメーション盤を開くことができません"},
    {"save refused", SaveRefused, "権限がありません"},
    {"updated elsewhere", UpdatedElsewhere, "チームフォーメーションの更新に成功しました"},
};

TEST_P(BoxOwnerTest, FormationAnswerBoxClosesWithItsWindow) {
  for (const ServerBox& c : kServerBoxes) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(OpenBoard(), nullptr);
    platform.boxes.clear();
    platform.duringBox = [&] { Strike(); };
    server.sendRaw(c.answer());
    ASSERT_TRUE(WaitUntil([&] { return !platform.boxes.empty(); }));
    ExpectOwnerGone();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, QString::fromUtf8(c.text));
    EXPECT_TRUE(platform.boxes[0].closedWithOwner);
    EXPECT_TRUE(SentAfterBlow().empty()) << "sent for a window that is gone";
    platform.boxes.clear();
    ASSERT_TRUE(UsableAfterwards());
  }
}

TEST_P(BoxOwnerTest, SaveCheckBoxClosesWithItsWindow) {
  // Every player a goalkeeper: the save check refuses before anything is sent.
  GmFormationInfo::Info keepers;
  keepers.room = kSecondRoom;
  keepers.flags = GmFormationInfo::HasPosType;
  TFormFormation* window = OpenBoard();
  ASSERT_NE(window, nullptr);
  for (int i = 0; i < window->Board()->Formation().PlayersPerSide(); ++i) {
    auto& e = keepers.entries[keepers.count++];
    e.index = static_cast<uint8_t>(i);
    e.posType = PosType::GK;
  }
  ASSERT_TRUE(Deliver(FrameOf<GmFormationInfo>(keepers)));
  platform.duringBox = [&] { Strike(); };
  window->findChild<QPushButton*>(QStringLiteral("ButtonSave"))->click();
  ExpectOwnerGone();
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, QString::fromUtf8("GKが一人でありません"));
  EXPECT_TRUE(platform.boxes[0].closedWithOwner);
  EXPECT_TRUE(SentAfterBlow().empty());
  EXPECT_TRUE(UsableAfterwards());
}

TEST_P(BoxOwnerTest, PlayerNameDialogClosesWithItsWindow) {
  closeDialogs = false;
  TFormFormation* window = OpenBoard();
  ASSERT_NE(window, nullptr);
  TFormationImage* board = window->Board();
  const FormationSlot& slot = board->Formation().Slot(4);
  const QPoint at(slot.x / 25 + 160, slot.y / 25 + 220);  // the board's scale and origin
  QTest::mouseClick(board, Qt::RightButton, Qt::NoModifier, at);
  QPointer<QWidget> dialog;
  WhenModal([&](QWidget* d) {
    dialog = d;
    // Typed, but never confirmed: the window goes first.
    TypeText(d->findChild<QLineEdit*>(QStringLiteral("EditName")), QStringLiteral("Abe"));
    Strike();
  });
  QAction* rename = nullptr;
  for (QAction* a : board->PlayerMenu()->actions()) {
    if (a->data().toInt() == TFormationImage::TagName) rename = a;
  }
  ASSERT_NE(rename, nullptr);
  Choose(rename);
  ASSERT_TRUE(WaitUntil([&] { return !dialog.isNull() || board_.isNull(); }));
  ExpectOwnerGone();
  EXPECT_TRUE(dialog.isNull()) << "the dialog outlived its window";
  EXPECT_EQ(SentAfterBlow(), std::vector<uint8_t>{}) << "the types sent after the blow";
  closeDialogs = true;
  EXPECT_TRUE(UsableAfterwards());
}

// The room list and the password dialog over it belong to the main window and
// outlive every blow; a disconnect only empties the list. Confirming the
// password afterwards must neither crash nor reach a connection that ended.
QByteArray LockedRoom() { return FrameOf<GmRoomList>(OneRoomList(40, "locked", true)); }

// Opens the room list, enters the locked room, and answers its password after
// blow() has been handled inside the password dialog's loop.
void EnterLockedRoom(TFormMain& form, const std::function<void()>& blow, const std::function<bool()>& handled) {
  bool asked = false;
  WhenModal([&](QWidget* list) {  // the room list window
    auto* rows = list->findChild<QTreeWidget*>();
    for (int i = 0; i < rows->topLevelItemCount(); ++i) {
      if (rows->topLevelItem(i)->text(0) == QStringLiteral("locked")) rows->setCurrentItem(rows->topLevelItem(i));
    }
    WhenModal([&, list](QWidget* password) {
      asked = true;
      password->findChild<QRadioButton*>(QStringLiteral("RadioPass2"))->click();
      TypeText(password->findChild<QLineEdit*>(QStringLiteral("EditPassword")), QStringLiteral("abc1"));
      blow();
      WaitUntil(handled);
      password->findChild<QPushButton*>(QStringLiteral("ButtonOk"))->click();
      QTimer::singleShot(0, list, [list] { qobject_cast<QDialog*>(list)->reject(); });
    });
    list->findChild<QPushButton*>(QStringLiteral("ButtonEnter"))->click();
  });
  form.ShowRoomList();
  EXPECT_TRUE(WaitUntil([&] { return asked && QApplication::activeModalWidget() == nullptr; }));
}

TEST_P(BoxOwnerTest, PasswordDialogSurvivesTheBlow) {
  closeDialogs = false;
  ASSERT_TRUE(ConnectClient());
  ASSERT_TRUE(Deliver(LoginSession()));
  ASSERT_TRUE(Deliver(LockedRoom()));
  EnterLockedRoom(
      form, [&] { Strike(); }, [&] { return Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(kSecondRoom) == nullptr; });
  if (GetParam() == Blow::OwnLeave) {
    // Leaving another room changes nothing about the list: the room is entered.
    GmEnterRoom::Info enter;
    EXPECT_TRUE(WaitUntil([&] { return server.decodeFrame<GmEnterRoom>(server.frames().size() - 1, enter); }));
    EXPECT_EQ(enter.room, 40);
  } else {
    EXPECT_FALSE(form.session().isOpen());
  }
  closeDialogs = true;
  EXPECT_TRUE(UsableAfterwards());
}

INSTANTIATE_TEST_SUITE_P(Blows, BoxOwnerTest, ::testing::Values(Blow::OwnLeave, Blow::Close, Blow::Drop), BlowName);

}  // namespace
