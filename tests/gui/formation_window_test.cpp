// The formation window with a host that records every frame it is asked to send.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "formation/form_formation.h"
#include "formation/formation_image.h"
#include "platform/cp932.h"
#include "recording_platform.h"
#include "session_double.h"
#include "ui_input.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Frame(uint8_t type, std::initializer_list<uint8_t> payload) {
  Bytes b{static_cast<uint8_t>((payload.size() + 3) >> 8), static_cast<uint8_t>(payload.size() + 3), type};
  b.insert(b.end(), payload);
  return b;
}

// The session double with the client ID every sent change carries.
struct RecordingHost final : SessionDouble {
  RecordingHost() { setClientId(0x0102); }
};

QPoint Px(int32_t x, int32_t y) { return QPoint(x / 25 + 160, y / 25 + 220); }

class FormationWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = std::make_unique<QWidget>();
    frame->resize(600, 500);
    auto* created = new TFormFormation(host, frame.get());
    window = created;
    board = created->Board();
    window->Open(cp932::FromUtf8("青空FC"), 12);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    host.sent.clear();
  }

  TFormationImage* Board() { return board; }
  QPoint At(int slot) { return Px(Board()->Formation().Slot(slot).x, Board()->Formation().Slot(slot).y); }
  template <class T>
  T* Child(const char* name) {
    return window->findChild<T*>(QString::fromUtf8(name));
  }
  void Drag(int slot, QPoint to) {
    QTest::mousePress(Board(), Qt::LeftButton, Qt::NoModifier, At(slot));
    QTest::mouseMove(Board(), to);
    QTest::mouseRelease(Board(), Qt::LeftButton, Qt::NoModifier, to);
  }
  static void DeliverDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  RecordingPlatform platform;
  RecordingHost host;
  std::unique_ptr<QWidget> frame;
  QPointer<TFormFormation> window;
  TFormationImage* board = nullptr;  // the window's, while it lives
};

}  // namespace

TEST(FormationWindowOpenTest, CaptionAndOpenMessageForTheRoom) {
  RecordingPlatform platform;
  RecordingHost host;
  QWidget frame;
  auto* window = new TFormFormation(host, &frame);
  window->Open(cp932::FromUtf8("青空FC"), 12);
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("青空FC - フォーメーション盤"));
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isWindow()) << "a window of its own, owned by the frame";
  EXPECT_EQ(window->RoomNumber(), 12);
  EXPECT_EQ(host.SentBytes(), (std::vector<Bytes>{Frame(30, {0, 12})}));
  EXPECT_EQ(window->size(), QSize(322, 475));
  EXPECT_EQ(window->Board()->size(), QSize(320, 443));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(FormationWindowOpenTest, RoomNameIsShownLiterally) {
  RecordingPlatform platform;
  RecordingHost host;
  QWidget frame;
  auto* window = new TFormFormation(host, &frame);
  window->Open("A[*]<b>", 3);
  // "[*]" must not be taken for Qt's modified mark.
  EXPECT_EQ(window->windowTitle().remove(QStringLiteral("[*]")), QString::fromUtf8("A<b> - フォーメーション盤"));
  EXPECT_TRUE(window->windowTitle().contains(QStringLiteral("[*]")));
}

TEST_F(FormationWindowTest, DragSendsOneChangeForThatSlotOnly) {
  Drag(5, Px(-1000, 1500));
  ASSERT_EQ(host.SentBytes().size(), 1u);
  // sender 0x0102, room 12, flags 9 + positions, one entry: slot 5 at (-1000, 1500).
  EXPECT_EQ(host.SentBytes()[0], Frame(33, {0x01, 0x02, 0, 12, 0x19, 1, 5, 0xFC, 0x18, 0x05, 0xDC}));
}

