#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "player/file/ChunkWindow.h"
#include "technic/KXMutex.h"
#include "technic/KXMutexLocker.h"
#include "technic/WorkerThread.h"

// Reads a whole recording file once, in the background, and collects for every video key frame its
// sequence id and the byte offset in the file where the frame starts. The indexed file reader starts
// one scan per opened file and copies the growing index whenever it seeks outside its chunk.
class FileIndexScanThread : public WorkerThread {
 public:
  // Longest path the scan takes (bytes, without the terminating NUL).
  static constexpr size_t kMaxPathLength = 511;

  // chunkSize: the bytes read and scanned at a time (see ChunkWindow).
  explicit FileIndexScanThread(int chunkSize = ChunkWindow::kChunkSize);
  ~FileIndexScanThread() override;

  // The file to scan (UTF-8). A null path is ignored; a path longer than kMaxPathLength is refused
  // with -8 and leaves no path, so that a later scan fails to open rather than scan another file.
  int setFile(const char* path);
  // 1 = MPEG transport stream, 2 = private frame-head stream.
  void setType(int type);

  // Empties the index and starts a scan: 0; -11 when a scan is already running (nothing changes);
  // -12 when the thread cannot start.
  int startScan();
  // Asks the scan to end after the chunk in hand, then waits for the thread.
  int stopScan();
  // The last scan ended with result 0: at the end of the file, or because it was stopped.
  bool isDone() const { return m_done.load(); }

  // Copies the index so far into ids and offsets (both replaced, always of equal length): 0. While the
  // index is still empty the caller's vectors stay as they were: -106.
  int getIndex(std::vector<int64_t>& ids, std::vector<int64_t>& offsets);

  // A whole scan on the calling thread, as the thread runs it (for a caller that has its own thread):
  // the index emptied, then 0 at the end of the file; -2 no parser for the type, -103 the file cannot
  // be opened, -104 read error or unparseable chunk, -107 a final chunk that does not parse.
  int scanNow();

 protected:
  int run() override;

 private:
  // Prepares a new scan: wanted, not done, empty index.
  void resetScan();
  // The scan; ends after the chunk in hand once a stop is requested.
  int scan();

  const int m_chunkSize;
  std::atomic<bool> m_stopRequested{true};
  KXMutex m_indexLock;
  std::string m_filePath;
  int m_fileType = 1;
  std::atomic<bool> m_done{false};
  std::vector<int64_t> m_keyFrameIds;
  std::vector<int64_t> m_keyFrameOffsets;
};
