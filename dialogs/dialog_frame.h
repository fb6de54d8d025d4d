#pragma once
// Small helpers shared by the fixed-size dialogs: the frame with only the system
// menu and a close box, the design size kept unless the font needs more room, and
// password fields that show "*".

#include <QSize>

class QDialog;
class QLineEdit;
class QWidget;

// A dialog border with a title, the system menu and a close box, nothing else
// (no help button, no minimise or maximise).
void SetDialogBorder(QDialog* dialog);

// Fixes the window's size at the design size, grown where the layout needs more
// room for the font in use so that nothing is clipped.
void FixToDesignSize(QWidget* window, QSize design);

// Masks the field's characters as "*".
void ShowAsPassword(QLineEdit* edit);
