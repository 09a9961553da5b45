#pragma once
#include <cstdint>
#include <cstdio>

// A binary file opened by a UTF-8 path, with a compact set of open flags and a seek that is clamped to
// the file. Errors come back as results; no exception escapes.
class BinaryFile {
 public:
  static constexpr int kRead = 0x01;
  static constexpr int kWrite = 0x02;
  static constexpr int kReadWrite = 0x04;
  static constexpr int kCreate = 0x20;    // an existing file keeps its contents, unless with kTruncate
  static constexpr int kTruncate = 0x40;  // with kCreate: an existing file is emptied
  static constexpr int kShare = 0x80;     // others may read and write the file meanwhile (always so here)

  static constexpr int kFromBegin = 0;
  static constexpr int kFromCurrent = 1;
  static constexpr int kFromEnd = 2;

  BinaryFile() = default;
  ~BinaryFile();
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  // Expects a closed object. The engine opens files for reading with 0x01, record files with 0x62.
  // Opened as openWithoutWaiting opens it.
  bool open(const char* utf8Path, int flags);
  // The descriptor of the file opened with these flags, or -1 (errno set). Opening never waits: only a
  // regular file opens for reading (a FIFO, a device, a socket or a folder is refused at once); for
  // writing, a regular file, or a FIFO whose reader holds it open already (one without a reader is
  // refused at once). Every file the engine reads or writes by a caller's path is opened through here.
  static int openWithoutWaiting(const char* utf8Path, int flags);
  // A C stream ("wb") on the file at the path, created or emptied; null as for openWithoutWaiting.
  static std::FILE* createStream(const char* utf8Path);
  // Bytes read, 0 at the end of the file; -1 for a null buffer, no file or a file error.
  int read(void* buffer, int count);
  // count; -1 for a null buffer, no file or a file error.
  int write(const void* buffer, int count);
  // True when the position was set. From the beginning: negative offsets are refused, offsets beyond
  // the end go to the end. From the current position: the target is clamped into [0, length]. From
  // the end: positive offsets are refused, offsets before the start go to the start.
  bool seek(std::int64_t offset, int origin);
  std::int64_t getPosition();  // -1 without a file
  std::int64_t getLength();    // -1 without a file
  bool close();                // always true

 private:
  int m_file = -1;  // descriptor, -1 when none
  unsigned m_mode = 0;
  bool m_isOpen = false;
};
