#pragma once
#include <memory>

#include "player/live/Recorder.h"

class AVData;

// The facade's handle on its recorder: makes the transport-stream recorder and forwards to it.
// Destroying the holder stops a recording in progress (every accepted chunk is written first).
class RecorderHolder {
 public:
  RecorderHolder();
  ~RecorderHolder();
  RecorderHolder(const RecorderHolder&) = delete;
  RecorderHolder& operator=(const RecorderHolder&) = delete;

  bool setRecordFile(const char* path) { return m_recorder->setRecordFile(path); }
  bool startRecord() { return m_recorder->startRecord(); }
  bool stopRecord() { return m_recorder->stopRecord(); }
  int inputData(const AVData& frame) { return m_recorder->inputData(frame); }
  Recorder& recorder() { return *m_recorder; }

 private:
  std::unique_ptr<Recorder> m_recorder;
};
