#include "player/file/IndexedFileReader.h"

#include <algorithm>
#include <cstring>

#include "media/AVData.h"
#include "media/FrameKind.h"
#include "media/FrameParser.h"
#include "player/KXPlayerResult.h"
#include "player/file/ChunkWindow.h"
#include "player/file/FileTypeSniffer.h"

namespace {

constexpr int kPacketSize = 188;

}  // namespace

// What the range scan learns about the file; stored only once both ends are found.
struct IndexedFileReader::Range {
  int64_t firstId = -1;
  int64_t firstTimeStamp = 0;
  int64_t lastId = -1;
  int64_t lastTimeStamp = 0;
  int frameRate = 0;
};

IndexedFileReader::IndexedFileReader(int chunkSize, bool backgroundScan)
    : m_current(std::make_unique<ChunkWindow>(chunkSize)),
      m_spare(std::make_unique<ChunkWindow>(chunkSize)),
      m_backgroundScan(backgroundScan),
      m_indexScan(chunkSize) {}

IndexedFileReader::~IndexedFileReader() {
  m_indexScan.stopScan();
  close();
}

void IndexedFileReader::resetRange() {
  m_frameCount = 0;
  m_duration = 0;
  m_firstFrameId = 0;
  m_lastFrameId = 0;
  m_height = 0;
  m_width = 0;
  m_frameRate = 0;
}

int IndexedFileReader::open(const char* path) {
  if (!path) return KXPLAYER_MISSING_ARGUMENT;
  size_t length = std::strlen(path);
  // The path is kept whole or not at all: a shortened one would name another file.
  if (length == 0 || length > kMaxPathLength) return KXPLAYER_OUT_OF_RANGE;
  if (m_isOpen) close();
  m_current->attach(&m_file, m_fileType);
  m_spare->attach(&m_file, m_fileType);
  if (!m_current->resetParser()) return KXPLAYER_NO_PARSER;
  if (!m_file.open(path, BinaryFile::kRead)) return KXPLAYER_FILE_OPEN_FAILED;
  m_isOpen = true;
  m_fileName = path;
  int result = scanRange();
  if (result == KXPLAYER_FILE_OPEN_FAILED || result == KXPLAYER_FILE_UNREADABLE) return result;
  // A file in which no key frame, or no video frame after it, can be found has no frame to play.
  if (result != KXPLAYER_OK) return KXPLAYER_WRONG_FORMAT;
  if (m_lastFrameId - m_firstFrameId < 0) return KXPLAYER_WRONG_FORMAT;
  m_indexScan.setFile(m_fileName.c_str());
  m_indexScan.setType(m_fileType);
  m_indexScan.stopScan();
  if (m_backgroundScan) {
    m_indexScan.startScan();
  } else {
    m_indexScan.scanNow();
  }
  m_indexComplete = false;
  m_keyFrameIds.clear();
  m_keyFrameOffsets.clear();
  return KXPLAYER_OK;
}

void IndexedFileReader::close() {
  m_indexScan.stopScan();
  m_file.close();
  m_current->attach(&m_file, m_fileType);
  m_spare->attach(&m_file, m_fileType);
  m_isOpen = false;
  m_deliveredVideoId = -1;
  resetRange();
}

int IndexedFileReader::scanRange() {
  BinaryFile file;
  if (!file.open(m_fileName.c_str(), BinaryFile::kRead)) return KXPLAYER_FILE_OPEN_FAILED;
  ChunkWindow& window = *m_spare;
  window.attach(&file, m_fileType);
  Range range;
  int result = scanHead(window, range);
  if (result == KXPLAYER_OK) {
    // Windows that end at the end of the file and begin ever further back, until one holds video.
    int64_t fileLength = file.getLength();
    for (int64_t distance = window.chunkSize();; distance *= 2) {
      int64_t start = std::max<int64_t>(0, fileLength - distance);
      if (m_fileType == FileTypeSniffer::kTransportStream) start -= start % kPacketSize;
      result = scanTail(window, start, range);
      if (result != KXPLAYER_NOT_FOUND || start == 0) break;
    }
  }
  window.attach(&m_file, m_fileType);
  if (result != KXPLAYER_OK) return result;

  m_frameRate = range.frameRate;
  m_firstFrameId = range.firstId;
  m_lastFrameId = range.lastId;
  m_frameCount = m_lastFrameId - m_firstFrameId + 1;
  if (m_frameRate > 0) {
    m_duration = m_frameCount / m_frameRate;
  } else if (m_frameCount > 1 && range.lastTimeStamp > range.firstTimeStamp) {
    // No frame rate in the file: the time the frames span, plus one average frame interval.
    double span = static_cast<double>(range.lastTimeStamp - range.firstTimeStamp);
    m_duration = static_cast<int64_t>(span * m_frameCount / (m_frameCount - 1) / 1000000.0);
  } else {
    m_duration = m_frameCount / FrameKind::kDefaultFrameRate;
  }
  return KXPLAYER_OK;
}

