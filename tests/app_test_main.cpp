// The tests need our application object, so that events go through its notify().
#include <gtest/gtest.h>

#include <QAccessible>

#include "qt/KwindAccessible.h"
#include "qt/QuorelApp.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test discovery runs at build time without ctest's environment, and may have no display.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TQuorelApplication app(argc, argv);
  QAccessible::installFactory(WindDialAccessibleFactory);
  return RUN_ALL_TESTS();
}
