#include "technic/KXLogger.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "platform/DebugOutput.h"
#include "support/TestPaths.h"
#include "technic/DateTime.h"
#include "technic/RebootDevice.h"

namespace {

bool exists(const std::string& path) { return std::ifstream(path).good(); }

const std::regex kLine(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\[ThreadException\] hello\n)");

}  // namespace

TEST(KXLogger, FirstLineCreatesTheLogWithOneTaggedLine) {
  std::string path = kxtest::scratchDir("LogFirst") + "/ThreadException.log";
  writeLogLine(path.c_str(), "ThreadException", "hello", 10240, 1);
  EXPECT_TRUE(std::regex_match(kxtest::readFile(path), kLine)) << kxtest::readFile(path);
  EXPECT_FALSE(exists(path + ".1"));
}

TEST(KXLogger, ALogAtItsSizeLimitIsRenamedToTheFirstBackupBeforeTheLine) {
  struct Case {
    size_t existing;
    bool rotates;
  };
  const Case cases[] = {{10239, false}, {10240, true}, {20000, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.existing);
    std::string dir = kxtest::scratchDir("LogRotate");
    std::string path = dir + "/ThreadException.log";
    std::ofstream(path, std::ios::binary) << std::string(c.existing, 'x');
    std::ofstream(path + ".1", std::ios::binary) << "older backup";
    writeLogLine(path.c_str(), "ThreadException", "hello", 10240, 2);
    if (c.rotates) {
      EXPECT_EQ(kxtest::readFile(path + ".1"), std::string(c.existing, 'x'));
      EXPECT_TRUE(std::regex_match(kxtest::readFile(path), kLine));
    } else {
      EXPECT_EQ(kxtest::readFile(path + ".1"), "older backup");
      std::string content = kxtest::readFile(path);
      EXPECT_EQ(content.substr(0, c.existing), std::string(c.existing, 'x'));
      EXPECT_TRUE(std::regex_match(content.substr(c.existing), kLine));
    }
    EXPECT_FALSE(exists(path + ".2")) << "every one-shot logger starts at index 0";
  }
}

TEST(KXLogger, ALongLivedLoggerCyclesThroughItsBackups) {
  std::string path = kxtest::scratchDir("LogCycle") + "/cycle.log";
  KXLogger logger;
  logger.init(path.c_str(), 1, 2);  // every line after the first rotates
  EXPECT_EQ(logger.backupName(), path + ".1");
  logger.write("T", "one");
  logger.write("T", "two");
  EXPECT_EQ(logger.backupName(), path + ".2");
  logger.write("T", "three");
  EXPECT_EQ(logger.backupName(), path + ".1");
  EXPECT_NE(kxtest::readFile(path + ".1").find("one"), std::string::npos);
  EXPECT_NE(kxtest::readFile(path + ".2").find("two"), std::string::npos);
  EXPECT_NE(kxtest::readFile(path).find("three"), std::string::npos);

  KXLogger noBackups;
  noBackups.init(path.c_str(), 1, 0);  // not a valid count: taken as 1 rather than dividing by zero
  noBackups.write("T", "four");
  noBackups.write("T", "five");
  EXPECT_NE(kxtest::readFile(path).find("five"), std::string::npos);
}

TEST(KXLogger, UseBeforeInitPrintsTheLineAndWritesNoFile) {
  KXLogger logger;
  testing::internal::CaptureStdout();
  logger.write("ThreadException", "hello");
  std::string printed = testing::internal::GetCapturedStdout();
  ASSERT_EQ(printed.rfind("Logger is not inition,", 0), 0u) << printed;
  EXPECT_TRUE(std::regex_match(printed.substr(22), kLine)) << printed;
}

TEST(DateTime, FormatsInBothLayouts) {
  std::tm time{};
  time.tm_year = 2026 - 1900;
  time.tm_mon = 2;
  time.tm_mday = 5;
  time.tm_hour = 14;
  time.tm_min = 7;
  time.tm_sec = 9;
  EXPECT_EQ(formatDateTime(1, time), "03/05/2026 14:07:09");
  EXPECT_EQ(formatDateTime(2, time), "2026-03-05 14:07:09");
  EXPECT_EQ(formatDateTime(0, time), "2026-03-05 14:07:09");

  std::time_t before = std::time(nullptr);
  std::string now = formatDateTime(2);
  std::tm local{};
  localtime_r(&before, &local);
  EXPECT_EQ(now.substr(0, 10), formatDateTime(2, local).substr(0, 10));
  EXPECT_TRUE(std::regex_match(formatDateTime(1), std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)")));
}

TEST(RebootDevice, LogsTheRequestAndLeavesTheCommandToTheRunner) {
  std::string log = kxtest::scratchDir("Reboot") + "/Reboot.log";
  std::string previousPath = setRebootLogPath(log);
  std::vector<std::string> commands;
  RebootCommandRunner previous = setRebootCommandRunner([&](const std::string& command) { commands.push_back(command); });
  rebootDevice("GThread running exception.");
  setRebootCommandRunner(previous);
  EXPECT_EQ(commands, std::vector<std::string>{"/factory_setting/reboot.sh &"});
  EXPECT_TRUE(std::regex_match(kxtest::readFile(log),
                               std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\[Reboot\] GThread running exception\.\n)")));

  // The default runner runs nothing and says so on the debugger output.
  platform::DebugCapture capture;
  rebootDevice("GThread setup exception.");
  setRebootLogPath(previousPath);
  EXPECT_TRUE(capture.contains("/factory_setting/reboot.sh &"));
  EXPECT_NE(kxtest::readFile(log).find("[Reboot] GThread setup exception."), std::string::npos);
}
