// The stadium list's tool tips: a cell whose column cuts its text short shows the
// whole text, as plain text, when the pointer rests on it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QTreeView>
#include <memory>

#include "lobby/game_list_panel.h"
#include "platform/cp932.h"
#include "recording_platform.h"
#include "session_double.h"
#include "wait.h"

namespace {

class StadiumPanelTipsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel = std::make_unique<TGameListPanel>(session, [] { return GameSetup{}; });
    panel->resize(631, 145);
    auto info = std::make_unique<GmStadiumAdd::Info>();
    const char* names[] = {"<b>とても長い名前の競技場</b>", "港"};
    for (const char* name : names) {
      GmStadiumAdd::Entry& e = info->entries[info->count];
      e.id = static_cast<uint32_t>(++info->count);
      e.playable = 1;
      CopyText(e.name, cp932::FromUtf8(name).c_str());
    }
    ASSERT_TRUE(session.deliver<GmStadiumAdd>(*info));
    panel->SetColumnWidth(0, 60);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
  }
  void TearDown() override { QToolTip::hideText(); }

  // Rests the pointer on the cell of row (in the list's order) and column 0.
  void RestOn(int row) {
    QTreeView* list = panel->GameList2();
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &help);
  }
  int RowOf(const char* utf8Name) const {
    const QAbstractItemModel* m = panel->GameList2()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
      if (m->index(r, 0).data().toString() == QString::fromUtf8(utf8Name)) return r;
    }
    return -1;
  }

  RecordingPlatform platform;
  SessionDouble session;
  std::unique_ptr<TGameListPanel> panel;
};

TEST_F(StadiumPanelTipsTest, ACutNameShowsWhollyAsPlainText) {
  const int row = RowOf("<b>とても長い名前の競技場</b>");
  ASSERT_GE(row, 0);
  RestOn(row);
  ASSERT_TRUE(WaitUntil([] { return QToolTip::isVisible(); }, 2000));
  // Escaped: the markup characters are shown, not obeyed.
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("&lt;b&gt;とても長い名前の競技場&lt;/b&gt;")))
      << QToolTip::text().toStdString();
}

TEST_F(StadiumPanelTipsTest, AWhollyShownNameAndAnEmptySpotShowNoTip) {
  RestOn(RowOf("<b>とても長い名前の競技場</b>"));
  ASSERT_TRUE(WaitUntil([] { return QToolTip::isVisible(); }, 2000));
  const int row = RowOf("港");
  ASSERT_GE(row, 0);
  RestOn(row);
  EXPECT_TRUE(WaitUntil([] { return !QToolTip::isVisible(); }, 2000)) << QToolTip::text().toStdString();

  // Below the last row: nothing to show.
  QTreeView* list = panel->GameList2();
  const QPoint below(10, list->viewport()->height() - 2);
  ASSERT_FALSE(list->indexAt(below).isValid());
  QHelpEvent help(QEvent::ToolTip, below, list->viewport()->mapToGlobal(below));
  QApplication::sendEvent(list->viewport(), &help);
  EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(StadiumPanelTipsTest, AWiderColumnNeedsNoTip) {
  panel->SetColumnWidth(0, 400);
  QApplication::processEvents();
  RestOn(RowOf("<b>とても長い名前の競技場</b>"));
  QApplication::processEvents();
  EXPECT_FALSE(QToolTip::isVisible()) << QToolTip::text().toStdString();
}

}  // namespace
