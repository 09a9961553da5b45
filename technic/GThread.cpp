#include "technic/GThread.h"

#include <exception>
#include <mutex>

#include "platform/Thread.h"
#include "technic/KXLogger.h"
#include "technic/KXMutexLocker.h"
#include "technic/NumberText.h"
#include "technic/PathUtilities.h"
#include "technic/RebootDevice.h"
#include "technic/TimeValue.h"

namespace {

std::mutex& logPathMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}
std::string& logPathOverride() {
  static std::string* path = new std::string;
  return *path;
}

// After an exception: a pause of one second, then the device-reboot request.
void pauseAndRequestReboot(const char* reason) {
  sleepFor(TimeValue(1, 0));
  rebootDevice(reason);
}

std::string decimal(std::uint32_t id) { return toDecimalString(static_cast<int>(id)); }

}  // namespace

GThread::GThread(const std::string& name, function_holder<int> runFunction, function_holder<int> setupFunction,
                 function_holder<int> teardownFunction)
    : m_setupFunction(setupFunction),
      m_teardownFunction(teardownFunction),
      m_runFunction(runFunction),
      m_info(new GThreadInfo(name)) {
  setName(name);
}

GThread::~GThread() {
  if (isRunning()) logException("force stop " + describe(m_info->threadId));
  teardown();
}

void GThread::setExceptionLogPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(logPathMutex());
  logPathOverride() = path;
}

void GThread::logException(const std::string& text) {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(logPathMutex());
    path = logPathOverride();
  }
  if (path.empty()) path = getProgramDirectory() + "ThreadException.log";
  writeLogLine(path.c_str(), "ThreadException", text.c_str(), 10240, 1);
}

std::string GThread::describe(std::uint32_t threadId) const {
  return "thread(" + m_info->name + "," + decimal(threadId) + ")";
}

bool GThread::setup() {
  KXMutexLocker lock(m_mutex, __FILE__, __LINE__);
  if (isRunning()) return true;
  m_setupAttempted = true;
  try {
    int result = m_setupFunction.call();
    if (result != 0) {
      logException(describe(platform::currentThreadId()) + " setup failed. result= " + toDecimalString(result));
      return false;
    }
    m_info->state = GThreadInfo::kRunning;
    if (start() < 0) {
      m_info->state = GThreadInfo::kStopped;
      return false;
    }
    return true;
  } catch (const std::exception& error) {
    logException(describe(platform::currentThreadId()) + " setup exception,massage[" + error.what() + "]");
    pauseAndRequestReboot("GThread setup exception.");
    return false;
  }
}

bool GThread::teardown() {
  KXMutexLocker lock(m_mutex, __FILE__, __LINE__);
  m_info->state = GThreadInfo::kStopped;
  stop();  // the run loop ends after its current pass
  if (!m_setupAttempted) return true;
  m_setupAttempted = false;
  try {
    int result = m_teardownFunction.call();
    if (result != 0) {
      logException(describe(m_info->threadId) + " teardown failed,result=" + toDecimalString(result));
      return false;
    }
    return true;
  } catch (const std::exception& error) {
    logException(describe(m_info->threadId) + " teardown exception,massage[" + error.what() + "]");
    pauseAndRequestReboot("GThread teardown exception.");
    return false;
  }
}

int GThread::run() {
  notifyStarted();
  m_info->threadId = getWorkerThreadId();
  try {
    while (m_info->state == GThreadInfo::kRunning) {
      m_lastResult = m_runFunction.call();
      if (m_lastResult != 0) break;
    }
  } catch (const std::exception& error) {
    logException(describe(m_info->threadId) + " running exception,message[" + error.what() + "]");
    pauseAndRequestReboot("GThread running exception.");
  }
  m_info->state = GThreadInfo::kStopped;
  return 0;
}
