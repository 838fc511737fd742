#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

int main(int argc, char** argv) {
  // Plain widgets need no X server.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  QApplication::setStyle("Fusion");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
