// The yardstick of bench_footprint: a bare Qt Widgets program with what any
// such client shows at rest (a main window with a menu and a list, and a modal
// dialog with two fields and buttons) in the client's Japanese font at the
// same size. It says "login dialog" on stderr when its dialog opens, as the
// client's --trace does.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFont>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QFont font = app.font();
  for (const char* family : {"Noto Sans CJK JP", "IPAPGothic"}) {
    if (QFontDatabase::families(QFontDatabase::Japanese).contains(QString::fromUtf8(family))) {
      font.setFamilies({QString::fromUtf8(family)});
      break;
    }
  }
  font.setPixelSize(12);
  app.setFont(font);

  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Bare ver2.18.55"));
  window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"))->addAction(QStringLiteral("接続(&O)..."));
  auto* list = new QTreeWidget;
  list->setHeaderLabels({QStringLiteral("競技場名"), QStringLiteral("ホームチーム"), QStringLiteral("スコア")});
  window.setCentralWidget(list);
  window.resize(631, 420);
  window.show();

  QDialog dialog(&window);
  dialog.setWindowTitle(QStringLiteral("接続"));
  auto* form = new QFormLayout(&dialog);
  form->addRow(QStringLiteral("会員番号(&I)"), new QLineEdit);
  form->addRow(QStringLiteral("パスワード(&P)"), new QLineEdit);
  form->addRow(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
  QTimer::singleShot(0, &dialog, [&dialog] {
    dialog.show();
    std::fprintf(stderr, "login dialog\n");
    std::fflush(stderr);
  });
  return app.exec();
}
