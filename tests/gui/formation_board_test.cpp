// The formation board on the offscreen platform, driven by QTest mouse events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPaintEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

#include "formation/form_board_name.h"
#include "formation/formation_image.h"
#include "platform/cp932.h"
#include "ui_input.h"

namespace {

// Field units to the board's pixels (320 wide, row 220 the halfway line).
QPoint Px(int32_t x, int32_t y) { return QPoint(x / 25 + 160, y / 25 + 220); }

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    board.resize(320, 443);
    board.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&board));
  }
  void TearDown() override {
    board.PlayerMenu()->close();
    board.OpponentMenu()->close();
  }

  QPoint At(int slot) const { return Px(board.Formation().Slot(slot).x, board.Formation().Slot(slot).y); }
  FieldPoint Pos(int slot) const { return {board.Formation().Slot(slot).x, board.Formation().Slot(slot).y}; }
  void Drag(int slot, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(&board, button, Qt::NoModifier, At(slot));
    QTest::mouseMove(&board, to);
    QTest::mouseRelease(&board, button, Qt::NoModifier, to);
  }
  QAction* Item(QMenu* menu, int tag) {
    for (QAction* a : menu->actions()) {
      if (a->data().toInt() == tag) return a;
    }
    return nullptr;
  }

  TFormationImage board;
};

// Catches the paint events of the board to see which areas were redrawn.
struct PaintRecorder : QObject {
  QRegion painted;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
    return false;
  }
};

}  // namespace

TEST_F(BoardTest, BallWinsTheHitAtTheCentreSpot) {
  Drag(5, QPoint(160, 220));
  ASSERT_EQ(Pos(5), (FieldPoint{0, 0}));
  QTest::mousePress(&board, Qt::LeftButton, Qt::NoModifier, QPoint(160, 220));
  EXPECT_EQ(board.DragSlot(), 0);
  QTest::mouseRelease(&board, Qt::LeftButton, Qt::NoModifier, QPoint(160, 220));
  EXPECT_EQ(board.DragSlot(), -1);
}

TEST_F(BoardTest, DraggedDiscSnapsToWholeMetres) {
  struct Row {
    QPoint pixel;  // the pointer's pixel, at field (x, y) before snapping
    FieldPoint raw, snapped;
  } rows[] = {{QPoint(155, 339), {-125, 2975}, {-100, 3000}},
              {QPoint(166, 338), {150, 2950}, {200, 3000}},
              {QPoint(154, 338), {-150, 2950}, {-100, 3000}},
              {QPoint(153, 221), {-175, 25}, {-200, 0}}};
  for (const Row& r : rows) {
    EXPECT_EQ(board.Transform().ScreenToField(r.pixel.x(), r.pixel.y()), r.raw);
    Drag(5, r.pixel);
    EXPECT_EQ(Pos(5), r.snapped) << r.raw.x << "," << r.raw.y;
  }
}

TEST_F(BoardTest, PointerReportsInTenthsOfAMetre) {
  QSignalSpy moves(&board, &TFormationImage::OnMouseMove);
  QTest::mouseMove(&board, QPoint(60, 100));  // empty pitch
  ASSERT_FALSE(moves.isEmpty());
  EXPECT_EQ(moves.last().at(2).toInt(), -1);
  EXPECT_EQ(moves.last().at(3).toInt(), -1);
  QTest::mouseMove(&board, At(8));  // player 8 at (-900, 750)
  EXPECT_EQ(moves.last().at(2).toInt(), -90);
  EXPECT_EQ(moves.last().at(3).toInt(), 75);
  EXPECT_EQ(board.cursor().shape(), Qt::PointingHandCursor);
  // Near the disc's edge the report is still the disc's own position.
  QTest::mouseMove(&board, At(8) + QPoint(5, -5));
  EXPECT_EQ(moves.last().at(2).toInt(), -90);
  EXPECT_EQ(moves.last().at(3).toInt(), 75);
}

TEST_F(BoardTest, DragOutsideTheBoardKeepsTheLastInsidePosition) {
  QSignalSpy moves(&board, &TFormationImage::OnMouseMove);
  QTest::mousePress(&board, Qt::LeftButton, Qt::NoModifier, At(9));
  QTest::mouseMove(&board, QPoint(300, 30));
  const FieldPoint inside = Pos(9);
  EXPECT_EQ(inside, (FieldPoint{3500, -4700}));
  QTest::mouseMove(&board, QPoint(330, 20));  // right of the board
  EXPECT_EQ(Pos(9), inside);
  EXPECT_EQ(moves.last().at(2).toInt(), -1);
  EXPECT_EQ(moves.last().at(3).toInt(), -1);
  QTest::mouseRelease(&board, Qt::LeftButton, Qt::NoModifier, QPoint(330, 20));
  EXPECT_EQ(Pos(9), inside);
}

