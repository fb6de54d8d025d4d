// What a screen reader says for the inputs and lists: each named by the caption
// beside it, without its mnemonic. (A list box of choices is read by its value
// on Linux, inside its named group.)
#include <gtest/gtest.h>

#include <QAccessible>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <iterator>

#include "lobby/form_main.h"
#include "main_window_harness.h"
#include "platform/qt_text.h"
#include "recording_platform.h"

namespace {

QString SpokenName(QObject* object) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
  return face != nullptr ? face->text(QAccessible::Name) : QString();
}

// The main window with its dialogs, never shown.
class AccessibleNamesTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  QTemporaryDir dir;
  TFormMain form{AccessPathIn(dir.path()), SettingsPathIn(dir.path())};
};

TEST_F(AccessibleNamesTest, InputsAndListsAreNamedByTheirCaptions) {
  const struct {
    const char* dialog;  // nullptr: the main window
    const char* control;
    const char* name;
  } rows[] = {
      {"FormLogin", "EditID", "ID"},
      {"FormLogin", "EditPassword", "パスワード"},
      {"FormCreateRoom", "EditName", "部屋名"},
      {"FormCreateRoom", "EditPassword", "パスワード"},
      {"FormCreateRoom", "EditTeamID", "チームID"},
      {"FormPassword", "EditPassword", "パスワード"},
      {"FormRoomList", "RoomList2", "部屋一覧"},
      {nullptr, "EditInputChat", "入力"},
      {nullptr, "GameList2", "競技場一覧"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.control);
    QObject* parent = row.dialog != nullptr ? form.findChild<QObject*>(QString::fromLatin1(row.dialog)) : &form;
    ASSERT_NE(parent, nullptr) << row.dialog;
    QObject* control = parent->findChild<QObject*>(QString::fromLatin1(row.control));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(SpokenName(control), QString::fromUtf8(row.name));
  }
}

// Every control a player can operate, in the main window and every dialog it
// owns, has something to be called by; a new control without a name fails here.
TEST_F(AccessibleNamesTest, NoOperableControlIsNameless) {
  static const QAccessible::Role operable[] = {
      QAccessible::EditableText, QAccessible::ComboBox,   QAccessible::List,      QAccessible::Tree,
      QAccessible::Table,        QAccessible::PushButton, QAccessible::CheckBox,  QAccessible::RadioButton,
      QAccessible::SpinBox,      QAccessible::Slider,     QAccessible::ButtonMenu};
  int seen = 0;
  for (QWidget* w : form.findChildren<QWidget*>()) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    if (face == nullptr || std::find(std::begin(operable), std::end(operable), face->role()) == std::end(operable))
      continue;
    // The scroll buttons of a tab bar and the like are Qt's own, with Qt's names.
    // A combo box's drop-down list is Qt's own and read inside the named box.
    if (w->objectName().startsWith(QLatin1String("qt_")) || w->inherits("QComboBoxListView")) continue;
    ++seen;
    EXPECT_FALSE(face->text(QAccessible::Name).trimmed().isEmpty())
        << w->metaObject()->className() << " " << w->objectName().toStdString() << " in "
        << w->window()->objectName().toStdString();
  }
  EXPECT_GT(seen, 30) << "the walk found the dialogs' controls";
}

TEST(MnemonicTest, MnemonicsAreNotSpoken) {
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("入室者一覧(&U)")), QStringLiteral("入室者一覧"));
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("接続(&O)...")), QStringLiteral("接続..."));
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("Q&&A")), QStringLiteral("Q&A"));
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("&File")), QStringLiteral("File"));
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("trailing&")), QStringLiteral("trailing&"));
}

}  // namespace
