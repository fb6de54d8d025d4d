// The yardstick of bench_footprint: a bare Qt Widgets program with what any
// such client shows at rest (a main window with a menu and a list, and a modal
// dialog with two fields and buttons) in the client's Japanese font at the
// same size. It says "login dialog" on stderr when its dialog opens, as the
// client's --trace does.
//
// --with-captions also shows, in plain labels, the Japanese captions the client
// shows at rest (its menus, panels, buttons and the login dialog's notice): the
// same glyphs drawn, so the font's pages read for them count on both sides.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFont>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
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
  if (app.arguments().contains(QStringLiteral("--with-captions"))) {
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->addWidget(list);
    for (const char* caption :
         {"☆競技場を選択し、待機/即入場ボタンを押してください☆",
          "入場待機(W) 即入場(G) 入室者一覧(U) フォーメーション(B) 部屋一覧(Y) 送信 入力(I) ホームチーム スコア "
          "アウェイチーム 時間 人数 待機",
          "部屋(R) ツール(T) 切断(C) 終了(X) 前の部屋(1) 次の部屋(2) 部屋一覧(L)... 退室(R) 接続時に開く部屋(E)... "
          "部屋作成(C)... ホームページ(H) MYページ(M) 登録ページ(N) 競技場一覧表示／非表示(V) "
          "プレビューデータ再生(P)... "
          "設定(S)... トレイに常駐(K) チャットログを保存(G) チャットログのフォルダを開く(F)",
          "　Turfwingでお遊び頂くためには会員登録が必要です。まだ会員登録をされていない方は、下記のボタンを押し、"
          "ホームページより登録をお願いします。 新規登録 ｷｬﾝｾﾙ"}) {
      auto* label = new QLabel(QString::fromUtf8(caption));
      label->setWordWrap(true);
      column->addWidget(label);
    }
    window.setCentralWidget(panel);
  } else {
    window.setCentralWidget(list);
  }
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