int IndexedFileReader::scanHead(ChunkWindow& window, Range& range) {
  if (!window.resetParser()) return KXPLAYER_NO_PARSER;
  FrameParser* parser = window.parser();
  for (;;) {
    int n = window.loadNext();
    if (n < 0) return KXPLAYER_FILE_UNREADABLE;
    if (n == 0) return KXPLAYER_END_OF_DATA;
    window.parse(true);
    parser->moveToBegin();
    AVData* key = nullptr;
    if (parser->nextKeyFrame(key) == 0) {
      range.firstId = key->getSequenceId();
      range.firstTimeStamp = key->getTimeStamp();
      if (m_height == 0) {
        m_height = parser->getImageHeight();
        m_width = parser->getImageWidth();
      }
      return KXPLAYER_OK;
    }
    if (window.reachesEnd()) return KXPLAYER_END_OF_DATA;
  }
}

int IndexedFileReader::scanTail(ChunkWindow& window, int64_t start, Range& range) {
  // Parsed forwards from start to the end of the file, so that the last video frame is found even
  // when the last chunk holds no video or the last group of pictures began chunks earlier.
  if (!window.resetParser()) return KXPLAYER_NO_PARSER;
  FrameParser* parser = window.parser();
  window.startAt(start);
  bool found = false;
  for (;;) {
    int n = window.loadNext();
    if (n < 0) return KXPLAYER_FILE_UNREADABLE;
    if (n == 0) break;
    window.parse(true);
    int64_t lastId = parser->getLastVideoSequenceId();
    int64_t lastTime = parser->getLastVideoTimeStamp();
    AVData* video = nullptr;
    parser->moveToBegin();
    if (lastId != -1 && lastTime != -1 && parser->nextVideoFrame(video) == 0) {
      range.lastId = lastId;
      range.lastTimeStamp = lastTime;
      range.frameRate = video->getFrameRate();
      found = true;
    }
    if (window.reachesEnd()) break;
  }
  return found ? KXPLAYER_OK : KXPLAYER_NOT_FOUND;
}

int IndexedFileReader::readNextFrame(AVData** frame) { return readForward(frame, false); }

int IndexedFileReader::readNextVideoFrame(AVData** frame) { return readForward(frame, true); }

int IndexedFileReader::readForward(AVData** frame, bool videoOnly) {
  if (!frame) return KXPLAYER_MISSING_ARGUMENT;
  if (!m_isOpen) return KXPLAYER_FILE_UNREADABLE;
  AVData* next = nullptr;
  int result = m_current->next(next, videoOnly);
  if (result != KXPLAYER_OK) return result;
  return deliver(next, frame);
}

int IndexedFileReader::deliver(AVData* found, AVData** frame) {
  m_deliveredVideoId = found->getESStreamType() == 1 ? static_cast<int64_t>(found->getSequenceId()) : -1;
  *frame = found;
  return KXPLAYER_OK;
}

