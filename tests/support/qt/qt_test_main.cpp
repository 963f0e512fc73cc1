#include <gtest/gtest.h>

#include <QApplication>

// Qt tests share one application object, made before any test runs.
int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
