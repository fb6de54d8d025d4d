#pragma once
// Starting the game program, for a match and for a preview.

#include <QString>
#include <string_view>

class QWidget;
class StadiumHost;

// Starts GameExeTest when useTestExe, else GameExe, with the parameter text of
// address, port, player name, the game options and `extra` appended as the last
// value. The program is resolved against the current directory, which is also
// the game's working directory. On failure shows "サッカーゲームの起動に失敗しました"
// and returns false. address and playerName are CP932 bytes; extra is already
// widget text (a file path may hold characters CP932 cannot).
bool LaunchGame(QWidget* parent, const StadiumHost& host, std::string_view address, int port,
                std::string_view playerName, const QString& extra, bool useTestExe);

// The stored program path made absolute against `directory`. Stored paths use
// backslashes as on Windows; elsewhere they are read as folder separators.
QString ResolveGameProgram(const QString& stored, const QString& directory);
