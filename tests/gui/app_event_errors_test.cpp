// An exception thrown by an event handler is shown to the user and the program
// goes on, instead of unwinding through the event loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <stdexcept>

#include "app/application.h"
#include "wait.h"

namespace {
class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("handler failed");
    return QObject::event(e);
  }
};
}  // namespace

TEST(ApplicationTest, ExceptionInAHandlerIsShownAndTheLoopGoesOn) {
  QStringList shown;
  TurfwingApplication::setErrorDisplay([&](const QString& message) { shown << message; });
  Thrower thrower;
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  bool later = false;
  QTimer::singleShot(0, [&] { later = true; });
  EXPECT_TRUE(WaitUntil([&] { return later && !shown.isEmpty(); }));
  EXPECT_EQ(shown, QStringList{QStringLiteral("handler failed")});
  TurfwingApplication::setErrorDisplay(nullptr);
}

TEST(ApplicationTest, QtsOwnButtonsSpeakJapanese) {
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("はい(&Y)"));
}
