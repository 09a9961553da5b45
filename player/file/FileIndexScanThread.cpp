#include "player/file/FileIndexScanThread.h"

#include <cstring>

#include "media/FrameParser.h"
#include "player/KXPlayerResult.h"
#include "technic/BinaryFile.h"

FileIndexScanThread::FileIndexScanThread(int chunkSize) : m_chunkSize(chunkSize) {}

FileIndexScanThread::~FileIndexScanThread() { stopScan(); }

int FileIndexScanThread::setFile(const char* path) {
  if (!path) return KXPLAYER_OK;
  if (std::strlen(path) > kMaxPathLength) {
    m_filePath.clear();
    return KXPLAYER_OUT_OF_RANGE;
  }
  m_filePath = path;
  return KXPLAYER_OK;
}

void FileIndexScanThread::setType(int type) { m_fileType = type; }

int FileIndexScanThread::startScan() {
  if (isRunning()) return KXPLAYER_SCAN_RUNNING;
  resetScan();
  if (start() != 0) {
    m_stopRequested = true;
    return KXPLAYER_START_FAILED;
  }
  return KXPLAYER_OK;
}

void FileIndexScanThread::resetScan() {
  m_stopRequested = false;
  m_done = false;
  KXMutexLocker lock(m_indexLock, "FileIndexScanThread", __LINE__);
  // A new scan may be of another file: the entries of the last one would point into that one.
  m_keyFrameIds.clear();
  m_keyFrameOffsets.clear();
}

int FileIndexScanThread::scanNow() {
  if (isRunning()) return KXPLAYER_SCAN_RUNNING;
  resetScan();
  int result = scan();
  m_done = result == 0;
  return result;
}

int FileIndexScanThread::stopScan() {
  m_stopRequested = true;
  return stop();
}

int FileIndexScanThread::getIndex(std::vector<int64_t>& ids, std::vector<int64_t>& offsets) {
  KXMutexLocker lock(m_indexLock, "FileIndexScanThread", __LINE__);
  if (m_keyFrameIds.empty() || m_keyFrameOffsets.empty()) return KXPLAYER_NOT_FOUND;
  ids = m_keyFrameIds;
  offsets = m_keyFrameOffsets;
  return KXPLAYER_OK;
}

int FileIndexScanThread::run() {
  notifyStarted();
  int result = scan();
  m_done = result == 0;
  return result;
}

int FileIndexScanThread::scan() {
  BinaryFile file;
  ChunkWindow window(m_chunkSize);
  window.attach(&file, m_fileType);
  if (!window.resetParser()) return KXPLAYER_NO_PARSER;
  if (!file.open(m_filePath.c_str(), BinaryFile::kRead)) return KXPLAYER_FILE_OPEN_FAILED;
  // The parser counts its offsets from where it began to read.
  int64_t parserStart = 0;
  std::vector<int64_t> ids;
  std::vector<int64_t> offsets;
  int result = KXPLAYER_OK;
  while (!m_stopRequested) {
    int n = window.loadNext();
    if (n < 0) {
      result = KXPLAYER_FILE_UNREADABLE;
      break;
    }
    if (n == 0) break;
    ids.clear();
    offsets.clear();
    if (window.scanKeyFrames(ids, offsets) == -2) {
      result = window.reachesEnd() ? KXPLAYER_END_OF_DATA : KXPLAYER_FILE_UNREADABLE;
      break;
    }
    // A chunk without a key frame (a long group of pictures, a stretch of audio or of damage) does
    // not end the scan: the index covers the whole file.
    if (!ids.empty() && ids.size() == offsets.size()) {
      KXMutexLocker lock(m_indexLock, "FileIndexScanThread", __LINE__);
      m_keyFrameIds.insert(m_keyFrameIds.end(), ids.begin(), ids.end());
      for (int64_t offset : offsets) m_keyFrameOffsets.push_back(parserStart + offset);
    }
    if (window.reachesEnd()) break;
    // A parser that took nothing of a whole chunk would be handed the same bytes for ever; the window
    // skips them, and a fresh parser counts on from the skipped-to place.
    int leftover = window.parser()->getLeftoverLength();
    if (leftover >= window.length()) {
      int64_t next = window.nextOffset();
      if (!window.resetParser()) {
        result = KXPLAYER_NO_PARSER;
        break;
      }
      window.startAt(next);
      parserStart = next;
    }
  }
  m_stopRequested = true;
  return result;
}
