#pragma once
// Tests against a real X server (scripts/test starts one): what the window
// system holds for the program's windows is read back from the server itself,
// not from Qt, and input arrives as X events through the server.

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QWidget>
#include <string>

#include "wait.h"
#include "x11_connection.h"

// Skips a test that needs the X server when the suite runs without one.
#define REQUIRE_X11()                                                                        \
  do {                                                                                       \
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))                            \
      GTEST_SKIP() << "needs an X server (DISPLAY); scripts/test starts one for this suite"; \
  } while (false)

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "lobby/form_main.h"
#include "main_window_harness.h"
#include "recording_platform.h"
#include "scripted_server.h"

// A real main window on the X server against a scripted lobby server.
class X11ClientTest : public ::testing::Test {
 public:
  static constexpr int16_t kClientId = 77;

 protected:
  void SetUp() override {
    REQUIRE_X11();
    ASSERT_TRUE(x.ok());
  }

  // Shown, and holding the input focus of the X server.
  ::testing::AssertionResult ShowForm() {
    form.show();
    form.activateWindow();
    if (!WaitUntil([&] { return QApplication::activeWindow() == &form; }))
      return ::testing::AssertionFailure() << "the main window never became active";
    return ::testing::AssertionSuccess();
  }
  // Connected and past the handshake, with the login answered.
  ::testing::AssertionResult LogIn() { return harness.LogIn(kClientId, "Player1"); }
  // Answers GmReady and then GmConnect as a lobby server does.
  void Answer() { EXPECT_TRUE(harness.AnswerLogin(kClientId, "Player1")); }
  // The last frame of type M the client sent, decoded; false when none.
  template <class M>
  bool LastSent(typename M::Info& info) const {
    for (size_t i = server.frames().size(); i-- > 0;) {
      if (server.decodeFrame<M>(i, info)) return true;
    }
    return false;
  }
  // Waits until the caption the window system shows for w is utf8.
  ::testing::AssertionResult Shows(const QWidget* w, const char* utf8) {
    WaitUntil([&] { return x.Title(w) == utf8; }, 3000);
    const std::string title = x.Title(w);
    if (title == utf8) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the window system shows \"" << title << "\", not \"" << utf8 << "\"";
  }

  // A person at the keyboard: the script runs on a thread of its own, with its
  // own connection to the X server, while this thread runs the program's loops
  // (a modal dialog's among them). Returns the script's complaints.
  class User {
   public:
    // Waits until the window with this object name is the active one, and the
    // X server sends the keyboard to it (the program's request for the focus
    // and this user's keys travel on different connections).
    bool WaitFor(const char* objectName, int timeoutMs = 5000) {
      const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
      while (std::chrono::steady_clock::now() < end) {
        xcb_window_t window = XCB_NONE;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          if (active_ == objectName) window = activeId_;
        }
        if (window != XCB_NONE && x.Focus() == window) {
          // A person reads a dialog before typing into it; keys sent within
          // microseconds of its focus can reach it before the toolkit has set
          // up its focus widget.
          std::this_thread::sleep_for(std::chrono::milliseconds(150));
          return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      Complain(std::string(objectName) + " never became the active window");
      return false;
    }
    void Complain(const std::string& what) {
      std::lock_guard<std::mutex> lock(mutex_);
      complaints_.push_back(what);
    }
    X11Connection x;

   private:
    friend class X11ClientTest;
    std::mutex mutex_;
    std::string active_;
    xcb_window_t activeId_ = XCB_NONE;
    std::vector<std::string> complaints_;
  };

  // Keysyms of the keys the scripts press, and Ctrl with a letter.
  static constexpr uint32_t kTab = 0xff09, kReturn = 0xff0d, kEscape = 0xff1b, kDown = 0xff54, kUp = 0xff52;
  static void Control(User& u, char letter) {
    u.x.Hold(u.x.Code(0xffe3), [&] { u.x.Press(static_cast<uint32_t>(letter)); });
  }

  ::testing::AssertionResult RunAsUser(const std::function<void(User&)>& script) {
    User user;
    std::atomic<bool> done{false};
    // What the user sees: the active window, published every few milliseconds
    // from whichever loop runs. A dialog still open two seconds after the
    // script's last key is closed, so the test fails instead of waiting in its
    // loop (the keys themselves take a moment to arrive).
    QDeadlineTimer grace(QDeadlineTimer::Forever);
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      QWidget* active = QApplication::activeWindow();
      {
        std::lock_guard<std::mutex> lock(user.mutex_);
        user.active_ = active != nullptr ? active->objectName().toStdString() : std::string();
        user.activeId_ = active != nullptr ? static_cast<xcb_window_t>(active->winId()) : xcb_window_t{XCB_NONE};
      }
      if (!done) return;
      if (grace.isForever()) grace.setRemainingTime(2000);
      if (!grace.hasExpired()) return;
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        user.complaints_.push_back(dialog->objectName().toStdString() + " was left open");
        dialog->reject();
      }
    });
    watch.start();
    std::thread person([&] {
      script(user);
      user.x.Focus();  // a round trip: the server has taken every key
      done = true;
    });
    WaitUntil([&] { return done.load() && QApplication::activeModalWidget() == nullptr; }, 30000);
    person.join();
    // Let the last keys' effects arrive.
    WaitUntil([] { return false; }, 50);
    if (user.complaints_.empty()) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    for (const std::string& c : user.complaints_) failure << c << "; ";
    return failure;
  }

  RecordingPlatform platform;
  MainWindowHarness harness;
  ScriptedServer& server = harness.server;
  TFormMain& form = harness.form;
  X11Connection x;
};
