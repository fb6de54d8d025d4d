// Entry of the Qt test suites: the program's own application object (its
// translations, font and event-loop error display) on the offscreen platform.
#include <gtest/gtest.h>

#include "app/application.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TurfwingApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
