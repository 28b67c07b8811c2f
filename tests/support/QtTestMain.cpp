// gtest main for the test programs that need widgets: one QApplication for the
// whole run, on the offscreen platform unless the environment says otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "Ticker.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  // The player's position timer ticks on the event loop, as in the window.
  SetTickerMaker(MakeEventLoopTicker);
  return RUN_ALL_TESTS();
}
