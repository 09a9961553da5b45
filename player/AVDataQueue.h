#pragma once
#include <atomic>
#include <cstdint>
#include <deque>

#include "technic/KXMutex.h"

class AVData;

// A lockable list of owned frames with a maximum size: the video player's input queue and the audio
// player's frame queue. The queue is its own lock: callers that look at the head while another
// thread may take it lock it around the look. add, remove and clear take the lock themselves.
class AVDataQueue {
 public:
  // The default maximum and the cap of every maximum.
  static constexpr uint32_t kMaxLimit = 300000;

  AVDataQueue();
  ~AVDataQueue();  // deletes every frame still held
  AVDataQueue(const AVDataQueue&) = delete;
  AVDataQueue& operator=(const AVDataQueue&) = delete;

  void lock(const char* file, int line) { m_lock.lock(file, line); }
  void unlock(const char* file, int line) { m_lock.unlock(file, line); }

  // Removes every frame from the head, deleting each.
  void clear();
  // The number of frames: a read of one word, without the lock.
  int count() const { return m_nCount.load(std::memory_order_relaxed); }
  bool isEmpty() const { return count() == 0; }
  // Takes ownership of the frame.
  void addTail(AVData* frame);
  // The head frame, now owned by the caller; null when empty.
  AVData* removeHead();
  // The head frame, still owned by the queue; hold the lock while using it.
  AVData* head() const;

  uint32_t maxSize() const { return m_nMaxSize.load(); }
  uint32_t acceptLimit() const { return m_nAcceptLimit.load(); }
  // Sets both maxima (the callers cap the value).
  void setMaxSize(uint32_t n) {
    m_nMaxSize.store(n);
    m_nAcceptLimit.store(n);
  }

 private:
  mutable KXMutex m_lock;
  std::deque<AVData*> m_list;
  std::atomic<int> m_nCount{0};
  std::atomic<uint32_t> m_nMaxSize{kMaxLimit};
  std::atomic<uint32_t> m_nAcceptLimit{kMaxLimit};
};