TEST_F(BoardTest, MenusPerDiscKind) {
  QTest::mouseClick(&board, Qt::RightButton, Qt::NoModifier, At(0));
  EXPECT_FALSE(board.PlayerMenu()->isVisible());
  EXPECT_FALSE(board.OpponentMenu()->isVisible());
  EXPECT_EQ(board.MenuSlot(), 0);

  QTest::mouseClick(&board, Qt::RightButton, Qt::NoModifier, At(11));
  EXPECT_TRUE(board.OpponentMenu()->isVisible());
  EXPECT_FALSE(board.PlayerMenu()->isVisible());
  EXPECT_EQ(board.MenuSlot(), 11);
  ASSERT_EQ(board.OpponentMenu()->actions().size(), 1);
  EXPECT_EQ(board.OpponentMenu()->actions()[0]->text(), QString::fromUtf8("名前変更(&N).."));
  EXPECT_EQ(board.OpponentMenu()->actions()[0]->data().toInt(), 5);
  board.OpponentMenu()->close();

  QTest::mouseClick(&board, Qt::RightButton, Qt::NoModifier, At(4));
  EXPECT_TRUE(board.PlayerMenu()->isVisible());
  EXPECT_EQ(board.MenuSlot(), 4);
  QStringList captions;
  QList<int> tags;
  for (QAction* a : board.PlayerMenu()->actions()) {
    captions << a->text();
    tags << a->data().toInt();
  }
  EXPECT_EQ(captions, (QStringList{QStringLiteral("FW(&F)"), QStringLiteral("MF(&M)"), QStringLiteral("DF(&D)"),
                                   QStringLiteral("GK(&G)"), QString::fromUtf8("名前変更(&N)..")}));
  EXPECT_EQ(tags, (QList<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(board.DragSlot(), -1) << "a right click never drags";
}

TEST_F(BoardTest, RightClickOnEmptyPitchKeepsTheMenuSlot) {
  QTest::mouseClick(&board, Qt::RightButton, Qt::NoModifier, At(4));
  board.PlayerMenu()->close();
  QTest::mouseClick(&board, Qt::RightButton, Qt::NoModifier, QPoint(60, 100));
  EXPECT_EQ(board.MenuSlot(), 4);
  EXPECT_FALSE(board.PlayerMenu()->isVisible());
}

TEST_F(BoardTest, PosTypeMenuFiresOnlyOnChange) {
  QSignalSpy changes(&board, &TFormationImage::OnChangeItem);
  QTest::mouseClick(&board, Qt::RightButton, Qt::NoModifier, At(2));  // a DF
  Choose(Item(board.PlayerMenu(), TFormationImage::TagDF));
  EXPECT_EQ(changes.count(), 0);
  Choose(Item(board.PlayerMenu(), TFormationImage::TagFW));
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0].at(1).toInt(), 2);
  EXPECT_FALSE(changes[0].at(2).toBool());
  EXPECT_TRUE(changes[0].at(3).toBool());
  EXPECT_FALSE(changes[0].at(4).toBool());
  EXPECT_EQ(board.Formation().Slot(2).posType, PosType::FW);
  // The slot stays the menu's target after the menu closed.
  board.MenuItemClick(TFormationImage::TagGK);
  EXPECT_EQ(board.Formation().Slot(2).posType, PosType::GK);
  EXPECT_EQ(changes.count(), 2);
}

TEST_F(BoardTest, ClickWithoutMovementStillReportsAPositionChange) {
  QSignalSpy changes(&board, &TFormationImage::OnChangeItem);
  QTest::mouseClick(&board, Qt::LeftButton, Qt::NoModifier, At(3));
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0].at(1).toInt(), 3);
  EXPECT_TRUE(changes[0].at(2).toBool());
  EXPECT_FALSE(changes[0].at(3).toBool());
  EXPECT_FALSE(changes[0].at(4).toBool());
  EXPECT_EQ(Pos(3), (FieldPoint{0, 3750}));
  QTest::mouseClick(&board, Qt::LeftButton, Qt::NoModifier, QPoint(60, 100));
  EXPECT_EQ(changes.count(), 1) << "a click beside every disc reports nothing";
}

