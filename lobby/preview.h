#pragma once
// Preview playback: the user picks a recorded match (.vdc, .zip) and the game
// program replays it.

#include <QString>

class QWidget;
struct GameSetup;

// The file dialog, then the game (always GameExe) with "/p<path>" in double
// quotes as the last value of its parameter text. The current directory is the
// executable's folder before the dialog and again after it, whatever the answer.
// Returns true when the game was started.
bool PlayPreview(QWidget* parent, const GameSetup& setup);

// "description|patterns|description|patterns" (patterns separated by ';') as
// a Qt file dialog filter ("description (p1 p2);;...").
QString QtFileFilter(const QString& pipeFilter);

// The preview argument: "/p" and the path, enclosed in one pair of double quotes.
QString PreviewArgument(const QString& fullPath);
