// The shared formation board of the demo team room, opened by two real clients
// against the development lobby server.
#include <QCheckBox>
#include <QPointer>

#include "client_fixture.h"
#include "formation/board_transform.h"
#include "formation/form_formation.h"
#include "formation/formation_image.h"
#include "formation/team_formation.h"
#include "recording_platform.h"

namespace {

class ClientFormationTest : public ClientE2eTest {
 protected:
  // Logs in, enters the team room and opens its board from the room's frame.
  TFormFormation* OpenBoard(TFormMain* form) {
    EXPECT_TRUE(LogIn(form));
    EXPECT_TRUE(EnterFromRoomList(form, "ターフFC控室"));
    EXPECT_TRUE(WaitUntil([&] { return TabNamed(form, "ターフFC控室") != nullptr; }));
    TChatSheet* room = TabNamed(form, "ターフFC控室");
    if (room == nullptr) return nullptr;
    Activate(form, room);
    EXPECT_TRUE(room->Frame()->ButtonFormation()->isEnabled());
    QTest::mouseClick(room->Frame()->ButtonFormation(), Qt::LeftButton);
    TFormFormation* board = room->Frame()->FormationWindow();
    EXPECT_NE(board, nullptr);
    if (board != nullptr) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(board));
    }
    return board;
  }
  // A line each way in the lobby: whatever either client sent before it has
  // been handled by the server.
  void RoundTrip(TFormMain* a, TFormMain* b, const QString& tag) {
    for (auto [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
      Activate(from, TabNamed(from, "待合室"));
      const QString line = tag + QString::number(++lines_);
      Say(from, line);
      ASSERT_TRUE(WaitUntil([&] { return LogOf(TabNamed(to, "待合室")).contains(line); }));
    }
  }
  // The last field player (not the keeper) of the board.
  static int FieldPlayer(const TeamFormation& f) {
    int found = -1;
    for (int i = 0; i < f.SlotCount(); ++i) {
      if (f.Slot(i).kind == SlotKind::Player) found = i;
    }
    return found;
  }
  static QPoint ScreenOf(TFormationImage* board, int slot) {
    const FieldPoint p =
        board->Transform().FieldToScreen(FieldPoint{board->Formation().Slot(slot).x, board->Formation().Slot(slot).y});
    return QPoint(p.x, p.y);
  }
  static void Drag(TFormationImage* board, int slot, QPoint by) {
    const QPoint from = ScreenOf(board, slot);
    const QPoint to = from + by;
    QTest::mousePress(board, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(board, to);
    QTest::mouseRelease(board, Qt::LeftButton, Qt::NoModifier, to);
  }
  static QPoint FieldOf(TFormationImage* board, int slot) {
    return QPoint(board->Formation().Slot(slot).x, board->Formation().Slot(slot).y);
  }
  static void Press(TFormFormation* window, const char* name) {
    auto* extra = window->findChild<QCheckBox*>(QStringLiteral("CheckExtra"));
    ASSERT_NE(extra, nullptr);
    if (!extra->isChecked()) QTest::mouseClick(extra, Qt::LeftButton);
    auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }

  int lines_ = 0;
};

TEST_F(ClientFormationTest, MovesReachTheOtherBoardAndLoadRestoresTheSavedBoard) {
  RecordingPlatform platform;
  TFormMain* a = Open(Folder("a"), 1);
  TFormMain* b = Open(Folder("b"), 2);
  QPointer<TFormFormation> boardA = OpenBoard(a);
  QPointer<TFormFormation> boardB = OpenBoard(b);
  ASSERT_TRUE(boardA && boardB);
  RoundTrip(a, b, QStringLiteral("open "));
  ASSERT_TRUE(boardA && boardB) << "the server refused a board";
  EXPECT_TRUE(platform.boxes.empty());

  TFormFormation* formA = boardA.data();
  TFormFormation* formB = boardB.data();
  TFormationImage* imageA = formA != nullptr ? formA->Board() : nullptr;
  TFormationImage* imageB = formB != nullptr ? formB->Board() : nullptr;
  ASSERT_TRUE(imageA != nullptr && imageB != nullptr);
  const int slot = FieldPlayer(imageA->Formation());
  ASSERT_GE(slot, 0);
  ASSERT_EQ(FieldOf(imageA, slot), FieldOf(imageB, slot)) << "both start from the same board";
  const QPoint start = FieldOf(imageA, slot);

  // A drag on one board moves the disc on the other.
  Drag(imageA, slot, QPoint(12, 8));
  const QPoint moved = FieldOf(imageA, slot);
  ASSERT_NE(moved, start);
  ASSERT_TRUE(WaitUntil([&] { return FieldOf(imageB, slot) == moved; }))
      << FieldOf(imageB, slot).x() << "," << FieldOf(imageB, slot).y();

  // Save, move on, then load: both boards go back to the saved layout.
  Press(boardA, "ButtonSave");
  ASSERT_TRUE(WaitUntil([&] { return !platform.boxes.empty(); }));
  EXPECT_EQ(platform.boxes[0].kind, RecordingPlatform::Box::Information) << platform.boxes[0].text.toStdString();
  platform.boxes.clear();

  Drag(imageB, slot, QPoint(-20, 10));
  const QPoint later = FieldOf(imageB, slot);
  ASSERT_NE(later, moved);
  ASSERT_TRUE(WaitUntil([&] { return FieldOf(imageA, slot) == later; }));

  Press(boardB, "ButtonLoad");
  EXPECT_TRUE(WaitUntil([&] { return FieldOf(imageB, slot) == moved; }))
      << FieldOf(imageB, slot).x() << "," << FieldOf(imageB, slot).y();
  EXPECT_TRUE(WaitUntil([&] { return FieldOf(imageA, slot) == moved; }));
  for (const auto& box : platform.boxes) EXPECT_NE(box.kind, RecordingPlatform::Box::Error) << box.text.toStdString();
}

}  // namespace
