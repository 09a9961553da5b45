#include "platform/Event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace platform {
namespace {

// One lock for the state of every event: a wait for any of several events must test and consume their
// states atomically, and events are set a few hundred times a second at most.
std::mutex& stateMutex() {
  static std::mutex* mutex = new std::mutex;  // never destroyed: events may outlive static destructors
  return *mutex;
}

struct Waiter {
  std::condition_variable wakeUp;
};

}  // namespace

struct Event::Waiters {
  std::vector<Waiter*> list;
};

Event::Event(bool manualReset, bool initiallySignalled)
    : m_manualReset(manualReset), m_signalled(initiallySignalled), m_waiters(new Waiters) {}

Event::~Event() { delete m_waiters; }

void Event::set() {
  std::lock_guard<std::mutex> lock(stateMutex());
  m_signalled = true;
  for (Waiter* waiter : m_waiters->list) waiter->wakeUp.notify_one();
}

void Event::reset() {
  std::lock_guard<std::mutex> lock(stateMutex());
  m_signalled = false;
}

bool Event::wait(std::uint32_t timeoutMs) {
  Event* self = this;
  return waitForAny(&self, 1, timeoutMs) == 0;
}

int Event::waitForAny(Event* const* events, std::size_t count, std::uint32_t timeoutMs) {
  if (events == nullptr || count == 0 || count > kMaximumWaitObjects) return kWaitFailed;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock<std::mutex> lock(stateMutex());
  auto takeSignalled = [&]() -> int {
    for (std::size_t i = 0; i < count; ++i) {
      if (events[i]->m_signalled) {
        if (!events[i]->m_manualReset) events[i]->m_signalled = false;
        return static_cast<int>(i);
      }
    }
    return kWaitTimeout;
  };
  int index = takeSignalled();
  if (index != kWaitTimeout || timeoutMs == 0) return index;

  Waiter waiter;
  for (std::size_t i = 0; i < count; ++i) events[i]->m_waiters->list.push_back(&waiter);
  while ((index = takeSignalled()) == kWaitTimeout) {
    if (timeoutMs == kInfinite) {
      waiter.wakeUp.wait(lock);
    } else if (waiter.wakeUp.wait_until(lock, deadline) == std::cv_status::timeout) {
      index = takeSignalled();
      break;
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    std::vector<Waiter*>& list = events[i]->m_waiters->list;
    for (auto it = list.begin(); it != list.end(); ++it) {
      if (*it == &waiter) {
        list.erase(it);
        break;
      }
    }
  }
  return index;
}

}  // namespace platform