TEST_F(FormationWindowTest, RenamingOpponentTwoSendsSlotElevenWithTheName) {
  QTest::mouseClick(Board(), Qt::RightButton, Qt::NoModifier, At(11));
  ASSERT_TRUE(Board()->OpponentMenu()->isVisible());
  WhenModal([](QWidget* d) {
    d->findChild<QLineEdit*>(QStringLiteral("EditName"))->setText(QStringLiteral("Ito"));
    d->findChild<QPushButton*>(QStringLiteral("ButtonOk"))->click();
  });
  Choose(Board()->OpponentMenu()->actions()[0]);
  ASSERT_EQ(host.SentBytes().size(), 1u);
  EXPECT_EQ(host.SentBytes()[0], Frame(33, {0x01, 0x02, 0, 12, 0x49, 1, 11, 3, 'I', 't', 'o'}));
}

TEST_F(FormationWindowTest, SavingWithTheGoalkeeperInTheOtherHalfIsRefused) {
  Drag(1, Px(0, -3000));
  ASSERT_EQ(Board()->Formation().Slot(1).y, -3000);
  host.sent.clear();
  auto* extra = Child<QCheckBox>("CheckExtra");
  extra->click();
  ASSERT_TRUE(Child<QWidget>("PanelExtra")->isVisible());
  Child<QPushButton>("ButtonSave")->click();
  EXPECT_EQ(platform.errorTexts(), QStringList{QString::fromUtf8("1の位置が不正です")});
  EXPECT_TRUE(host.SentBytes().empty());
  EXPECT_FALSE(extra->isChecked());
  EXPECT_FALSE(Child<QWidget>("PanelExtra")->isVisible());
  EXPECT_EQ(Board()->Formation().Slot(1).y, -3000) << "the formation is left as it is";
}

TEST_F(FormationWindowTest, SaveAndLoadRequests) {
  Child<QCheckBox>("CheckExtra")->click();
  Child<QPushButton>("ButtonSave")->click();
  EXPECT_TRUE(platform.boxes.empty());
  Child<QCheckBox>("CheckExtra")->click();
  Child<QPushButton>("ButtonLoad")->click();
  EXPECT_FALSE(Child<QCheckBox>("CheckExtra")->isChecked());
  EXPECT_FALSE(Child<QWidget>("PanelExtra")->isVisible());
  EXPECT_EQ(host.SentBytes(),
            (std::vector<Bytes>{Frame(34, {3, 0, 0, 12, 9, 0, 0}), Frame(34, {1, 0, 0, 12, 9, 0, 0})}));
}

TEST_F(FormationWindowTest, ExtraPanelFollowsTheBoxOverTheBoardsFoot) {
  auto* extra = Child<QCheckBox>("CheckExtra");
  auto* panel = Child<QWidget>("PanelExtra");
  EXPECT_FALSE(panel->isVisible());
  extra->click();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->geometry(), QRect(0, 376, 322, 70));
  extra->click();
  EXPECT_FALSE(panel->isVisible());
}

