#include "technic/GThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <mutex>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/Thread.h"
#include "support/TestPaths.h"
#include "technic/KXRuntimeError.h"
#include "technic/RebootDevice.h"
#include "technic/member_function_obj.h"

namespace {

// The three operations, recording the order and the thread of every call.
struct Operations {
  std::function<int()> setupBody = [] { return 0; };
  std::function<int(int call)> runBody = [](int) {
    std::this_thread::yield();
    return 0;
  };
  std::function<int()> teardownBody = [] { return 0; };

  int setup() {
    record("setup");
    return setupBody();
  }
  int run() {
    record("run");
    return runBody(++runCalls);
  }
  int teardown() {
    record("teardown");
    return teardownBody();
  }
  void record(const std::string& step) {
    std::lock_guard<std::mutex> lock(mutex);
    if (steps.empty() || steps.back() != step) steps.push_back(step);  // repeated runs count once
    threads.push_back(platform::currentThreadId());
  }
  std::vector<std::string> order() {
    std::lock_guard<std::mutex> lock(mutex);
    return steps;
  }

  std::mutex mutex;
  std::vector<std::string> steps;
  std::vector<platform::ThreadId> threads;
  std::atomic<int> runCalls{0};
};

function_holder<int> bind(Operations& operations, int (Operations::*function)()) {
  return function_holder<int>(new member_function_obj<int, Operations>(function, &operations));
}

class GThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string dir = kxtest::scratchDir(testing::UnitTest::GetInstance()->current_test_info()->name());
    m_log = dir + "/ThreadException.log";
    m_rebootLog = dir + "/Reboot.log";
    GThread::setExceptionLogPath(m_log);
    m_previousRebootLog = setRebootLogPath(m_rebootLog);
    m_previousRunner = setRebootCommandRunner([this](const std::string& command) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_rebootCommands.push_back(command);
    });
    m_previousSleep = platform::setSleepHook([this](std::uint32_t ms) {
      if (ms >= 1000) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_longSleeps.push_back(ms);
      }
      std::this_thread::yield();
    });
  }
  void TearDown() override {
    platform::setSleepHook(m_previousSleep);
    setRebootCommandRunner(m_previousRunner);
    setRebootLogPath(m_previousRebootLog);
    GThread::setExceptionLogPath("");
  }

  std::unique_ptr<GThread> makeThread() {
    return std::make_unique<GThread>("DecoderThread", bind(m_operations, &Operations::run),
                                     bind(m_operations, &Operations::setup), bind(m_operations, &Operations::teardown));
  }

  // The texts of the log's lines, without their date and tag.
  std::vector<std::string> logTexts(const std::string& path, const char* tag) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> texts;
    std::string line;
    const std::regex prefix(std::string(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\[)") + tag + R"(\] (.*)$)");
    while (std::getline(in, line)) {
      std::smatch match;
      EXPECT_TRUE(std::regex_match(line, match, prefix)) << line;
      texts.push_back(match[1]);
    }
    return texts;
  }
  std::vector<std::string> exceptionLog() { return logTexts(m_log, "ThreadException"); }

  std::string id(platform::ThreadId value) { return std::to_string(value); }

  void expectRebootRequested(const std::string& reason) {
    std::lock_guard<std::mutex> lock(m_mutex);
    EXPECT_EQ(m_longSleeps, std::vector<std::uint32_t>{1000}) << "a one-second pause first";
    EXPECT_EQ(m_rebootCommands, std::vector<std::string>{"/factory_setting/reboot.sh &"});
    EXPECT_EQ(logTexts(m_rebootLog, "Reboot"), std::vector<std::string>{reason});
  }

  Operations m_operations;
  std::string m_log;
  std::string m_rebootLog;
  std::mutex m_mutex;
  std::vector<std::string> m_rebootCommands;
  std::vector<std::uint32_t> m_longSleeps;

 private:
  std::string m_previousRebootLog;
  RebootCommandRunner m_previousRunner;
  platform::SleepHook m_previousSleep;
};

}  // namespace

TEST_F(GThreadTest, SetsUpOnTheCallerRunsOnItsOwnThreadAndTearsDownLast) {
  for (int round = 0; round < 20; ++round) {
    m_operations.steps.clear();
    m_operations.threads.clear();
    m_operations.runCalls = 0;
    auto thread = makeThread();
    ASSERT_TRUE(thread->setup());
    EXPECT_TRUE(thread->isRunning());
    while (m_operations.runCalls.load() < 3) std::this_thread::yield();
    EXPECT_TRUE(thread->setup()) << "already running";
    EXPECT_TRUE(thread->teardown());
    EXPECT_FALSE(thread->isRunning());
    EXPECT_EQ(m_operations.order(), (std::vector<std::string>{"setup", "run", "teardown"}));
    std::lock_guard<std::mutex> lock(m_operations.mutex);
    EXPECT_EQ(m_operations.threads.front(), platform::currentThreadId());
    EXPECT_NE(m_operations.threads[1], platform::currentThreadId());
    EXPECT_EQ(m_operations.threads.back(), platform::currentThreadId());
  }
  EXPECT_TRUE(exceptionLog().empty());
}

