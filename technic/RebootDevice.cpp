#include "technic/RebootDevice.h"

#include <mutex>
#include <utility>

#include "platform/DebugOutput.h"
#include "technic/KXLogger.h"

const char* const kRebootCommand = "/factory_setting/reboot.sh &";

namespace {

const char* const kDeviceRebootLog = "/mnt/mtd/log/Reboot.log";

struct RebootSettings {
  std::mutex mutex;
  RebootCommandRunner runner;
  std::string logPath = kDeviceRebootLog;
};

RebootSettings& settings() {
  static RebootSettings* current = new RebootSettings;  // never destroyed: used by threads during exit
  return *current;
}

}  // namespace

void rebootDevice(const std::string& reason) {
  RebootCommandRunner runner;
  std::string logPath;
  {
    std::lock_guard<std::mutex> lock(settings().mutex);
    runner = settings().runner;
    logPath = settings().logPath;
  }
  writeLogLine(logPath.c_str(), "Reboot", reason.c_str(), 10240, 2);
  if (runner) {
    runner(kRebootCommand);
  } else {
    platform::debugOutput(std::string("reboot request not run on this host: ") + kRebootCommand + "\n");
  }
}

RebootCommandRunner setRebootCommandRunner(RebootCommandRunner runner) {
  std::lock_guard<std::mutex> lock(settings().mutex);
  return std::exchange(settings().runner, std::move(runner));
}

std::string setRebootLogPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(settings().mutex);
  return std::exchange(settings().logPath, path.empty() ? std::string(kDeviceRebootLog) : path);
}
