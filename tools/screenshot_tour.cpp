// A tour of every window as a new user meets it: logs in to a running lobby
// server (its demo world) with the real main window and saves one PNG per
// window.
//
//   turfwing-screenshot-tour PORTABLE_FOLDER PORT OUTPUT_FOLDER
//
// PORTABLE_FOLDER is an installed portable folder (its access.ini is copied and
// pointed at PORT; its sound/ is used). Prints "saved <file>" per picture and
// exits non-zero naming the first window it could not capture. Every wait has a
// limit, so the tour never hangs.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/application.h"
#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/form_create_room.h"
#include "chat/form_password.h"
#include "chat/form_room_list.h"
#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "dialogs/form_game_option.h"
#include "dialogs/form_login.h"
#include "dialogs/form_ping.h"
#include "dialogs/form_update.h"
#include "formation/form_board_name.h"
#include "formation/form_formation.h"
#include "lobby/form_main.h"
#include "lobby/game_list_panel.h"
#include "lobby/stadium_list.h"
#include "main_window_parts.h"
#include "platform/cp932.h"

namespace {

constexpr int kWaitMs = 15000;  // the longest any one step waits
constexpr int kSettleMs = 400;  // time for a shown window to lay out and paint
constexpr int kTourLimitMs = 300000;

// A step that could not be completed; the message names the window.
struct TourError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The text of the first message box the tour did not ask for; once set, no
// wait goes on (whatever it waited for will not come).
QString unexpectedBox;

// Runs the event loop until pred holds; false when the limit passed first or
// the program showed a message box of its own.
template <class Pred>
bool WaitUntil(Pred pred, int timeoutMs = kWaitMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!pred()) {
    if (deadline.hasExpired() || !unexpectedBox.isEmpty()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!pred()) QThread::msleep(5);
  }
  return true;
}