TEST_F(BoardTest, MiddleButtonDragsToo) {
  QSignalSpy changes(&board, &TFormationImage::OnChangeItem);
  Drag(13, Px(-2000, -3000), Qt::MiddleButton);
  EXPECT_EQ(Pos(13), (FieldPoint{-2000, -3000}));
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0].at(1).toInt(), 13);
}

TEST_F(BoardTest, LosingTheMouseEndsTheDragAndReportsIt) {
  QSignalSpy changes(&board, &TFormationImage::OnChangeItem);
  QTest::mousePress(&board, Qt::LeftButton, Qt::NoModifier, At(6));
  QTest::mouseMove(&board, Px(-1000, 1500));
  ASSERT_EQ(board.DragSlot(), 6);
  QEvent deactivate(QEvent::WindowDeactivate);
  QApplication::sendEvent(&board, &deactivate);
  EXPECT_EQ(board.DragSlot(), -1);
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0].at(1).toInt(), 6);
  EXPECT_TRUE(changes[0].at(2).toBool());
  QTest::mouseRelease(&board, Qt::LeftButton, Qt::NoModifier, Px(-1000, 1500));
  EXPECT_EQ(changes.count(), 1) << "the late release reports nothing more";
}

TEST_F(BoardTest, HidingTheBoardMidDragEndsTheDrag) {
  QSignalSpy changes(&board, &TFormationImage::OnChangeItem);
  QTest::mousePress(&board, Qt::LeftButton, Qt::NoModifier, At(7));
  board.hide();
  EXPECT_EQ(board.DragSlot(), -1);
  EXPECT_EQ(changes.count(), 1);
}

TEST_F(BoardTest, MovingADiscRepaintsOnlyItsTwoAreas) {
  PaintRecorder recorder;
  QApplication::processEvents();
  board.installEventFilter(&recorder);
  QTest::mousePress(&board, Qt::LeftButton, Qt::NoModifier, At(5));
  QTest::mouseMove(&board, Px(-2000, 1000));
  QApplication::processEvents();
  ASSERT_FALSE(recorder.painted.isEmpty());
  EXPECT_TRUE(recorder.painted.contains(Px(0, 2900)));
  EXPECT_TRUE(recorder.painted.contains(Px(-2000, 1000)));
  EXPECT_FALSE(recorder.painted.contains(QPoint(10, 10)));
  EXPECT_FALSE(recorder.painted.contains(Px(0, 0)));
  EXPECT_LT(recorder.painted.boundingRect().width() * 1, 320);
  for (const QRect& r : recorder.painted) EXPECT_LE(r.width() * r.height(), 60 * 40) << "a small area per disc";

  // A move that snaps to the same metre repaints nothing.
  recorder.painted = QRegion();
  QTest::mouseMove(&board, Px(-2000, 1000) + QPoint(1, 0));
  QApplication::processEvents();
  EXPECT_TRUE(recorder.painted.isEmpty());
  QTest::mouseRelease(&board, Qt::LeftButton, Qt::NoModifier, Px(-2000, 1000));
  board.removeEventFilter(&recorder);
}

TEST_F(BoardTest, PaintShowsPitchAndDiscColours) {
  const QImage image = board.grab().toImage();
  EXPECT_EQ(image.pixelColor(2, 2), QColor(64, 128, 64)) << "surround";
  EXPECT_EQ(image.pixelColor(100, 100), QColor(0, 160, 0)) << "grass";
  EXPECT_EQ(image.pixelColor(24, 100), QColor(Qt::white)) << "left touch line";
  EXPECT_EQ(image.pixelColor(100, 220), QColor(Qt::white)) << "halfway line";
  // Disc centres, beside the label's middle column.
  EXPECT_EQ(image.pixelColor(At(1) + QPoint(-4, -4)), QColor(0, 0, 0));
  EXPECT_EQ(image.pixelColor(At(2) + QPoint(-4, -4)), QColor(0, 0, 255));
  EXPECT_EQ(image.pixelColor(At(5) + QPoint(-4, -4)), QColor(255, 0, 255));
  EXPECT_EQ(image.pixelColor(At(8) + QPoint(-4, -4)), QColor(255, 0, 0));
  EXPECT_EQ(image.pixelColor(At(10) + QPoint(-4, -4)), QColor(255, 255, 0));
  // A position type only the server can send draws grey.
  board.Formation().Slot(8).SetPosType(9);
  board.RedrawSlot(8);
  EXPECT_EQ(board.grab().toImage().pixelColor(At(8) + QPoint(-4, -4)), QColor(128, 128, 128));
}

