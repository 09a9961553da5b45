#pragma once
// Time limits for tests on real threads: a body that could deadlock runs on a thread of its own and
// the test process ends with a message when it has not finished in time (a hang is a failure, never a
// stuck suite); a condition is waited for, polled, up to a limit.
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

// True once done() holds, false when it still does not after limitMs milliseconds.
template <typename Predicate>
bool eventually(Predicate done, int limitMs = 30000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace kxtest
