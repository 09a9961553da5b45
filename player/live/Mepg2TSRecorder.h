#pragma once
#include <atomic>
#include <deque>
#include <memory>

#include "media/VideoInfo.h"
#include "platform/Event.h"
#include "player/live/Recorder.h"
#include "technic/BinaryFile.h"
#include "technic/KXMutex.h"
#include "technic/WorkerThread.h"

// The transport-stream recorder: the pushing thread only copies each chunk into a queue; a writer
// thread of its own appends the queued chunks to the file in batches, at the latest every 100 ms.
// The file is opened, truncated and given its head block by startRecord itself, so that a file that
// cannot be written is reported there and not discovered later by the writer.
class Mepg2TSRecorder : public Recorder, private WorkerThread {
 public:
  // recordPath holds at most this many bytes of path (plus the terminating NUL).
  static constexpr int kMaxPathBytes = 255;
  // The writer's longest wait between batches.
  static constexpr unsigned kWriteIntervalMs = 100;

  Mepg2TSRecorder();
  ~Mepg2TSRecorder() override;

  bool setRecordFile(const char* path) override;
  bool setRecordFileHead(const char* data, int length) override;
  bool startRecord() override;
  bool stopRecord() override;
  void setVideoInfo(const VideoInfo& info) override;
  int inputData(const AVData& frame) override;

 protected:
  int run() override;

 private:
  bool writeHead();
  // Writes the frames in order and deletes them; after a failed write the rest is only deleted.
  void writeAndDelete(std::deque<AVData*>& frames);
  void deleteQueued();

  // Set together with accepting cleared, under queueLock: whatever the writer takes after seeing it
  // is the last of what was accepted.
  std::atomic<bool> m_stopRequested{true};
  bool m_accepting = false;
  std::deque<AVData*> m_queue;
  KXMutex m_queueLock;
  char m_recordPath[kMaxPathBytes + 1] = {};
  VideoInfo m_videoInfo;
  int m_headLength = 0;
  std::unique_ptr<char[]> m_headData;
  KXMutex m_headLock;
  BinaryFile m_file;
  bool m_writeFailed = false;
  platform::Event m_wake;
};