TEST_F(BoardTest, RenameThroughTheDialog) {
  QSignalSpy changes(&board, &TFormationImage::OnChangeItem);
  QTest::mouseClick(&board, Qt::RightButton, Qt::NoModifier, At(11));
  bool sawDialog = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TFormBoardName*>(modal);
    ASSERT_NE(dialog, nullptr);
    sawDialog = true;
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("EditName"));
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("選手名設定"));
    EXPECT_EQ(dialog->focusWidget(), edit);
    TypeText(edit, QString::fromUtf8("田中太"));  // the third character would be bytes 5 and 6
    EXPECT_EQ(edit->text(), QString::fromUtf8("田中"));
    dialog->findChild<QPushButton*>(QStringLiteral("ButtonOk"))->click();
  });
  Choose(Item(board.OpponentMenu(), TFormationImage::TagName));
  ASSERT_TRUE(sawDialog);
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0].at(1).toInt(), 11);
  EXPECT_FALSE(changes[0].at(2).toBool());
  EXPECT_FALSE(changes[0].at(3).toBool());
  EXPECT_TRUE(changes[0].at(4).toBool());
  EXPECT_EQ(std::string(board.Formation().Slot(11).name), cp932::FromUtf8("田中"));
}

TEST_F(BoardTest, ConfirmingTheSameNameStillReportsIt) {
  QSignalSpy changes(&board, &TFormationImage::OnChangeItem);
  QTest::mouseClick(&board, Qt::RightButton, Qt::NoModifier, At(4));
  WhenModal([](QWidget* d) { d->findChild<QPushButton*>(QStringLiteral("ButtonOk"))->click(); });
  Choose(Item(board.PlayerMenu(), TFormationImage::TagName));
  ASSERT_EQ(changes.count(), 1);
  EXPECT_TRUE(changes[0].at(4).toBool());
  EXPECT_STREQ(board.Formation().Slot(4).name, "");
}

TEST_F(BoardTest, CancelledRenameChangesNothing) {
  QSignalSpy changes(&board, &TFormationImage::OnChangeItem);
  board.Formation().Slot(4).SetName("Abe");
  QTest::mouseClick(&board, Qt::RightButton, Qt::NoModifier, At(4));
  WhenModal([](QWidget* d) {
    auto* edit = d->findChild<QLineEdit*>(QStringLiteral("EditName"));
    EXPECT_EQ(edit->text(), QStringLiteral("Abe"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("Abe"));
    edit->setText(QStringLiteral("Zed"));
    d->findChild<QPushButton*>(QStringLiteral("ButtonCancel"))->click();
  });
  Choose(Item(board.PlayerMenu(), TFormationImage::TagName));
  EXPECT_EQ(changes.count(), 0);
  EXPECT_STREQ(board.Formation().Slot(4).name, "Abe");
}

TEST(BoardNameDialogTest, ExecuteReturnsTheEditOnlyOnOk) {
  TFormBoardName dialog;
  std::string name = "ab";
  QTimer::singleShot(0, [&] {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("EditName"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("wxyz!"));
    EXPECT_EQ(edit->text(), QStringLiteral("wxyz")) << "a fifth byte is refused";
    dialog.findChild<QPushButton*>(QStringLiteral("ButtonOk"))->click();
  });
  EXPECT_TRUE(dialog.BoardNameExecute(name));
  EXPECT_EQ(name, "wxyz");

  QTimer::singleShot(0, [&] {
    dialog.findChild<QLineEdit*>(QStringLiteral("EditName"))->clear();
    dialog.findChild<QPushButton*>(QStringLiteral("ButtonOk"))->click();
  });
  EXPECT_TRUE(dialog.BoardNameExecute(name));
  EXPECT_EQ(name, "") << "an empty name is a name";

  name = "keep";
  QTimer::singleShot(0, [&] { dialog.reject(); });
  EXPECT_FALSE(dialog.BoardNameExecute(name));
  EXPECT_EQ(name, "keep");
}
