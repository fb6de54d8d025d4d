#pragma once
// Starting the game program, for a match and for a preview.

#include <QString>
#include <string>
#include <string_view>

#include "lobby/game_options.h"

class QWidget;

// What starting the game needs, as the settings hold it when it starts.
struct GameSetup {
  GameOptions options;
  // The game programs as access.ini names them (CP932), e.g. "game\soccer.exe".
  std::string exe;
  std::string exeTest;
  // access.ini's GameRunner (CP932): what starts a Windows game elsewhere; empty for Wine.
  std::string runner;
  // Where sound/ lives: the executable's folder, or an installed client's data
  // folder. A portable client's preview dialog also starts there.
  QString folder;
  // Installed: the folder of the access.ini in use, where a relative game
  // program is found and the game runs. Portable: empty, and both are the
  // current folder.
  QString gameFolder{};
};

// Starts GameExeTest when useTestExe, else GameExe, with the parameter text of
// address, port, player name, the game options and `extra` appended as the last
// value. The program is resolved against setup.gameFolder, or the current
// directory when that is empty, which is also the game's working directory. On failure shows
// "サッカーゲームの起動に失敗しました" and returns false. address and playerName are CP932 bytes; extra is already
// widget text (a file path may hold characters CP932 cannot).
bool LaunchGame(QWidget* parent, const GameSetup& setup, std::string_view address, int port,
                std::string_view playerName, const QString& extra, bool useTestExe);

// The stored program path made absolute against `directory`. Stored paths use
// backslashes as on Windows; elsewhere they are read as folder separators.
QString ResolveGameProgram(const QString& stored, const QString& directory);
