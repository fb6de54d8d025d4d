// Turfwing: start-up order and the top-level error display.
#include <QCommandLineParser>
#include <cstdio>

#include "app/application.h"
#include "lobby/form_main.h"

int main(int argc, char** argv) {
  TurfwingApplication app(argc, argv);
  TFormMain form;
  form.show();
  return app.exec();
}
