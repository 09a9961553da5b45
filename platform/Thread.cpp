#include "platform/Thread.h"

#include <atomic>
#include <pthread.h>
#include <utility>

#include "platform/InjectedFailures.h"

static_assert(sizeof(pthread_t) == sizeof(unsigned long), "thread handles are kept as unsigned long");

namespace platform {
namespace {

std::atomic<ThreadId> g_nextId{1};
InjectedFailures g_failCreations;
thread_local ThreadId t_id = 0;

ThreadId allocateId() {
  ThreadId id = g_nextId.fetch_add(1);
  if (id == 0) id = g_nextId.fetch_add(1);  // 0 means "no thread"
  return id;
}

struct StartBlock {
  std::function<void()> body;
  ThreadId id;
};

void* threadEntry(void* argument) {
  StartBlock* block = static_cast<StartBlock*>(argument);
  t_id = block->id;
  std::function<void()> body = std::move(block->body);
  delete block;
  body();
  return nullptr;
}

}  // namespace

ThreadId currentThreadId() {
  if (t_id == 0) t_id = allocateId();
  return t_id;
}

void Thread::failNextCreations(int count) { g_failCreations.arm(count); }

Thread::~Thread() {
  if (!m_held) return;
  if (isCurrent()) {
    pthread_detach(static_cast<pthread_t>(m_handle));
  } else {
    pthread_join(static_cast<pthread_t>(m_handle), nullptr);
  }
}

bool Thread::start(std::function<void()> body) {
  if (m_held || g_failCreations.consume()) return false;
  ThreadId id = allocateId();
  StartBlock* block = new StartBlock{std::move(body), id};
  // The id is stored before the thread exists, so the new thread may ask isCurrent at once.
  m_id = id;
  m_held = true;
  pthread_t handle;
  if (pthread_create(&handle, nullptr, threadEntry, block) != 0) {
    delete block;
    m_id = 0;
    m_held = false;
    return false;
  }
  m_handle = static_cast<unsigned long>(handle);
  return true;
}

bool Thread::join() {
  if (!m_held || isCurrent()) return false;
  pthread_join(static_cast<pthread_t>(m_handle), nullptr);
  m_held = false;
  m_handle = 0;
  m_id = 0;
  return true;
}

bool Thread::isCurrent() const { return m_held && m_id == currentThreadId(); }

}  // namespace platform
