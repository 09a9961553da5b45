#pragma once
#include <atomic>

// A video player's debug log: each line goes to the debugger output as "player NN: text", NN being
// the player's number. Only levels 3 and below are written (2 errors, 3 state changes); 4 and 5 are
// traces and produce nothing. Safe from any thread.
class PlayerDebugLog {
 public:
  static constexpr int kMaxLevel = 3;

  void printMessage(int level, const char* format, ...) const __attribute__((format(printf, 3, 4)));

  // The number in the log: 0 until assignPlayerNumber, which takes the next one from the process-wide
  // counter the first time it runs (the first player gets 1) and never changes it afterwards.
  int playerNo() const { return m_nPlayerNo.load(); }
  void assignPlayerNumber();

 private:
  std::atomic<int> m_nPlayerNo{0};
};
