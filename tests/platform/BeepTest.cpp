#include "platform/Beep.h"

#include <gtest/gtest.h>

using namespace kc;

TEST(Beep, GoesToTheSinkWhileOneIsSetAndToTheDesktopAfter) {
  int beeps = 0;
  SetBeepSink([&] { ++beeps; });
  Beep();
  Beep();
  EXPECT_EQ(beeps, 2);
  SetBeepSink(nullptr);
  Beep(); // the desktop's beep: nothing to see headless, and no crash
  EXPECT_EQ(beeps, 2);
}
