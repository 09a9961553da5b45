#pragma once

// The three steps a CThread runs: beforeRun (false skips the rest), run, afterRun.
class CRunable {
 public:
  virtual ~CRunable() = default;
  virtual bool beforeRun() { return true; }
  virtual void run() = 0;
  virtual bool afterRun() { return true; }
};
