#pragma once

// A (seconds, microseconds) pair. Negative parts are stored as 0; microseconds are not carried into
// seconds.
class TimeValue {
 public:
  TimeValue() = default;
  TimeValue(int seconds, int microseconds) { set(seconds, microseconds); }

  void set(int seconds, int microseconds);
  int getSeconds() const { return m_seconds; }
  int getMicroseconds() const { return m_microseconds; }

  // The time since the system started, from the millisecond tick counter (wraps every 2^32 ms).
  static TimeValue now();

 private:
  int m_seconds = 0;
  int m_microseconds = 0;
};

// Sleeps for seconds x 1000 + microseconds / 1000 milliseconds.
void sleepFor(const TimeValue& duration);