// Relative luminance contrast of two colours, 1 (none) to 21.
double Contrast(const QColor& a, const QColor& b) {
  auto lum = [](const QColor& c) {
    auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
  };
  const double la = lum(a);
  const double lb = lum(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(FormationWindowTest, EveryTextOfTheExtraPanelCanBeRead) {
  Child<QCheckBox>("CheckExtra")->click();
  auto* panel = Child<QWidget>("PanelExtra");
  const QColor ground = panel->palette().color(QPalette::Window);
  int texts = 0;
  for (QLabel* label : panel->findChildren<QLabel*>()) {
    if (label->text().isEmpty()) continue;  // the colour discs
    ++texts;
    EXPECT_GE(Contrast(label->palette().color(QPalette::WindowText), ground), 2.5) << label->text().toStdString();
    EXPECT_LE(label->geometry().right(), panel->width()) << label->text().toStdString();
  }
  EXPECT_EQ(texts, 7) << "five legend entries and two help lines";
}

TEST_F(FormationWindowTest, AnswersShowTheirBoxes) {
  GmFormationFile::Info answer;
  answer.room = 12;
  answer.action = 4;
  answer.result = 0;
  EXPECT_TRUE(host.deliver<GmFormationFile>(answer));
  answer.action = 1;
  EXPECT_TRUE(host.deliver<GmFormationFile>(answer));  // a plain load answer shows nothing
  answer.action = 3;
  answer.result = 3;
  EXPECT_TRUE(host.deliver<GmFormationFile>(answer));
  ASSERT_EQ(platform.boxes.size(), 2u);
  EXPECT_EQ(platform.boxes[0].kind, RecordingPlatform::Box::Information);
  EXPECT_EQ(platform.boxes[0].caption, QString::fromUtf8("確認"));
  EXPECT_EQ(platform.boxes[0].text, QString::fromUtf8("チームフォーメーションの更新に成功しました"));
  EXPECT_EQ(platform.boxes[1].kind, RecordingPlatform::Box::Error);
  EXPECT_EQ(platform.boxes[1].text, QString::fromUtf8("権限がありません"));
  EXPECT_TRUE(host.SentBytes().empty());
  EXPECT_EQ(Board()->Formation().Slot(1).y, 4950) << "answers carry no positions";
}

TEST_F(FormationWindowTest, ReceivedChangesApplyAndBadIndicesAreIgnored) {
  GmFormationInfo::Info info;
  info.sender = 77;
  info.room = 12;
  info.flags = 9 | GmFormationInfo::HasPosType;
  info.count = 2;
  info.entries[0].index = 200;
  info.entries[0].posType = PosType::GK;
  info.entries[1].index = 8;
  info.entries[1].posType = PosType::DF;
  EXPECT_TRUE(host.deliver<GmFormationInfo>(info));
  EXPECT_EQ(Board()->Formation().Slot(8).posType, PosType::DF);
  EXPECT_EQ(Board()->Formation().Slot(8).x, -900) << "only the position type was flagged";
  const QImage image = Board()->grab().toImage();
  EXPECT_EQ(image.pixelColor(At(8) + QPoint(-4, -4)), QColor(0, 0, 255));

  info.flags = 9 | GmFormationInfo::HasPosition | GmFormationInfo::HasName;
  info.count = 1;
  info.entries[0] = {200, 100, 100, 0, "X"};
  EXPECT_TRUE(host.deliver<GmFormationInfo>(info));
  EXPECT_EQ(Board()->Formation().SlotCount(), 19);
  EXPECT_EQ(Board()->Formation().Slot(19).kind, SlotKind::Empty);
  EXPECT_EQ(Board()->Formation().Slot(0).x, 0);
  EXPECT_TRUE(host.SentBytes().empty()) << "received changes are not echoed";
}

TEST_F(FormationWindowTest, PointerPositionText) {
  auto* text = Child<QLabel>("TextPos");
  QTest::mouseMove(Board(), At(8));
  EXPECT_EQ(text->text(), QStringLiteral("-90,75"));
  QTest::mouseMove(Board(), QPoint(60, 100));
  EXPECT_EQ(text->text(), QString());
}

TEST_F(FormationWindowTest, ClosingSendsCloseOnceAndReleasesTheWindow) {
  QSignalSpy closed(window.data(), &TFormFormation::OnClose);
  Child<QPushButton>("ButtonClose")->click();
  EXPECT_EQ(closed.count(), 1);
  EXPECT_EQ(host.SentBytes(), (std::vector<Bytes>{Frame(32, {0, 12})}));
  DeliverDeferredDeletes();
  EXPECT_TRUE(window.isNull());
}

TEST_F(FormationWindowTest, DestroyedWithItsFrameSendsNothing) {
  bool closed = false;
  QObject::connect(window.data(), &TFormFormation::OnClose, [&] { closed = true; });
  frame.reset();
  EXPECT_TRUE(window.isNull());
  EXPECT_TRUE(host.SentBytes().empty());
  EXPECT_FALSE(closed);
}

TEST_F(FormationWindowTest, RefusedOpenShowsTheBoxAndCloses) {
  GmFormationAOpen::Info answer;
  answer.room = 12;
  answer.result = 0;
  host.deliver<GmFormationAOpen>(answer);
  EXPECT_TRUE(platform.boxes.empty());
  TFormFormation* shown = window.data();
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->isVisible());

  QSignalSpy closed(window.data(), &TFormFormation::OnClose);
  answer.result = 1;
  EXPECT_TRUE(host.deliver<GmFormationAOpen>(answer));
  EXPECT_EQ(platform.errorTexts(), QStringList{QString::fromUtf8("フォーメーション盤を開くことができません")});
  EXPECT_EQ(closed.count(), 1);
  EXPECT_EQ(host.SentBytes(), (std::vector<Bytes>{Frame(32, {0, 12})}));
  DeliverDeferredDeletes();
  EXPECT_TRUE(window.isNull());
}

TEST_F(FormationWindowTest, FrameGoneWhileTheRefusalBoxIsOpen) {
  platform.duringBox = [&] { frame.reset(); };  // the member left the room meanwhile
  GmFormationAOpen::Info answer;
  answer.room = 12;
  answer.result = 2;
  EXPECT_TRUE(host.deliver<GmFormationAOpen>(answer));
  EXPECT_TRUE(window.isNull());
  EXPECT_TRUE(host.SentBytes().empty()) << "a window destroyed with its frame sends no close";
}

TEST_F(FormationWindowTest, ClosedByTheUserWhileTheRefusalBoxIsOpen) {
  platform.duringBox = [&] { window->close(); };
  GmFormationAOpen::Info answer;
  answer.room = 12;
  answer.result = 1;
  EXPECT_TRUE(host.deliver<GmFormationAOpen>(answer));
  EXPECT_EQ(host.SentBytes(), (std::vector<Bytes>{Frame(32, {0, 12})})) << "one close, not two";
}

TEST_F(FormationWindowTest, FrameGoneWhileTheNameDialogIsOpen) {
  QTest::mouseClick(Board(), Qt::RightButton, Qt::NoModifier, At(4));
  bool sawDialog = false;
  WhenModal([&](QWidget*) {
    sawDialog = true;
    frame.reset();  // the member left the room while the dialog was open
  });
  Choose(Board()->PlayerMenu()->actions()[4]);
  EXPECT_TRUE(sawDialog);
  EXPECT_TRUE(window.isNull());
  EXPECT_TRUE(host.SentBytes().empty());
}

TEST_F(FormationWindowTest, ReceivedChangeWhileDraggingKeepsTheDraggedDiscUnderThePointer) {
  QTest::mousePress(Board(), Qt::LeftButton, Qt::NoModifier, At(7));
  QTest::mouseMove(Board(), Px(1000, 1000));
  GmFormationInfo::Info info;
  info.room = 12;
  info.flags = 9 | GmFormationInfo::HasPosition;
  info.count = 1;
  info.entries[0].index = 7;
  info.entries[0].x = -3000;
  info.entries[0].y = 3000;
  EXPECT_TRUE(host.deliver<GmFormationInfo>(info));
  QTest::mouseMove(Board(), Px(1200, 1000));
  QTest::mouseRelease(Board(), Qt::LeftButton, Qt::NoModifier, Px(1200, 1000));
  ASSERT_EQ(host.SentBytes().size(), 1u);
  EXPECT_EQ(host.SentBytes()[0], Frame(33, {0x01, 0x02, 0, 12, 0x19, 1, 7, 0x04, 0xB0, 0x03, 0xE8}));
}

TEST_F(FormationWindowTest, FrameGoneMidDragSendsNothing) {
  QTest::mousePress(Board(), Qt::LeftButton, Qt::NoModifier, At(7));
  QTest::mouseMove(Board(), Px(1000, 1000));
  frame.reset();
  EXPECT_TRUE(window.isNull());
  EXPECT_TRUE(host.SentBytes().empty());
}

TEST_F(FormationWindowTest, ClosedMidDragSendsTheCloseLast) {
  QTest::mousePress(Board(), Qt::LeftButton, Qt::NoModifier, At(7));
  QTest::mouseMove(Board(), Px(1000, 1000));
  window->close();
  ASSERT_FALSE(host.SentBytes().empty());
  EXPECT_EQ(host.SentBytes().back(), Frame(32, {0, 12}));
  EXPECT_EQ(host.SentBytes().size(), 1u);
}
