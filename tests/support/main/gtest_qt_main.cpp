// Entry of the Qt test suites: the program's own application object (its
// translations, font and event-loop error display) on the offscreen platform,
// or on the X server for the suite that asks for xcb and has a display (its
// tests skip themselves without one).
#include <gtest/gtest.h>

#include "app/application.h"
#ifdef TURFWING_TEST_SCREEN_READER
#include "private_bus.h"
#endif

int main(int argc, char** argv) {
  const bool x11 = qgetenv("QT_QPA_PLATFORM") == "xcb" && !qgetenv("DISPLAY").isEmpty();
  if (!x11) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef TURFWING_TEST_SCREEN_READER
  // A screen reader's view of the program: a session bus of the suite's own
  // (the accessibility bus starts from it on demand), and Qt's accessibility
  // on as when a reader runs.
  const PrivateSessionBus bus;
  qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
#endif
  TurfwingApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
