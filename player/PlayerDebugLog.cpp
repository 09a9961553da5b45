#include "player/PlayerDebugLog.h"

#include <cstdarg>
#include <cstdio>

#include "platform/DebugOutput.h"

namespace {
std::atomic<int> playerCounter{0};
}

void PlayerDebugLog::assignPlayerNumber() {
  if (m_nPlayerNo.load() != 0) return;
  int expected = 0;
  const int next = playerCounter.fetch_add(1) + 1;
  m_nPlayerNo.compare_exchange_strong(expected, next);
}

void PlayerDebugLog::printMessage(int level, const char* format, ...) const {
  if (level > kMaxLevel || format == nullptr) return;
  // Formatted on the caller's stack: 4096 characters for the text.
  char text[4096];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  char line[4096 + 16];
  std::snprintf(line, sizeof(line), "player %.2d: %s\n", m_nPlayerNo.load(), text);
  platform::debugOutput(line);
}