// Lets the window system map, lay out and paint what was just shown.
void Settle(int ms = kSettleMs) {
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

class Tour {
 public:
  Tour(QString portable, int port, QString out) : portable_(std::move(portable)), port_(port), out_(std::move(out)) {}

  // Runs every step in order; throws TourError at the first that fails.
  void Run() {
    WatchForBoxes();
    const struct Step {
      const char* name;
      void (Tour::*run)();
    } steps[] = {
        {"main window", &Tour::OpenMainWindow},
        {"login.png", &Tour::Login},
        {"room_list.png", &Tour::RoomList},
        {"create_room.png", &Tour::CreateRoom},
        {"room_password.png", &Tour::RoomPassword},
        {"game_options.png", &Tour::GameOptions},
        {"ping.png", &Tour::Ping},
        {"update.png", &Tour::Update},
        {"main.png", &Tour::MainWindow},
        {"formation.png", &Tour::Formation},
        {"player_name.png", &Tour::PlayerName},
    };
    for (const Step& step : steps) {
      current_ = step.name;
      std::string failure;
      try {
        (this->*step.run)();
      } catch (const TourError& e) {
        failure = e.what();
      }
      if (!unexpectedBox.isEmpty()) {
        if (failure.empty()) failure = current_;
        failure += " (the program showed \"" + unexpectedBox.toStdString() + "\")";
      }
      if (!failure.empty()) throw TourError(failure);
    }
  }
  ~Tour() {
    if (board_) board_->close();
    delete form_;
  }

 private:
  // A message box the tour did not ask for (a refused login, a lost connection)
  // would wait for a click forever: note its text, close it, and let the step fail.
  void WatchForBoxes() {
    auto* watch = new QTimer(QCoreApplication::instance());
    watch->setInterval(100);
    QObject::connect(watch, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      if (unexpectedBox.isEmpty()) unexpectedBox = box->text().simplified();
      std::fprintf(stderr, "screenshot tour: %s: message box \"%s\"\n", current_.c_str(),
                   box->text().toLocal8Bit().constData());
      box->reject();
    });
    watch->start();
  }

  // Saves the window's picture; the window must be shown.
  void Save(QWidget* window, const char* file) {
    if (window == nullptr || !window->isVisible()) throw TourError(std::string(file) + ": the window is not shown");
    const QString path = QDir(out_).filePath(QString::fromLatin1(file));
    if (!window->grab().save(path, "PNG")) throw TourError(std::string(file) + ": cannot write " + path.toStdString());
    std::printf("saved %s\n", QDir::toNativeSeparators(path).toLocal8Bit().constData());
    std::fflush(stdout);
  }

  // Calls open(), which runs a modal loop, with inside() queued to run from
  // within that loop. When open() returns without running a loop, inside()
  // never runs (it may hold references to this call's locals).
  static void WithinModal(const std::function<void()>& open, const std::function<void()>& inside) {
    QTimer kick;
    kick.setSingleShot(true);
    QObject::connect(&kick, &QTimer::timeout, inside);
    kick.start(0);
    open();
  }

  // Opens a modal dialog with open() and, from inside its loop, waits until it
  // is the active modal window and painted, runs ready(dialog) (which may wait
  // for more), saves it and closes it with reject() unless ready closed it.
  void CaptureModal(QDialog* dialog, const char* file, const std::function<void()>& open,
                    const std::function<void(QDialog*)>& ready = {}) {
    std::string failure;
    bool saved = false;
    WithinModal(open, [&] {
      try {
        if (!WaitUntil([&] { return QApplication::activeModalWidget() == dialog && dialog->isVisible(); }))
          throw TourError(std::string(file) + ": the dialog did not open");
        if (dialog->windowHandle() == nullptr || !WaitUntil([&] { return dialog->windowHandle()->isExposed(); }))
          throw TourError(std::string(file) + ": the dialog was never exposed");
        Settle();
        if (ready) ready(dialog);
        Settle(100);
        Save(dialog, file);
        saved = true;
      } catch (const TourError& e) {
        failure = e.what();
      }
      if (dialog->isVisible()) dialog->reject();
    });
    if (!failure.empty()) throw TourError(failure);
    if (!saved) throw TourError(std::string(file) + ": the dialog did not open");
  }

  void OpenMainWindow() {
    if (!dir_.isValid()) throw TourError("cannot create a temporary folder");
    const QString access = dir_.filePath(QStringLiteral("access.ini"));
    QFile source(QDir(portable_).filePath(QStringLiteral("access.ini")));
    if (!source.open(QIODevice::ReadOnly)) throw TourError("no access.ini in " + portable_.toStdString());
    QByteArray text = source.readAll();
    // Point the copy at the server's port, keeping its line ends.
    const qsizetype at = text.indexOf("\nPort=");
    if (at < 0) throw TourError("access.ini has no Port line");
    qsizetype end = at + 6;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    text.replace(at + 6, end - at - 6, QByteArray::number(port_));
    QFile copy(access);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(text) != text.size()) throw TourError("cannot write access.ini");
    copy.close();

    form_ = new TFormMain(access.toStdString(), dir_.filePath(QStringLiteral("turfwing.INI")).toStdString());
    form_->setDataFolder(portable_);
    // The tour opens the login dialog itself, as the connect command does.
    form_->setAutoConnectPending(false);
    form_->show();
    form_->activateWindow();
    if (!WaitUntil([&] { return form_->windowHandle() != nullptr && form_->windowHandle()->isExposed(); }))
      throw TourError("main window: never exposed");
  }

  void Login() {
    CaptureModal(Child<TFormLogin>(*form_, "FormLogin"), "login.png",
                 [&] { Child<QAction>(*form_, "OpenMenu")->trigger(); });
    // Now log in as a new member would: type an ID and a password, press the button.
    WithinModal([&] { Child<QAction>(*form_, "OpenMenu")->trigger(); },
                [&] {
                  if (!WaitUntil([&] { return Child<TFormLogin>(*form_, "FormLogin")->isVisible(); })) return;
                  auto* id = Child<TFormLogin>(*form_, "FormLogin")->findChild<QLineEdit*>(QStringLiteral("EditID"));
                  auto* password =
                      Child<TFormLogin>(*form_, "FormLogin")->findChild<QLineEdit*>(QStringLiteral("EditPassword"));
                  auto* ok =
                      Child<TFormLogin>(*form_, "FormLogin")->findChild<QPushButton*>(QStringLiteral("ButtonOk"));
                  if (id != nullptr && password != nullptr && ok != nullptr) {
                    id->setText(QStringLiteral("1001"));
                    password->setText(QStringLiteral("demo1001"));
                    ok->click();
                  }
                  if (Child<TFormLogin>(*form_, "FormLogin")->isVisible())
                    Child<TFormLogin>(*form_, "FormLogin")->reject();
                });
    if (!WaitUntil([&] { return !form_->session().playerName().empty(); }))
      throw TourError("login.png: no login answer");
    if (!WaitUntil([&] { return Child<QTabWidget>(*form_, "PageControl1")->count() >= 1; }))
      throw TourError("login.png: no lobby tab after the login");
  }

  // The room list with its rows; enters the chat room from it.
  void RoomList() {
    TFormRoomList* list = Child<TFormRoomList>(*form_, "FormRoomList");
    CaptureModal(
        list, "room_list.png", [&] { Child<QAction>(*form_, "MenuRoomList")->trigger(); },
        [&](QDialog*) {
          if (!WaitUntil([&] { return list->RoomList2()->topLevelItemCount() >= 3; }))
            throw TourError("room_list.png: no rows");
          Settle(100);
        });
    EnterRoom(QStringLiteral("雑談部屋"));
  }

  void EnterRoom(const QString& name) {
    TFormRoomList* list = Child<TFormRoomList>(*form_, "FormRoomList");
    bool entered = false;
    WithinModal([&] { Child<QAction>(*form_, "MenuRoomList")->trigger(); },
                [&] {
                  QTreeWidgetItem* row = nullptr;
                  WaitUntil([&] {
                    const auto found = list->RoomList2()->findItems(name, Qt::MatchExactly, 0);
                    row = found.isEmpty() ? nullptr : found.first();
                    return row != nullptr;
                  });
                  if (row != nullptr) {
                    list->RoomList2()->setCurrentItem(row);
                    row->setSelected(true);
                    list->ButtonEnter()->click();
                    entered = !list->isVisible();
                  }
                  if (list->isVisible()) list->reject();
                });
    if (!entered) throw TourError(current_ + ": cannot enter " + name.toStdString());
    if (!WaitUntil([&] { return Tab(name) != nullptr; }))
      throw TourError(current_ + ": no tab for " + name.toStdString());
  }

  TChatSheet* Tab(const QString& caption) const {
    for (int i = 0; i < Child<QTabWidget>(*form_, "PageControl1")->count(); ++i) {
      if (Child<QTabWidget>(*form_, "PageControl1")->tabText(i) == caption)
        return Child<ChatTabs>(*form_, "ChatTabs")->Page(i);
    }
    return nullptr;
  }

  void Say(const QString& line) {
    Child<QComboBox>(*form_, "EditInputChat")->setEditText(line);
    Child<QPushButton>(*form_, "ButtonSendChat")->click();
  }

  // Two tabs with lines and members, the stadium list with its rows.
  void MainWindow() {
    TChatSheet* lobby = Tab(QStringLiteral("待合室"));
    TChatSheet* room = Tab(QStringLiteral("雑談部屋"));
    if (lobby == nullptr || room == nullptr) throw TourError("main.png: the two tabs are not there");
    Child<QTabWidget>(*form_, "PageControl1")->setCurrentWidget(room);
    Say(QStringLiteral("はじめまして、よろしくお願いします！"));
    Child<QTabWidget>(*form_, "PageControl1")->setCurrentWidget(lobby);
    Say(QStringLiteral("こんばんは。誰か試合しませんか？"));
    auto log = [&] { return lobby->Frame()->EditLog()->PlainText(); };
    if (!WaitUntil([&] { return log().contains(QStringLiteral("誰か試合しませんか")); }))
      throw TourError("main.png: the own line never came back");
    if (!WaitUntil([&] { return lobby->Frame()->UserRowCount() >= 2; }))
      throw TourError("main.png: no members in the lobby");
    if (!WaitUntil([&] { return Child<TGameListPanel>(*form_, "PanelGameList")->stadiums().size() >= 3; }))
      throw TourError("main.png: no stadium rows");
    // The demo's members talk now and then: give them a moment for a few lines.
    WaitUntil([&] { return log().count(QLatin1Char('\n')) >= 3; }, 12000);
    Child<QComboBox>(*form_, "EditInputChat")->setFocus();
    Settle();
    Save(form_, "main.png");
  }

  void CreateRoom() {
    CaptureModal(Child<TFormCreateRoom>(*form_, "FormCreateRoom"), "create_room.png",
                 [&] { Child<QAction>(*form_, "CreateMenu")->trigger(); });
  }

  void RoomPassword() {
    std::string password;
    CaptureModal(Child<TFormPassword>(*form_, "FormPassword"), "room_password.png",
                 [&] { form_->PasswordExecute(password); });
  }

  void GameOptions() {
    CaptureModal(Child<TFormGameOption>(*form_, "FormGameOption"), "game_options.png",
                 [&] { Child<QAction>(*form_, "MenuGameOption")->trigger(); });
  }

  void Ping() {
    CaptureModal(
        Child<TFormPing>(*form_, "FormPing"), "ping.png", [&] { Child<QAction>(*form_, "MenuPing")->trigger(); },
        [&](QDialog*) {
          if (!WaitUntil([&] { return Child<TFormPing>(*form_, "FormPing")->Results().size() >= 2; }))
            throw TourError("ping.png: no ping answer");
        });
  }

  void Update() {
    CaptureModal(form_->UpdateNotice(), "update.png",
                 [&] { form_->UpdateNotice()->Execute(form_->settings().Access.UrlDownload); });
  }

  // The team room's formation board with its extended panel open.
  void Formation() {
    const QString team = QStringLiteral("ターフFC控室");
    EnterRoom(team);
    TChatSheet* room = Tab(team);
    Child<QTabWidget>(*form_, "PageControl1")->setCurrentWidget(room);
    if (!room->Frame()->ButtonFormation()->isEnabled()) throw TourError("formation.png: the board button is off");
    room->Frame()->ButtonFormation()->click();
    board_ = room->Frame()->FormationWindow();
    if (board_ == nullptr) throw TourError("formation.png: no board window");
    if (!WaitUntil([&] { return board_ && board_->windowHandle() && board_->windowHandle()->isExposed(); }))
      throw TourError("formation.png: the board never showed");
    auto* extra = board_->findChild<QCheckBox*>(QStringLiteral("CheckExtra"));
    if (extra == nullptr) throw TourError("formation.png: no extended menu box");
    extra->setChecked(true);
    Settle(800);  // the server's answer and the first board state
    if (!board_) throw TourError("formation.png: the server closed the board");
    Save(board_, "formation.png");
  }

  void PlayerName() {
    if (!board_) throw TourError("player_name.png: the board is gone");
    // The dialog the board's context menu opens for a player's name.
    auto* dialog = new TFormBoardName(board_);
    std::string name = cp932::FromUtf8("ｹﾝﾀ");
    CaptureModal(dialog, "player_name.png", [&] { dialog->BoardNameExecute(name); });
  }

  QString portable_;
  int port_;
  QString out_;
  std::string current_;
  QTemporaryDir dir_;
  TFormMain* form_ = nullptr;
  QPointer<TFormFormation> board_;
};

}  // namespace