TEST_F(GThreadTest, AFailedSetupIsLoggedWithTheCallersIdAndStillTornDown) {
  m_operations.setupBody = [] { return 7; };
  auto thread = makeThread();
  EXPECT_FALSE(thread->setup());
  EXPECT_FALSE(thread->isRunning());
  EXPECT_EQ(exceptionLog(),
            std::vector<std::string>{"thread(DecoderThread," + id(platform::currentThreadId()) + ") setup failed. result= 7"});
  EXPECT_TRUE(thread->teardown());
  EXPECT_EQ(m_operations.order(), (std::vector<std::string>{"setup", "teardown"}));
  EXPECT_TRUE(thread->teardown()) << "not due again";
  EXPECT_EQ(m_operations.order().size(), 2u);
}

TEST_F(GThreadTest, ARunOperationReturningNonZeroEndsTheThreadWhichCanBeSetUpAgain) {
  m_operations.runBody = [](int call) { return call % 3 == 0 ? 1 : 0; };
  auto thread = makeThread();
  ASSERT_TRUE(thread->setup());
  while (thread->isRunning()) std::this_thread::yield();
  EXPECT_EQ(m_operations.runCalls.load(), 3);
  ASSERT_TRUE(thread->setup());
  while (thread->isRunning()) std::this_thread::yield();
  EXPECT_EQ(m_operations.runCalls.load(), 6);
  EXPECT_EQ(m_operations.order(), (std::vector<std::string>{"setup", "run", "setup", "run"}));
  EXPECT_TRUE(thread->teardown());
  EXPECT_TRUE(exceptionLog().empty()) << "a non-zero run result is not logged";
}

TEST_F(GThreadTest, AnExceptionInRunIsLoggedPausedAndRebootRequested) {
  m_operations.runBody = [](int) -> int { throw KXRuntimeError("boom"); };
  auto thread = makeThread();
  ASSERT_TRUE(thread->setup());
  platform::ThreadId worker;
  {
    while (thread->isRunning()) std::this_thread::yield();
    std::lock_guard<std::mutex> lock(m_operations.mutex);
    worker = m_operations.threads.back();
  }
  EXPECT_EQ(exceptionLog(), std::vector<std::string>{"thread(DecoderThread," + id(worker) + ") running exception,message[boom]"});
  expectRebootRequested("GThread running exception.");
  EXPECT_TRUE(thread->teardown());
}

TEST_F(GThreadTest, AnExceptionInSetupIsLoggedAndTheThreadNotStarted) {
  m_operations.setupBody = []() -> int { throw std::runtime_error("no device"); };
  auto thread = makeThread();
  EXPECT_FALSE(thread->setup());
  EXPECT_FALSE(thread->isRunning());
  EXPECT_EQ(exceptionLog(), std::vector<std::string>{"thread(DecoderThread," + id(platform::currentThreadId()) +
                                                     ") setup exception,massage[no device]"});
  expectRebootRequested("GThread setup exception.");
}

TEST_F(GThreadTest, TeardownFailuresAreLoggedWithTheWorkersId) {
  struct Case {
    std::function<int()> body;
    std::string text;
    bool reboots;
  };
  const Case cases[] = {
      {[] { return 3; }, ") teardown failed,result=3", false},
      {[]() -> int { throw KXRuntimeError("stuck"); }, ") teardown exception,massage[stuck]", true},
  };
  for (const Case& c : cases) {
    std::remove(m_log.c_str());
    m_operations.teardownBody = c.body;
    m_operations.threads.clear();
    m_operations.runCalls = 0;  // the wait below must see this case's worker, not the last one
    auto thread = makeThread();
    ASSERT_TRUE(thread->setup());
    while (m_operations.runCalls.load() == 0) std::this_thread::yield();
    EXPECT_FALSE(thread->teardown());
    platform::ThreadId worker;
    {
      std::lock_guard<std::mutex> lock(m_operations.mutex);
      worker = m_operations.threads[1];
    }
    EXPECT_EQ(exceptionLog(), std::vector<std::string>{"thread(DecoderThread," + id(worker) + c.text});
    if (c.reboots) expectRebootRequested("GThread teardown exception.");
  }
}

TEST_F(GThreadTest, DestroyingARunningThreadLogsTheForcedStopThenTearsDown) {
  auto thread = makeThread();
  ASSERT_TRUE(thread->setup());
  while (m_operations.runCalls.load() == 0) std::this_thread::yield();
  platform::ThreadId worker;
  {
    std::lock_guard<std::mutex> lock(m_operations.mutex);
    worker = m_operations.threads[1];
  }
  m_operations.teardownBody = [] { return 5; };
  thread.reset();
  EXPECT_EQ(exceptionLog(), (std::vector<std::string>{"force stop thread(DecoderThread," + id(worker) + ")",
                                                      "thread(DecoderThread," + id(worker) + ") teardown failed,result=5"}));
  EXPECT_EQ(m_operations.order().back(), "teardown");
}