int IndexedFileReader::readPreviousKeyFrame(AVData** frame) {
  if (!frame) return KXPLAYER_MISSING_ARGUMENT;
  if (!m_isOpen) return KXPLAYER_FILE_UNREADABLE;
  FrameParser* parser = m_current->parser();
  if (!parser) return KXPLAYER_NO_PARSER;
  AVData* key = nullptr;
  if (!parser->isEmpty() && parser->previousKeyFrame(key, false) == 0) {
    return deliver(key, frame);
  }
  // Every frame of the list in hand is at or after the current position, and none before it is a key
  // frame: the answer is the last key frame whose id is below the list's first video frame. Without
  // video in hand, windows that end where the list begins hold only frames before it.
  int64_t belowId = parser->isEmpty() ? -1 : parser->getFirstVideoSequenceId();
  int64_t end = m_current->offset();
  ChunkWindow& window = *m_spare;
  const int chunkSize = window.chunkSize();
  while (end > 0) {
    int64_t start;
    int length;
    if (belowId >= 0) {
      // A whole chunk that starts half a chunk before the part of the file already seen, so a frame
      // that straddles the boundary (up to half a chunk long) lies whole in the window.
      start = std::max<int64_t>(0, end - chunkSize / 2);
      length = chunkSize;
    } else {
      start = std::max<int64_t>(0, end - chunkSize);
      length = static_cast<int>(end - start);
    }
    if (!window.resetParser()) return KXPLAYER_NO_PARSER;
    int n = window.load(start, length);
    if (n < 0) return KXPLAYER_FILE_UNREADABLE;
    if (n == 0) return KXPLAYER_END_OF_DATA;
    window.parse(true);
    FrameParser* candidate = window.parser();
    if (!candidate->isEmpty()) {
      candidate->moveToEnd();
      while (candidate->previousKeyFrame(key, false) == 0) {
        if (belowId < 0 || static_cast<int64_t>(key->getSequenceId()) < belowId) {
          std::swap(m_current, m_spare);
          return deliver(key, frame);
        }
      }
      if (belowId < 0) belowId = candidate->getFirstVideoSequenceId();
    }
    end = start;
  }
  // The failed search in the list moved its position; back to the frame last delivered.
  if (m_deliveredVideoId >= 0 && !parser->isEmpty()) parser->findVideoFrameById(m_deliveredVideoId, key, 1);
  return KXPLAYER_END_OF_DATA;
}

bool IndexedFileReader::updateIndex() {
  if (!m_indexComplete) {
    // Noticed first, copied after: the copy taken on the call that sees the scan end is complete.
    if (m_indexScan.isDone() || !m_indexScan.isRunning()) m_indexComplete = true;
    m_indexScan.getIndex(m_keyFrameIds, m_keyFrameOffsets);
  }
  return m_indexComplete;
}

int IndexedFileReader::seekToFrame(int64_t id, AVData** frame) {
  if (!frame) return KXPLAYER_MISSING_ARGUMENT;
  if (!m_isOpen) return KXPLAYER_NOT_FOUND;
  id = std::max(m_firstFrameId, std::min(id, m_lastFrameId));
  AVData* found = nullptr;
  FrameParser* parser = m_current->parser();
  if (!parser) return KXPLAYER_NO_PARSER;
  // In the list in hand, when the id lies between its first and last video frame parsed so far (a
  // lazily parsed list is a prefix of the chunk, so a frame past its end is not known to be in it).
  if (!parser->isEmpty()) {
    int64_t first = parser->getFirstVideoSequenceId();
    int64_t last = parser->getLastVideoSequenceId();
    if (first >= 0 && first <= id && id <= last && parser->findVideoFrameById(id, found, 1) == 0) {
      return deliver(found, frame);
    }
  }
  // Otherwise from the last indexed key frame at or before the id, walking forwards to it. When the
  // walk meets a frame past the id first, that entry's offset lies after its key frame: one entry
  // further back, down to the start of the file (also where the index does not reach yet).
  updateIndex();
  int entry = findIndexFloor(m_keyFrameIds, id);
  for (;; --entry) {
    int64_t offset = entry >= 0 ? m_keyFrameOffsets[static_cast<size_t>(entry)] : 0;
    int result = walkTo(offset, id, found);
    bool pastId = result == KXPLAYER_NOT_FOUND;
    // From the start of the file nothing comes before the frame met first: that is the answer.
    if (result == KXPLAYER_OK || (pastId && entry < 0)) {
      std::swap(m_current, m_spare);
      return deliver(found, frame);
    }
    if (!pastId) return result;
  }
}

// Reads from offset in the spare window and walks its video frames up to the first whose id is at
// least id: 0 with that frame; -106 (with the frame) when the first video frame met is already past
// id; the walk's error otherwise.
int IndexedFileReader::walkTo(int64_t offset, int64_t id, AVData*& frame) {
  ChunkWindow& window = *m_spare;
  if (!window.resetParser()) return KXPLAYER_NO_PARSER;
  window.startAt(offset);
  bool first = true;
  for (;;) {
    AVData* video = nullptr;
    int result = window.next(video, true);
    if (result != KXPLAYER_OK) return result;
    int64_t videoId = video->getSequenceId();
    if (videoId >= id) {
      frame = video;
      return first && videoId > id ? KXPLAYER_NOT_FOUND : KXPLAYER_OK;
    }
    first = false;
  }
}

int IndexedFileReader::findIndexFloor(const std::vector<int64_t>& ids, int64_t id) {
  auto after = std::upper_bound(ids.begin(), ids.end(), id);
  return static_cast<int>(after - ids.begin()) - 1;
}
