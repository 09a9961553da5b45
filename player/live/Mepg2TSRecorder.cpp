#include "player/live/Mepg2TSRecorder.h"

#include <cstring>
#include <new>

#include "media/AVData.h"
#include "platform/DebugOutput.h"
#include "player/OwnedFrameCopy.h"
#include "technic/KXMutexLocker.h"

namespace {
// Write, create when missing, truncate when present.
constexpr int kRecordFileFlags = BinaryFile::kWrite | BinaryFile::kCreate | BinaryFile::kTruncate;
}  // namespace

Mepg2TSRecorder::Mepg2TSRecorder() : m_wake(false) {
  if (!m_queueLock.isInitialized()) m_queueLock.init();
  m_headLock.init();
}

Mepg2TSRecorder::~Mepg2TSRecorder() {
  stopRecord();
  deleteQueued();
}

bool Mepg2TSRecorder::setRecordFile(const char* path) {
  m_recordPath[0] = '\0';
  if (path == nullptr) return false;
  const size_t length = std::strlen(path);
  if (length > static_cast<size_t>(kMaxPathBytes)) {
    platform::debugOutputFormat("Mepg2TSRecorder: record path of %zu bytes refused (at most %d)\n", length,
                                kMaxPathBytes);
    return false;
  }
  std::memcpy(m_recordPath, path, length + 1);
  return true;
}

bool Mepg2TSRecorder::setRecordFileHead(const char* data, int length) {
  if (data == nullptr || length < 0) return false;
  std::unique_ptr<char[]> block;
  if (length > 0) {
    block.reset(new (std::nothrow) char[static_cast<size_t>(length)]);
    if (!block) return false;
    std::memcpy(block.get(), data, static_cast<size_t>(length));
  }
  KXMutexLocker lock(m_headLock, "Mepg2TSRecorder", __LINE__);
  m_headData = std::move(block);
  m_headLength = length;
  return true;
}

bool Mepg2TSRecorder::writeHead() {
  KXMutexLocker lock(m_headLock, "Mepg2TSRecorder", __LINE__);
  return m_headLength == 0 || m_file.write(m_headData.get(), m_headLength) == m_headLength;
}

bool Mepg2TSRecorder::startRecord() {
  if (isRunning()) return false;
  if (m_recordPath[0] == '\0') return false;
  if (!m_file.open(m_recordPath, kRecordFileFlags)) {
    platform::debugOutputFormat("Mepg2TSRecorder: cannot open record file %s\n", m_recordPath);
    return false;
  }
  if (!writeHead()) {
    platform::debugOutputFormat("Mepg2TSRecorder: cannot write the head block to %s\n", m_recordPath);
    m_file.close();
    return false;
  }
  m_writeFailed = false;
  m_wake.reset();
  m_stopRequested = false;
  if (start() != 0) {
    m_stopRequested = true;
    m_file.close();
    return false;
  }
  KXMutexLocker lock(m_queueLock, __FILE__, __LINE__);
  m_accepting = true;
  return true;
}

bool Mepg2TSRecorder::stopRecord() {
  {
    KXMutexLocker lock(m_queueLock, __FILE__, __LINE__);
    m_accepting = false;
    m_stopRequested = true;
  }
  m_wake.set();
  // The writer drains the queue and closes the file before it ends; stop waits for that.
  stop();
  deleteQueued();
  return true;
}

void Mepg2TSRecorder::setVideoInfo(const VideoInfo& info) { m_videoInfo = info; }

int Mepg2TSRecorder::inputData(const AVData& frame) {
  AVData* copy = newOwnedFrameCopy(frame);
  if (copy == nullptr) return -1;
  KXMutexLocker lock(m_queueLock, __FILE__, __LINE__);
  if (!m_accepting) {
    delete copy;
    return -1;
  }
  m_queue.push_back(copy);
  return 0;
}

int Mepg2TSRecorder::run() {
  notifyStarted();
  for (;;) {
    m_wake.wait(kWriteIntervalMs);
    std::deque<AVData*> batch;
    bool last = false;
    {
      KXMutexLocker lock(m_queueLock, __FILE__, __LINE__);
      batch.swap(m_queue);
      last = m_stopRequested;
    }
    writeAndDelete(batch);
    if (last) break;
  }
  m_file.close();
  return 0;
}

void Mepg2TSRecorder::writeAndDelete(std::deque<AVData*>& frames) {
  for (AVData* frame : frames) {
    const int length = frame->getDataLength();
    if (!m_writeFailed && length > 0 && m_file.write(frame->getData(), length) != length) {
      m_writeFailed = true;
      platform::debugOutputFormat("Mepg2TSRecorder: writing to %s failed; the rest of this recording is lost\n",
                                  m_recordPath);
    }
    delete frame;
  }
  frames.clear();
}

void Mepg2TSRecorder::deleteQueued() {
  KXMutexLocker lock(m_queueLock, __FILE__, __LINE__);
  for (AVData* frame : m_queue) delete frame;
  m_queue.clear();
}
