#include "dialogs/dialog_frame.h"

#include <QDialog>
#include <QLayout>
#include <QLineEdit>

void SetDialogBorder(QDialog* dialog) {
  dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint);
}

void FixToDesignSize(QWidget* window, QSize design) {
  QSize size = design;
  if (QLayout* layout = window->layout()) {
    layout->activate();
    size = size.expandedTo(layout->totalMinimumSize());
    // Wrapped labels need more height the narrower they are: ask at the width
    // the window will really have.
    if (layout->hasHeightForWidth()) size.setHeight(qMax(size.height(), layout->totalHeightForWidth(size.width())));
  }
  window->setFixedSize(size);
}

void ShowAsPassword(QLineEdit* edit) {
  edit->setEchoMode(QLineEdit::Password);
  // The style's own mask character is a bullet; these fields have always shown "*".
  edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}
