// Every dialog laid out with the application's Japanese font: no text clipped,
// no control outside its window, sizes near the design. With TURFWING_RENDER_DIR
// set, each window is also saved there as a PNG for a person to look at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <memory>

#include "app/application.h"
#include "chat/form_create_room.h"
#include "chat/form_password.h"
#include "dialogs/debug_form.h"
#include "dialogs/form_game_option.h"
#include "dialogs/form_login.h"
#include "dialogs/form_ping.h"
#include "dialogs/form_update.h"

namespace {

class DialogLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFont_ = QApplication::font();
    InstallJapaneseFont(*qApp);
  }
  void TearDown() override { QApplication::setFont(savedFont_); }

  // Shows the window, checks every text fits, and saves a picture on request.
  void Check(QWidget* w, QSize design, const char* file) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QApplication::processEvents();
    // A window taller than the screen is fitted to it.
    design = design.boundedTo(w->screen()->availableGeometry().size() - (w->frameGeometry().size() - w->size()));
    EXPECT_GE(w->width(), design.width() - 4) << file;
    EXPECT_GE(w->height(), design.height() - 4) << file;
    EXPECT_LE(w->width(), design.width() * 3 / 2) << file << " grew far beyond its design width";
    EXPECT_LE(w->height(), design.height() * 3 / 2) << file << " grew far beyond its design height";

    for (QWidget* c : w->findChildren<QWidget*>()) {
      if (!c->isVisibleTo(w)) continue;
      const QRect inWindow(c->mapTo(w, QPoint(0, 0)), c->size());
      EXPECT_TRUE(w->rect().contains(inWindow)) << file << ": " << c->objectName().toStdString() << " outside";
      const std::string name = c->objectName().toStdString() + " " + c->metaObject()->className();
      if (auto* label = qobject_cast<QLabel*>(c)) {
        if (label->wordWrap()) {
          EXPECT_GE(label->height(), label->heightForWidth(label->width())) << file << ": " << name;
        } else if (label->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored) {
          EXPECT_GE(label->width(), label->sizeHint().width()) << file << ": " << name;
        }
      } else if (qobject_cast<QAbstractButton*>(c) || qobject_cast<QComboBox*>(c)) {
        EXPECT_GE(c->width(), c->minimumSizeHint().width()) << file << ": " << name;
        EXPECT_GE(c->height(), c->minimumSizeHint().height()) << file << ": " << name;
        EXPECT_GE(c->width(), c->sizeHint().width()) << file << ": " << name;
      } else if (auto* box = qobject_cast<QGroupBox*>(c)) {
        EXPECT_GE(box->width(), box->minimumSizeHint().width()) << file << ": " << name;
      } else if (qobject_cast<QLineEdit*>(c)) {
        EXPECT_GE(c->height(), c->minimumSizeHint().height()) << file << ": " << name;
      }
    }

    const QByteArray dir = qgetenv("TURFWING_RENDER_DIR");
    if (!dir.isEmpty()) {
      QDir().mkpath(QString::fromLocal8Bit(dir));
      w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QString::fromLatin1(file));
    }
    w->hide();
  }

 private:
  QFont savedFont_;
};

TEST_F(DialogLayoutTest, LoginFitsItsTexts) {
  TFormLogin d;
  d.findChild<QLineEdit*>(QStringLiteral("EditID"))->setText(QStringLiteral("12345678"));
  d.findChild<QLineEdit*>(QStringLiteral("EditPassword"))->setText(QStringLiteral("ABCDEFGHIJKL"));
  Check(&d, QSize(324, 163), "login.png");
}

TEST_F(DialogLayoutTest, GameOptionsFitTheirTexts) {
  TFormGameOption d;
  Check(&d, QSize(480, 252), "game_option.png");
}

TEST_F(DialogLayoutTest, PingFitsItsTexts) {
  TFormPing d;
  d.AddResult(31);
  d.AddResult(1200);
  Check(&d, QSize(211, 337), "ping.png");
}

TEST_F(DialogLayoutTest, UpdateNoticeFitsItsTexts) {
  TFormUpdate d;
  d.findChild<TLinkLabel*>(QStringLiteral("LabelURL"))
      ->setAddress(QStringLiteral("http://download.example.test/client/turfwing-2.18.56-setup-full-package.exe"));
  Check(&d, QSize(319, 151), "update.png");
}

TEST_F(DialogLayoutTest, DebugWindowFitsItsTexts) {
  TDebugForm d;
  d.AddLine(QStringLiteral("recv talk <b>room</b> 待合室"));
  Check(&d, QSize(250, 987), "debug.png");
}

TEST_F(DialogLayoutTest, CreateRoomFitsItsTexts) {
  TFormCreateRoom d;
  d.findChild<QLineEdit*>(QStringLiteral("EditName"))->setText(QStringLiteral("ＷＷＷＷＷＷＷＷＷ"));
  Check(&d, QSize(311, 225), "create_room.png");
}

TEST_F(DialogLayoutTest, PasswordFitsItsTexts) {
  TFormPassword d;
  Check(&d, QSize(312, 126), "password.png");
}

}  // namespace
