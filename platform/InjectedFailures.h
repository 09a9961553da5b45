#pragma once
#include <atomic>

namespace platform {

// A count of creations that tests ask to fail: arm(n) makes the next n calls of consume() true.
class InjectedFailures {
 public:
  void arm(int count) { m_pending.store(count); }
  bool consume() {
    int pending = m_pending.load();
    while (pending > 0) {
      if (m_pending.compare_exchange_weak(pending, pending - 1)) return true;
    }
    return false;
  }

 private:
  std::atomic<int> m_pending{0};
};

}  // namespace platform
