#include "player/video/DecoderManager.h"

#include <gtest/gtest.h>

#include "platform/System.h"

namespace {

// One thread per processor up to 8, and 8 on larger machines.
TEST(DecoderManager, ThreadsPerProcessorCount) {
  const struct {
    int processors;
    int threads;
  } cases[] = {{1, 1}, {2, 2}, {4, 4}, {8, 8}, {9, 8}, {16, 8}, {64, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.processors);
    EXPECT_EQ(c.threads, DecoderManager::threadCountFor(c.processors));
    platform::overrideProcessorCount(c.processors);
    DecoderManager manager;
    EXPECT_EQ(c.threads, manager.getThreadCount());
    EXPECT_EQ(static_cast<size_t>(c.threads), manager.listSizes().size());
    for (int i = 0; i < c.threads; ++i) EXPECT_FALSE(manager.isThreadRunning(i)) << "no thread before a player";
  }
  platform::overrideProcessorCount(0);
}

}  // namespace
