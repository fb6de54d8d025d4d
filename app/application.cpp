#include "app/application.h"

#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <exception>

namespace {

void ShowErrorBox(const QString& message) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Turfwing"), message, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

TurfwingApplication::ErrorDisplay& CurrentErrorDisplay() {
  static TurfwingApplication::ErrorDisplay display = ShowErrorBox;
  return display;
}

}  // namespace

TurfwingApplication::TurfwingApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The name is for the taskbar, the desktop entry and the settings; no display
  // name, because Qt would add it to every caption the window system shows
  // ("エラー — Turfwing") and the captions are fixed texts of their own.
  setApplicationName(QStringLiteral("Turfwing"));
  // The desktop entry's name without ".desktop": what Wayland compositors and
  // the desktop's task list match the windows against.
  setDesktopFileName(QStringLiteral(TURFWING_APP_ID));
  setWindowIcon(ProgramIcon());
  installTranslations();
  InstallJapaneseFont(*this);
}

void TurfwingApplication::setErrorDisplay(ErrorDisplay display) {
  CurrentErrorDisplay() = display ? std::move(display) : ErrorDisplay(ShowErrorBox);
}

bool TurfwingApplication::notify(QObject* receiver, QEvent* event) {
  // Qt does not carry exceptions through its event loop: catch them where each
  // event is delivered, show them, and go on.
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    CurrentErrorDisplay()(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    CurrentErrorDisplay()(QString());
  }
  return false;
}

void TurfwingApplication::installTranslations() {
  // Qt's own buttons and menus (OK, Yes, No, Cancel, the file dialog, the edit
  // fields' context menus) in Japanese, whatever the desktop's language.
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* name : {"qtbase_ja", "qt_ja"}) {
    auto* t = new QTranslator(this);
    if (t->load(QString::fromLatin1(name), dir)) {
      installTranslator(t);
    } else {
      delete t;
    }
  }
}

QIcon ProgramIcon() {
  // The pictures live in this library; a static library's resources must be
  // pulled in by name.
  Q_INIT_RESOURCE(turfwing);
  // Up to 64 pixels: every size is decoded and kept for the window system's
  // _NET_WM_ICON, and the two large ones alone would hold a third of a
  // megabyte; the desktop's menus take the large pictures from the installed
  // icon theme instead.
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) {
    icon.addFile(QStringLiteral(":/icons/turfwing-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

void InstallJapaneseFont(QApplication& app) {
  const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
  const QString design = QStringLiteral("ＭＳ Ｐゴシック");
  QString chosen;
  for (const QString& f :
       {design, QStringLiteral("MS PGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
        QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic")}) {
    if (families.contains(f)) {
      chosen = f;
      break;
    }
  }
  if (chosen.isEmpty() && !families.isEmpty()) chosen = families.first();
  QFont font = app.font();
  if (!chosen.isEmpty()) font.setFamilies({chosen});
  font.setPixelSize(12);
  app.setFont(font);
}
