#pragma once
// Pictures of the chat room frame, drawn in code so they stay sharp and need no
// resource files.

#include <QIcon>

// The 16 x 16 member icons: index 0 a lit green lamp (a member whose level is not
// 0), index 1 a grey unlit ring (level 0).
QIcon MemberIcon(int index);

// The call-sound bell: released (QIcon::Off) rings with sound waves, pressed
// (QIcon::On) is struck through for sound off; the disabled pictures are grey.
QIcon BellIcon();
