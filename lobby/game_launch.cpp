#include "lobby/game_launch.h"

#include <QDir>

#include "lobby/stadium_command_line.h"
#include "lobby/stadium_waiting.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

QString ResolveGameProgram(const QString& stored, const QString& directory) {
  QString path = stored;
#ifndef Q_OS_WIN
  path.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
  return QDir::toNativeSeparators(QDir::cleanPath(QDir(directory).absoluteFilePath(QDir::fromNativeSeparators(path))));
}

bool LaunchGame(QWidget* parent, const GameSetup& setup, std::string_view address, int port,
                std::string_view playerName, const QString& extra, bool useTestExe) {
  // The extra is the last value of the text, so appending it to the text built
  // with an empty extra gives the same result without squeezing it into CP932.
  const QString parameters = ToQString(GameParameterText(address, port, playerName, setup.options, {})) + extra;
  const QString directory = setup.gameFolder.isEmpty() ? QDir::currentPath() : setup.gameFolder;
  const QString program = ResolveGameProgram(ToQString(useTestExe ? setup.exeTest : setup.exe), directory);
  if (Platform::current().startProgram(program, parameters, directory, ToQString(setup.runner))) return true;
  Platform::current().errorBox(parent, ToQString(LaunchFailedText()));
  return false;
}
