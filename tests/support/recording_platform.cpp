#include "recording_platform.h"

void RecordingPlatform::runDuringBox() {
  if (duringBox) {
    // One nested delivery per box, as a user who reads and closes it.
    auto hook = std::move(duringBox);
    duringBox = nullptr;
    hook();
  }
}

void RecordingPlatform::errorBox(QWidget*, const QString& text) {
  boxes.push_back({Box::Error, QStringLiteral("エラー"), text});
  runDuringBox();
}

void RecordingPlatform::informationBox(QWidget*, const QString& caption, const QString& text) {
  boxes.push_back({Box::Information, caption, text});
  runDuringBox();
}

bool RecordingPlatform::yesNoQuestion(QWidget*, const QString& caption, const QString& text) {
  boxes.push_back({Box::Question, caption, text});
  runDuringBox();
  if (yesNoAnswers.empty()) return false;
  const bool answer = yesNoAnswers.front();
  yesNoAnswers.pop_front();
  return answer;
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
