// turfwing-game: a stand-in for the separate game program. Each start appends
// one line to a log:
//
//   cwd="/home/me/turfwing" args=["10.1.2.3","5000","abc","7","0","/r0","/s1","/m1","/f0",""]
//
// Every argument is quoted so blanks and empty arguments are visible; a double
// quote or backslash inside is escaped with a backslash and control bytes are
// written as \xNN; other bytes are kept as they came. The log is the file named
// by TURFWING_GAME_LOG, else turfwing-game.log beside this program.
//
// With a display it also shows the same in a small window that closes on a
// click or after ten seconds. With no display, with the option --no-window
// (taken out of the logged arguments) or with TURFWING_GAME_NO_WINDOW=1 it only
// writes the log and exits.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "log_text.h"

namespace {

bool HasDisplay() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform == "offscreen" || platform == "minimal") return false;
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
  return true;
#endif
}

class LaunchWindow final : public QWidget {
 public:
  explicit LaunchWindow(const QString& text) {
    setWindowTitle(QStringLiteral("turfwing-game"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("The game would start now with:"), this);
    auto* body = new QLabel(text, this);
    body->setTextFormat(Qt::PlainText);  // arguments are never markup
    body->setTextInteractionFlags(Qt::NoTextInteraction);
    body->setWordWrap(true);
    auto* hint = new QLabel(QStringLiteral("Click to close (closes by itself after ten seconds)."), this);
    layout->addWidget(heading);
    layout->addWidget(body);
    layout->addWidget(hint);
    setMinimumWidth(420);
    QTimer::singleShot(10000, this, &QWidget::close);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    event->accept();
    close();
  }
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  bool noWindow = qEnvironmentVariable("TURFWING_GAME_NO_WINDOW") == QStringLiteral("1");
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--no-window") {
      noWindow = true;
      continue;
    }
    args.emplace_back(argv[i]);
  }
  const bool window = !noWindow && HasDisplay();

  std::string line = "cwd=" + Quoted(QDir::currentPath().toStdString()) + " args=[";
  for (size_t i = 0; i < args.size(); ++i) line += (i ? "," : "") + Quoted(args[i]);
  line += "]\n";

  // The program's folder is known only once an application object exists.
  std::unique_ptr<QCoreApplication> app;
  if (window) {
    app = std::make_unique<QApplication>(argc, argv);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  QString logPath = qEnvironmentVariable("TURFWING_GAME_LOG");
  if (logPath.isEmpty())
    logPath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("turfwing-game.log"));
  QFile log(logPath);
  if (!log.open(QIODevice::WriteOnly | QIODevice::Append) ||
      log.write(line.data(), static_cast<qint64>(line.size())) != static_cast<qint64>(line.size())) {
    std::fprintf(stderr, "turfwing-game: cannot write %s: %s\n", logPath.toLocal8Bit().constData(),
                 log.errorString().toLocal8Bit().constData());
    return 1;
  }
  log.close();
  std::fputs(line.c_str(), stdout);
  if (!window) return 0;

  QString text = QStringLiteral("Working folder:\n  %1\n\nArguments (%2):").arg(QDir::currentPath()).arg(args.size());
  for (const std::string& a : args) text += QStringLiteral("\n  ") + QString::fromLocal8Bit(Quoted(a).c_str());
  LaunchWindow shown(text);
  shown.show();
  return app->exec();
}