int main(int argc, char** argv) {
  TurfwingApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  bool portOk = false;
  const int port = args.size() == 4 ? args[2].toInt(&portOk) : 0;
  if (!portOk || port <= 0 || port > 65535) {
    std::fprintf(stderr, "usage: turfwing-screenshot-tour PORTABLE_FOLDER PORT OUTPUT_FOLDER\n");
    return 2;
  }
  if (!QDir().mkpath(args[3])) {
    std::fprintf(stderr, "screenshot tour: cannot create %s\n", args[3].toLocal8Bit().constData());
    return 1;
  }
  // Anything the program would show as an error box ends the tour instead.
  TurfwingApplication::setErrorDisplay([](const QString& message) {
    std::fprintf(stderr, "screenshot tour: error shown: %s\n", message.toLocal8Bit().constData());
  });
  // The last resort against a hang no step foresaw: every step waits at most
  // kWaitMs, so the whole tour never needs this long.
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, [] {
    std::fprintf(stderr, "screenshot tour: gave up after %d seconds\n", kTourLimitMs / 1000);
    std::fflush(stderr);
    std::_Exit(1);
  });
  deadline.start(kTourLimitMs);
  try {
    Tour tour(args[1], port, args[3]);
    tour.Run();
  } catch (const TourError& e) {
    std::fprintf(stderr, "screenshot tour: could not capture %s\n", e.what());
    return 1;
  }
  return 0;
}
