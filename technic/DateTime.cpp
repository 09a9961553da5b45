#include "technic/DateTime.h"

#include <cstdio>

std::string formatDateTime(int formatId) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);  // the thread-safe form: log lines are written from several threads
  return formatDateTime(formatId, local);
}

std::string formatDateTime(int formatId, const std::tm& time) {
  char text[64];
  if (formatId == 1) {
    std::snprintf(text, sizeof(text), "%02d/%02d/%04d %02d:%02d:%02d", time.tm_mon + 1, time.tm_mday,
                  time.tm_year + 1900, time.tm_hour, time.tm_min, time.tm_sec);
  } else {
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", time.tm_year + 1900, time.tm_mon + 1,
                  time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
  }
  return text;
}
