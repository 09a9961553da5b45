#pragma once
#include <functional>
#include <string>

namespace platform {

// The debugger-output channel: the engine's diagnostic lines go here and nowhere else.
// By default they are dropped; with KX_DEBUG_OUTPUT=stderr in the environment they go to stderr.
// Tests install a sink to capture them.
using DebugSink = std::function<void(const std::string& text)>;

void debugOutput(const std::string& text);
void debugOutputFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Installs a sink (an empty function restores the default); returns the previous one.
DebugSink setDebugSink(DebugSink sink);

// Captures every debug line written while it lives (for tests).
class DebugCapture {
 public:
  DebugCapture();
  ~DebugCapture();
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;
  std::string text() const;
  bool contains(const std::string& part) const { return text().find(part) != std::string::npos; }

 private:
  DebugSink m_previous;
  struct Store;
  Store* m_store;
};

}  // namespace platform
