#include "recording_platform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

void RecordingPlatform::runDuringBox() {
  if (duringBox) {
    // One nested delivery per box, as a user who reads and closes it.
    auto hook = std::move(duringBox);
    duringBox = nullptr;
    hook();
  }
}

bool RecordingPlatform::showReal(QWidget* parent, Box::Kind kind, bool answer) {
  const size_t record = boxes.size() - 1;
  const QPointer<QWidget> owner(parent);
  // The box opens inside the call below; a timer finds it there, lets the test
  // act inside its loop, then presses the answer if the box is still open.
  QPointer<QMessageBox> seen;
  bool hooked = false;
  QDeadlineTimer deadline(5000);
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (seen.isNull()) {
      if (hooked) return;  // closed with its owner: the call returns by itself
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || box->text() != boxes[record].text) return;
      seen = box;
      hooked = true;
      runDuringBox();
      return;  // answer on a later turn: events queued by the hook come first
    }
    if (answerWhen && !answerWhen() && !deadline.hasExpired()) return;
    poll.stop();
    const auto button = kind != Box::Question ? QMessageBox::Ok : answer ? QMessageBox::Yes : QMessageBox::No;
    seen->button(button)->click();
  });
  poll.start();
  bool result = false;
  switch (kind) {
    case Box::Error:
      Platform::real().errorBox(parent, boxes[record].text);
      break;
    case Box::Information:
      Platform::real().informationBox(parent, boxes[record].caption, boxes[record].text);
      break;
    case Box::Question:
      result = Platform::real().yesNoQuestion(parent, boxes[record].caption, boxes[record].text);
      break;
  }
  if (parent != nullptr && owner.isNull()) boxes[record].closedWithOwner = true;
  return result;
}

void RecordingPlatform::errorBox(QWidget* parent, const QString& text) {
  boxes.push_back({Box::Error, QStringLiteral("エラー"), text});
  if (realBoxes) {
    showReal(parent, Box::Error, false);
  } else {
    runDuringBox();
  }
}

void RecordingPlatform::informationBox(QWidget* parent, const QString& caption, const QString& text) {
  boxes.push_back({Box::Information, caption, text});
  if (realBoxes) {
    showReal(parent, Box::Information, false);
  } else {
    runDuringBox();
  }
}

bool RecordingPlatform::yesNoQuestion(QWidget* parent, const QString& caption, const QString& text) {
  boxes.push_back({Box::Question, caption, text});
  // A question asked inside this one's loop takes its answer first.
  if (!realBoxes) runDuringBox();
  bool answer = false;
  if (!yesNoAnswers.empty()) {
    answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
  }
  return realBoxes ? showReal(parent, Box::Question, answer) : answer;
}

QString RecordingPlatform::openFileName(QWidget*, const QString& caption, const QString& directory,
                                        const QString& filter, const QString& defaultSuffix) {
  fileDialogs.push_back({caption, directory, filter, defaultSuffix});
  if (fileNames.empty()) return {};
  QString name = fileNames.front();
  fileNames.pop_front();
  return name;
}

QStringList RecordingPlatform::errorTexts() const {
  QStringList out;
  for (const Box& b : boxes) {
    if (b.kind == Box::Error) out << b.text;
  }
  return out;
}
