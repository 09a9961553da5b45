#pragma once
// Runs a test body that could deadlock on a thread of its own: when it has not finished within the
// limit the test process ends with a message (a hang is a failure, never a stuck suite).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

namespace kxtest {

inline void finishWithin(std::chrono::seconds limit, const char* what, std::function<void()> body) {
  std::packaged_task<void()> task(std::move(body));
  std::future<void> done = task.get_future();
  std::thread runner(std::move(task));
  if (done.wait_for(limit) != std::future_status::ready) {
    std::fprintf(stderr, "hang: %s did not finish within %lld s\n", what, static_cast<long long>(limit.count()));
    std::fflush(stderr);
    std::_Exit(3);
  }
  runner.join();
  done.get();
}

}  // namespace kxtest
