#include "lobby/preview.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "lobby/game_launch.h"
#include "platform/platform.h"

namespace {

const char kPreviewFilter[] = "プレビューデータ(*.vdc,*.zip)|*.vdc;*.zip";

}  // namespace

QString QtFileFilter(const QString& pipeFilter) {
  const QStringList parts = pipeFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) p = p.trimmed();
    filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

QString PreviewArgument(const QString& fullPath) {
  return QLatin1Char('"') + QStringLiteral("/p") + fullPath + QLatin1Char('"');
}

bool PlayPreview(QWidget* parent, const GameSetup& setup) {
  // A portable client works from its own folder; an installed one finds its
  // game from gameFolder and has no business in its program folders, so its
  // dialog starts in the user's home.
  const bool portable = setup.gameFolder.isEmpty();
  const QString folder = portable ? setup.folder : QDir::homePath();
  if (portable) QDir::setCurrent(folder);
  const QString chosen = Platform::current().openFileName(
      parent, QString(), folder, QtFileFilter(QString::fromUtf8(kPreviewFilter)), QStringLiteral("vdc"));
  // The dialog may have wandered; the game program is found from here.
  if (portable) QDir::setCurrent(folder);
  if (chosen.isEmpty()) return false;
  const QString path = QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath());
  if (path.contains(QLatin1Char('"'))) {
    // A quote would end the argument early and turn the rest of the path into
    // further arguments of the game.
    Platform::current().errorBox(parent, QStringLiteral("このファイルは再生できません（パスに \" が含まれています）"));
    return false;
  }
  return LaunchGame(parent, setup, "n", 0, "n", PreviewArgument(path), false);
}
