#include "platform/DebugOutput.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {
namespace {

std::mutex& sinkMutex() {
  static std::mutex mutex;
  return mutex;
}

DebugSink& currentSink() {
  static DebugSink sink;
  return sink;
}

bool defaultToStderr() {
  static const bool toStderr = [] {
    const char* value = std::getenv("KX_DEBUG_OUTPUT");
    return value != nullptr && std::strcmp(value, "stderr") == 0;
  }();
  return toStderr;
}

}  // namespace

void debugOutput(const std::string& text) {
  std::lock_guard<std::mutex> lock(sinkMutex());
  if (currentSink()) {
    currentSink()(text);
  } else if (defaultToStderr()) {
    std::fputs(text.c_str(), stderr);
  }
}

void debugOutputFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length < 0) {
    va_end(args);
    return;
  }
  std::vector<char> text(static_cast<size_t>(length) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  debugOutput(std::string(text.data(), static_cast<size_t>(length)));
}

DebugSink setDebugSink(DebugSink sink) {
  std::lock_guard<std::mutex> lock(sinkMutex());
  DebugSink previous = std::move(currentSink());
  currentSink() = std::move(sink);
  return previous;
}

struct DebugCapture::Store {
  mutable std::mutex mutex;
  std::string text;
};

DebugCapture::DebugCapture() : m_store(new Store) {
  Store* store = m_store;
  m_previous = setDebugSink([store](const std::string& text) {
    std::lock_guard<std::mutex> lock(store->mutex);
    store->text += text;
  });
}

DebugCapture::~DebugCapture() {
  setDebugSink(std::move(m_previous));
  delete m_store;
}

std::string DebugCapture::text() const {
  std::lock_guard<std::mutex> lock(m_store->mutex);
  return m_store->text;
}

}  // namespace platform
