#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "technic/SafePointerBase.h"

// The state record of a GThread, held through a SafePointer.
class GThreadInfo {
 public:
  static constexpr int kRunning = 1;
  static constexpr int kStopped = 2;

  explicit GThreadInfo(const std::string& threadName) : name(threadName) {}

  // The fields are read by the run loop on every pass and written by the controlling thread.
  std::atomic<std::uint32_t> threadId{0};  // the worker's id, stored when run begins
  std::atomic<int> state{kStopped};
  const std::string name;
};

KX_SAFE_POINTER_TYPE_NAME(GThreadInfo, "class GThreadInfo");
