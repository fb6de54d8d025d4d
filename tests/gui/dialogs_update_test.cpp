// The update notice with its download link, and the debug log window.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "dialogs/debug_form.h"
#include "dialogs/form_update.h"
#include "platform/cp932.h"
#include "recording_platform.h"

namespace {

class UpdateNoticeTest : public ::testing::Test {
 protected:
  TLinkLabel* link() { return notice.findChild<TLinkLabel*>(QStringLiteral("LabelURL")); }
  QPushButton* ok() { return notice.findChild<QPushButton*>(QStringLiteral("ButtonOk")); }

  void Run(const std::string& address, const std::function<void()>& during) {
    QTimer::singleShot(0, &notice, [this, during] {
      during();
      if (notice.isVisible()) {
        ADD_FAILURE() << "the notice is still open";
        notice.reject();
      }
    });
    notice.Execute(address);
  }

  RecordingPlatform platform;
  TFormUpdate notice;
};

TEST_F(UpdateNoticeTest, LinkShowsAndOpensTheAddressAndTheNoticeStays) {
  Run("http://example.test/download", [&] {
    EXPECT_EQ(link()->text(), QStringLiteral("http://example.test/download"));
    QTest::mouseClick(link(), Qt::LeftButton);
    EXPECT_TRUE(notice.isVisible());
    QTest::mouseClick(ok(), Qt::LeftButton);
  });
  EXPECT_EQ(platform.openedUrls, QStringList{QStringLiteral("http://example.test/download")});
  EXPECT_EQ(notice.result(), QDialog::Accepted);
}

TEST_F(UpdateNoticeTest, RightClickDoesNotOpen) {
  Run("http://example.test/download", [&] {
    QTest::mouseClick(link(), Qt::RightButton);
    QTest::keyClick(ok(), Qt::Key_Return);
  });
  EXPECT_TRUE(platform.openedUrls.isEmpty());
}

TEST_F(UpdateNoticeTest, EnterAndEscapeEndWithOk) {
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    Run("http://example.test/", [&] { QTest::keyClick(notice.focusWidget(), key); });
    EXPECT_EQ(notice.result(), QDialog::Accepted) << key;
  }
}

TEST_F(UpdateNoticeTest, EmptyAddressStillOpensWithAnEmptyLink) {
  Run("", [&] {
    EXPECT_TRUE(notice.isVisible());
    EXPECT_EQ(link()->text(), QString());
    QTest::mouseClick(link(), Qt::LeftButton);
    QTest::mouseClick(ok(), Qt::LeftButton);
  });
  EXPECT_TRUE(platform.openedUrls.isEmpty()) << "nothing to open";
}

TEST_F(UpdateNoticeTest, AddressIsPlainTextAndLongOnesOpenWhole) {
  const std::string longAddress = "http://example.test/" + std::string(300, 'x') + "/<b>new</b>";
  Run(longAddress, [&] {
    EXPECT_EQ(link()->textFormat(), Qt::PlainText);
    EXPECT_LE(link()->sizeHint().width(), link()->width()) << "the link is shortened, not cut off";
    QTest::mouseClick(link(), Qt::LeftButton);
    QTest::keyClick(ok(), Qt::Key_Return);
  });
  EXPECT_EQ(platform.openedUrls, QStringList{QString::fromStdString(longAddress)});
  EXPECT_EQ(notice.Address(), QString::fromStdString(longAddress));
}

TEST_F(UpdateNoticeTest, JapaneseAddressIsConvertedFromCp932) {
  Run(cp932::FromUtf8("http://例え.test/ダウンロード"), [&] {
    QTest::mouseClick(link(), Qt::LeftButton);
    QTest::mouseClick(ok(), Qt::LeftButton);
  });
  EXPECT_EQ(platform.openedUrls, QStringList{QStringLiteral("http://例え.test/ダウンロード")});
}

TEST(DebugFormTest, LinesAreAppendedAsPlainText) {
  TDebugForm form;
  form.AddLine(QStringLiteral("connect"));
  form.AddLine(QStringLiteral("recv talk <b>bold</b> &amp; 待合室"));
  auto* output = form.findChild<QPlainTextEdit*>(QStringLiteral("Output"));
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(output->toPlainText(), QStringLiteral("connect\nrecv talk <b>bold</b> &amp; 待合室"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Debug"));
  EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(form.isVisible()) << "created hidden";
}

TEST(DebugFormTest, ClosingHidesAndKeepsTheWindow) {
  QPointer<TDebugForm> form = new TDebugForm;
  form->show();
  form->AddLine(QStringLiteral("a"));
  EXPECT_TRUE(form->close() || !form->isVisible());
  QCoreApplication::processEvents();
  ASSERT_FALSE(form.isNull());
  EXPECT_FALSE(form->isVisible());
  form->show();
  EXPECT_EQ(form->findChild<QPlainTextEdit*>(QStringLiteral("Output"))->toPlainText(), QStringLiteral("a"));
  delete form.data();
}

TEST(DebugFormTest, OldestLinesGoBeyondTheLimit) {
  TDebugForm form;
  for (int i = 0; i < TDebugForm::kMaxLines + 3; ++i) form.AddLine(QString::number(i));
  auto* output = form.findChild<QPlainTextEdit*>(QStringLiteral("Output"));
  EXPECT_EQ(output->document()->blockCount(), TDebugForm::kMaxLines);
  EXPECT_EQ(output->document()->firstBlock().text(), QStringLiteral("3"));
  EXPECT_EQ(output->document()->lastBlock().text(), QString::number(TDebugForm::kMaxLines + 2));
}

TEST(DebugFormTest, ShownOnTheScreenEvenWhenItIsSmall) {
  TDebugForm form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const QRect avail = form.screen()->availableGeometry();
  EXPECT_TRUE(avail.contains(form.geometry())) << "window " << form.geometry().x() << "," << form.geometry().y() << " "
                                               << form.geometry().width() << "x" << form.geometry().height();
}

}  // namespace
