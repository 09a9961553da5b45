#include "platform/System.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(System, ProcessorCountIsPositiveAndTestsCanOverrideIt) {
  int real = platform::processorCount();
  EXPECT_GE(real, 1);
  platform::overrideProcessorCount(12);
  EXPECT_EQ(platform::processorCount(), 12);
  platform::overrideProcessorCount(0);
  EXPECT_EQ(platform::processorCount(), real);
}

TEST(System, ProgramPathIsThisTestExecutable) {
  std::string path = platform::programPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_NE(path.find("platform_tests"), std::string::npos) << path;
  EXPECT_EQ(access(path.c_str(), X_OK), 0);
}
