#include "dialogs/dialog_frame.h"

#include <QDialog>
#include <QEvent>
#include <QLayout>
#include <QLineEdit>

void SetDialogBorder(QDialog* dialog) {
  dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint);
}

namespace {

void FixNow(QWidget* window, QSize design) {
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

// Sizes its window when the window is first polished, just before it first
// shows. The dialogs are all built at start-up and most are never opened in a
// session; laying them out then would measure every caption, and the group
// boxes' bold titles alone load a bold face of the Japanese font.
class SizeOnFirstPolish final : public QObject {
 public:
  SizeOnFirstPolish(QWidget* window, QSize design) : QObject(window), design_(design) {
    window->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Polish) {
      auto* window = static_cast<QWidget*>(watched);
      window->removeEventFilter(this);
      FixNow(window, design_);
      deleteLater();
    }
    return false;
  }

 private:
  QSize design_;
};

}  // namespace

void FixToDesignSize(QWidget* window, QSize design) { new SizeOnFirstPolish(window, design); }

void ShowAsPassword(QLineEdit* edit) {
  edit->setEchoMode(QLineEdit::Password);
  // The style's own mask character is a bullet; these fields have always shown "*".
  edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}
