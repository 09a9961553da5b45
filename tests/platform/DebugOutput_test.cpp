#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

TEST(DebugOutput, CaptureSeesFormattedLinesAndRestoresPreviousSink) {
  std::string outer;
  platform::DebugSink previous = platform::setDebugSink([&outer](const std::string& t) { outer += t; });
  {
    platform::DebugCapture capture;
    platform::debugOutputFormat("player %.2d: %s\n", 3, "open");
    EXPECT_EQ(capture.text(), "player 03: open\n");
  }
  platform::debugOutput("after\n");
  EXPECT_EQ(outer, "after\n");
  platform::setDebugSink(std::move(previous));
}
