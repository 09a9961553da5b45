#include "app/settings/SaveFailureNotice.h"

#include <mutex>

#include "platform/DebugOutput.h"

namespace app {
namespace {

std::mutex g_mutex;
SaveFailureNotice::Listener g_listener;
bool g_told = false;

}  // namespace

void SaveFailureNotice::setListener(Listener listener) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_listener = std::move(listener);
  g_told = false;
}

void SaveFailureNotice::report(const std::string& path) {
  platform::debugOutputFormat("cannot write %s\n", path.c_str());
  Listener listener;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_told || !g_listener) return;
    g_told = true;
    listener = g_listener;
  }
  listener(path);
}

}  // namespace app
