#pragma once
// The application object: Japanese translations for Qt's own texts, a Japanese
// font at the design size, and exceptions caught where events are delivered.

#include <QApplication>
#include <QIcon>
#include <functional>

class TurfwingApplication final : public QApplication {
  Q_OBJECT
 public:
  TurfwingApplication(int& argc, char** argv);

  // Shows an exception that reached the event loop; the program goes on. Tests
  // replace it to observe what would have been shown; nullptr restores the box.
  using ErrorDisplay = std::function<void(const QString& message)>;
  static void setErrorDisplay(ErrorDisplay display);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void installTranslations();
};

// The program's icon in every size it ships, for every top-level window.
QIcon ProgramIcon();

// Picks "ＭＳ Ｐゴシック" where installed, else an installed Japanese font, 12 pixels high.
void InstallJapaneseFont(QApplication& app);
