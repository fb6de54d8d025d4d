#pragma once
// What a screen reader sees of the formation board: a canvas whose children are
// its discs, one each, named by the label the disc shows (number and name) and
// described by what the disc is (position type, the ball or an opponent) and
// where it stands, in the tenths of a metre the window's position box shows.

#include <QString>

struct FormationSlot;

// The spoken name and description of one disc.
QString DiscAccessibleName(const FormationSlot& slot);
QString DiscAccessibleDescription(const FormationSlot& slot);

// Installs, once, the factory that gives every TFormationImage its accessible view.
void InstallBoardAccessibleFactory();
