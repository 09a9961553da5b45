#include "player/file/ChunkWindow.h"

#include <algorithm>

#include "media/AVData.h"
#include "media/FrameParser.h"
#include "player/KXPlayerResult.h"
#include "technic/BinaryFile.h"

namespace {
// Consecutive refills that leave the frame list empty before a forward walk gives up.
constexpr int kMaxEmptyRefills = 10;
}  // namespace

ChunkWindow::ChunkWindow(int chunkSize) { m_chunk.alloc(chunkSize); }

ChunkWindow::~ChunkWindow() = default;

void ChunkWindow::attach(BinaryFile* file, int fileType) {
  m_file = file;
  m_fileType = fileType;
  m_parser.reset();
  m_offset = 0;
  m_length = 0;
  m_reachesEnd = false;
  m_chunk.setDataLength(0);
}

bool ChunkWindow::resetParser() {
  m_parser.reset(createFrameParser(m_fileType));
  startAt(0);
  return m_parser != nullptr;
}

int64_t ChunkWindow::nextOffset() const {
  if (m_length <= 0) return m_offset;
  int leftover = m_parser ? m_parser->getLeftoverLength() : 0;
  if (leftover < 0 || leftover >= m_length) leftover = 0;
  return m_offset + (m_length - leftover);
}

int ChunkWindow::load(int64_t offset, int length) {
  startAt(offset);
  if (!m_file || m_chunk.getBufferSize() <= 0) return -1;
  length = std::min(length, m_chunk.getBufferSize());
  if (length <= 0) return 0;
  if (!m_file->seek(m_offset, BinaryFile::kFromBegin)) return -1;
  int n = m_file->read(m_chunk.getBuffer(), length);
  if (n <= 0) return n;
  m_length = n;
  m_chunk.setDataLength(static_cast<unsigned int>(n));
  int64_t fileLength = m_file->getLength();
  m_reachesEnd = fileLength >= 0 && m_offset + n >= fileLength;
  return n;
}

int ChunkWindow::loadNext() { return load(nextOffset()); }

void ChunkWindow::startAt(int64_t offset) {
  // The parser may still point into the old chunk (a lazy parse reads on from its input); it must
  // not see the bytes that the next read puts there.
  if (m_parser) m_parser->clear();
  m_offset = offset < 0 ? 0 : offset;
  m_length = 0;
  m_reachesEnd = false;
  m_chunk.setDataLength(0);
}

int ChunkWindow::parse(bool whole) {
  if (!m_parser) return KXPLAYER_NO_PARSER;
  m_parser->setEndOfStream(m_reachesEnd);
  return m_parser->parseBuffer(m_chunk, whole);
}

int ChunkWindow::scanKeyFrames(std::vector<int64_t>& ids, std::vector<int64_t>& offsets) {
  if (!m_parser) return KXPLAYER_NO_PARSER;
  m_parser->setEndOfStream(m_reachesEnd);
  return m_parser->scanKeyFrames(m_chunk, ids, offsets);
}

int ChunkWindow::step(AVData*& out, bool videoOnly) {
  return videoOnly ? m_parser->nextVideoFrame(out) : m_parser->nextFrame(out);
}

int ChunkWindow::next(AVData*& out, bool videoOnly) {
  if (!m_parser) return KXPLAYER_FILE_UNREADABLE;
  if (!m_parser->isEmpty() && step(out, videoOnly) == 0) return 0;
  int emptyRefills = 0;
  for (;;) {
    // The list of the file's last chunk is used up: nothing follows it.
    if (m_length > 0 && m_reachesEnd) return KXPLAYER_END_OF_DATA;
    int n = loadNext();
    if (n < 0) return KXPLAYER_FILE_UNREADABLE;
    if (n == 0) return KXPLAYER_END_OF_DATA;
    // Lazily: the transport-stream parser stops at the first video frame and parses on while the
    // list is walked.
    int result = parse(false);
    if (result == -2) return m_reachesEnd ? KXPLAYER_END_OF_DATA : KXPLAYER_FILE_UNREADABLE;
    if (m_parser->isEmpty()) {
      if (++emptyRefills > kMaxEmptyRefills) return KXPLAYER_END_OF_DATA;
      continue;
    }
    m_parser->moveToBegin();
    if (step(out, videoOnly) == 0) return 0;
  }
}
