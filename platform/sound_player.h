#pragma once
// Where the call sounds' player module is found, and loading it. The module
// (turfwing-sound) exports TurfwingPlaySound; the client loads it at the first
// sound it plays and keeps it for the run.

#include <QString>
#include <QStringList>

using PlaySoundFunction = void (*)(const QString& wavPath);

// The folders the client looks in, in order: its own folder (a portable
// folder, the build tree), then the installed layout's module folder.
QStringList SoundModuleFolders();
// The module's player from the first folder that has it; nullptr when none
// does or it does not load (the client then plays no sound).
PlaySoundFunction LoadSoundPlayer(const QStringList& folders);
