#include "platform/System.h"

#include <atomic>
#include <climits>
#include <sched.h>
#include <unistd.h>

namespace platform {
namespace {
std::atomic<int> g_processorOverride{0};
}  // namespace

int processorCount() {
  int overridden = g_processorOverride.load();
  if (overridden > 0) return overridden;
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0) {
    int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

void overrideProcessorCount(int count) { g_processorOverride.store(count > 0 ? count : 0); }

std::string programPath() {
  char buffer[PATH_MAX + 1];
  ssize_t length = readlink("/proc/self/exe", buffer, PATH_MAX);
  if (length <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace platform
