#include <gtest/gtest.h>

#include <QApplication>

// Qt tests share one application object, made before any test runs.
int main(int argc, char** argv) {
  // Test discovery runs the binary too, without the tests' environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
