#include "technic/KXLogger.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <vector>

#include "platform/Thread.h"
#include "support/TestPaths.h"

namespace {
}  // namespace

TEST(KXLogger, ConcurrentOneShotLinesNeverInterleaveARotation) {
  // With a limit of one byte every line rotates: the backup must always be one whole earlier log of
  // exactly one line. Two rotations at once leave it empty, doubled, or a log renamed before its line.
  std::string path = kxtest::scratchDir("LogConcurrent") + "/ThreadException.log";
  const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\[ThreadException\] thread \d line \d+\n)");
  std::atomic<int> writersLeft{4};
  std::vector<std::unique_ptr<platform::Thread>> threads;
  for (int t = 0; t < 4; ++t) {
    threads.push_back(std::make_unique<platform::Thread>());
    threads.back()->start([&, t] {
      for (int i = 0; i < 150; ++i) {
        std::string text = "thread " + std::to_string(t) + " line " + std::to_string(i);
        writeLogLine(path.c_str(), "ThreadException", text.c_str(), 1, 1);
      }
      --writersLeft;
    });
  }
  int badBackups = 0;
  std::string example;
  while (writersLeft.load() > 0) {
    std::ifstream in(path + ".1", std::ios::binary);
    if (!in) continue;  // between the removal of the old backup and the rename
    std::stringstream content;
    content << in.rdbuf();
    if (!std::regex_match(content.str(), line)) {
      ++badBackups;
      example = content.str();
    }
  }
  for (auto& thread : threads) thread->join();
  EXPECT_EQ(badBackups, 0) << "e.g. [" << example << "]";
  EXPECT_TRUE(std::regex_match(kxtest::readFile(path), line));
  EXPECT_TRUE(std::regex_match(kxtest::readFile(path + ".1"), line));
}
