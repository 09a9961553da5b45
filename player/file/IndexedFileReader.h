#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "player/file/ChunkWindow.h"
#include "player/file/FileIndexScanThread.h"
#include "player/file/FileTypeSniffer.h"
#include "player/file/IFrameReader.h"
#include "technic/BinaryFile.h"

class AVData;

// Turns a recording file into a sequence of frames for the file player: reads the file in large
// chunks, parses each with a frame-list parser of the file's type, walks the frames forwards and
// backwards, and seeks to a frame by its sequence id, through the list in hand or through the
// key-frame index that a background scan builds.
//
// Frames handed out belong to the reader: they stay valid until the next call that reads, parses or
// seeks, and the caller never deletes them. One thread at a time calls the reader.
//
// Every step that moves through the file works on absolute file offsets. A step that has to read from
// another place (a seek, a step back over a chunk) builds its result in a second chunk window and
// takes it over only when it succeeded, so a failed step leaves the reader where it was.
class IndexedFileReader : public IFrameReader {
 public:
  static constexpr size_t kMaxPathLength = 511;

  // chunkSize: the bytes read and parsed at a time (see ChunkWindow). backgroundScan: the key-frame
  // index is built by a scan thread started at open; without it open builds the whole index on the
  // calling thread before it returns (for a caller that wants a complete index at once and no
  // thread, such as a fuzzer).
  explicit IndexedFileReader(int chunkSize = ChunkWindow::kChunkSize, bool backgroundScan = true);
  ~IndexedFileReader();
  IndexedFileReader(const IndexedFileReader&) = delete;
  IndexedFileReader& operator=(const IndexedFileReader&) = delete;

  // 1 = MPEG transport stream, 2 = private frame-head stream; for the next open.
  void setFileType(int type) { m_fileType = type; }
  // Opens the file, finds its first key frame and last video frame, starts the index scan: 0;
  // -2 no parser for the type; -7 no usable frame range (no key frame and video frame found, or a
  // last id below the first); -8 a path longer than kMaxPathLength bytes or empty; -103 the file
  // cannot be opened; -104 the file cannot be read.
  int open(const char* path);
  // Closes the file and stops the scan; the range fields become 0.
  void close();

  // The next frame of any kind / the next video frame, in file order: 0, -104, -107.
  int readNextFrame(AVData** frame) override;
  int readNextVideoFrame(AVData** frame);
  // The key frame before the current position, walking back through the file: 0; -2; -104; -107 when
  // there is none before it (the reader then stays where it was).
  int readPreviousKeyFrame(AVData** frame);
  // The video frame with this id (clamped to the file's range), or the first one after it when the
  // id is missing from the file: 0, -2, -104, -106, -107. The next reads continue after it.
  int seekToFrame(int64_t id, AVData** frame);

  // Takes a copy of the scan's index (until the scan has ended and a last copy was taken); true once
  // the index is complete.
  bool updateIndex();

  int64_t getFrameCount() const { return m_frameCount; }
  int64_t getDuration() const { return m_duration; }
  int64_t getFirstFrameId() const { return m_firstFrameId; }
  int64_t getLastFrameId() const { return m_lastFrameId; }
  int getFrameRate() const { return m_frameRate; }
  int getHeight() const { return m_height; }
  int getWidth() const { return m_width; }
  const char* getFileName() const { return m_fileName.c_str(); }

  // The index entry for a seek: the last of the ascending ids that is not greater than id; -1 when
  // the first is already greater (or there is none).
  static int findIndexFloor(const std::vector<int64_t>& ids, int64_t id);

 private:
  struct Range;
  int scanRange();
  int scanHead(ChunkWindow& window, Range& range);
  int scanTail(ChunkWindow& window, int64_t start, Range& range);
  int walkTo(int64_t offset, int64_t id, AVData*& frame);
  int readForward(AVData** frame, bool videoOnly);
  // Hands a frame to the caller and remembers it as the current position.
  int deliver(AVData* found, AVData** frame);
  void resetRange();

  std::string m_fileName;
  BinaryFile m_file;
  // The window the reader reads from, and the one a seek or step back builds its result in.
  std::unique_ptr<ChunkWindow> m_current;
  std::unique_ptr<ChunkWindow> m_spare;
  bool m_isOpen = false;
  // Sequence id of the video frame delivered last (-1 when the last frame delivered was not video).
  int64_t m_deliveredVideoId = -1;
  int64_t m_frameCount = 0;
  int64_t m_duration = 0;
  int64_t m_firstFrameId = 0;
  int64_t m_lastFrameId = 0;
  int m_height = 0;
  int m_width = 0;
  int m_fileType = FileTypeSniffer::kTransportStream;
  int m_frameRate = 0;
  const bool m_backgroundScan;
  FileIndexScanThread m_indexScan;
  bool m_indexComplete = false;
  std::vector<int64_t> m_keyFrameIds;
  std::vector<int64_t> m_keyFrameOffsets;
};
