#pragma once
// A Platform that records every request instead of touching the world, with
// scripted answers. Install it for the life of a test:
//
//   RecordingPlatform platform;   // installs itself, uninstalls on destruction
//   platform.yesNoAnswers = {true};
//   platform.duringBox = [&] { server.send(...); WaitUntil(...); };  // nested loop
//
// duringBox runs inside each modal call, where the real box would run its
// nested event loop, so tests can deliver events while a box is "open".
//
// With realBoxes set, every box is also a real QMessageBox of the real
// platform, with its own nested loop: duringBox then runs inside that loop once
// the box is on screen, and the box is answered afterwards (yesNoAnswers, or OK)
// unless it closed with its owner, which the record then says.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "platform/platform.h"

class RecordingPlatform final : public Platform {
 public:
  struct Box {
    enum Kind { Error, Information, Question } kind;
    QString caption;
    QString text;
    bool closedWithOwner = false;  // real boxes only: the owner was destroyed under it
  };
  struct Start {
    QString program;
    QString parameters;
    QString workingDirectory;
    QString runner;
  };

  RecordingPlatform() { Platform::install(this); }
  ~RecordingPlatform() override { Platform::install(nullptr); }

  std::vector<Box> boxes;
  std::deque<bool> yesNoAnswers;  // empty: No
  std::function<void()> duringBox;
  bool realBoxes = false;
  // Real boxes: pressed only once this holds (after 5 s in any case, so a test
  // that waits for an owner that never goes fails instead of hanging).
  std::function<bool()> answerWhen;
  QStringList openedUrls;
  std::vector<Start> starts;
  bool startResult = true;
  QStringList sounds;
  uint32_t now = 1000;
  std::deque<QString> fileNames;  // answers of openFileName; empty: cancelled
  struct FileDialogCall {
    QString caption, directory, filter, defaultSuffix;
  };
  std::vector<FileDialogCall> fileDialogs;
  int alerts = 0;
  struct Notification {
    QString summary, body;
  };
  std::vector<Notification> notifications;

  void errorBox(QWidget*, const QString& text) override;
  void informationBox(QWidget*, const QString& caption, const QString& text) override;
  bool yesNoQuestion(QWidget*, const QString& caption, const QString& text) override;
  void openUrl(const QString& address) override { openedUrls << address; }
  void notify(QWidget*, const QString& summary, const QString& body) override {
    notifications.push_back({summary, body});
  }
  bool startProgram(const QString& program, const QString& parameters, const QString& workingDirectory,
                    const QString& runner) override {
    starts.push_back({program, parameters, workingDirectory, runner});
    return startResult;
  }
  void playSound(const QString& wavPath) override { sounds << wavPath; }
  uint32_t tick() override { return now; }
  QString openFileName(QWidget*, const QString& caption, const QString& directory, const QString& filter,
                       const QString& defaultSuffix) override;
  void alert(QWidget*) override { ++alerts; }

  // The texts of the error boxes shown so far.
  QStringList errorTexts() const;

 private:
  void runDuringBox();
  // Shows the box for real (realBoxes) and answers it; returns its answer.
  bool showReal(QWidget* parent, Box::Kind kind, bool answer);
};
