// Entry of the Qt test suites: the program's own application object (its
// translations, font and event-loop error display) on the offscreen platform,
// or on the X server for the suite that asks for xcb and has a display (its
// tests skip themselves without one).
#include <gtest/gtest.h>

#include "app/application.h"

int main(int argc, char** argv) {
  const bool x11 = qgetenv("QT_QPA_PLATFORM") == "xcb" && !qgetenv("DISPLAY").isEmpty();
  if (!x11) qputenv("QT_QPA_PLATFORM", "offscreen");
  TurfwingApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
