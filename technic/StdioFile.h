#pragma once
#include <cstdint>
#include <cstdio>

// A thin class over the C runtime's buffered files.
class StdioFile {
 public:
  // Open flags: exactly one of read, write and readWrite; the others refine them.
  static constexpr int kRead = 0x01;       // "rb"
  static constexpr int kWrite = 0x02;      // "ab" (append, creating the file); with kTruncate "wb"
  static constexpr int kReadWrite = 0x04;  // "r+b"; with kCreate "a+b"; with kCreate and kTruncate "w+b"
  static constexpr int kCreate = 0x20;
  static constexpr int kTruncate = 0x40;

  StdioFile() = default;
  ~StdioFile();
  StdioFile(const StdioFile&) = delete;
  StdioFile& operator=(const StdioFile&) = delete;

  // False for a null path, refused flags (none or several of read, write and readWrite), or an open
  // that fails.
  bool open(const char* path, int flags);
  bool close();  // true without a file, else whether the close succeeded
  bool flush();  // true when a file is open and flushing it succeeded
  // The bytes written; -1 for a null buffer, no file or a stream error.
  int write(const void* buffer, int count);
  std::int64_t getLength();  // -1 without a file

 private:
  std::FILE* m_file = nullptr;
};
