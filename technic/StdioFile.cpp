#include "technic/StdioFile.h"

#include <sys/stat.h>

namespace {

const char* modeFor(int flags) {
  int access = flags & (StdioFile::kRead | StdioFile::kWrite | StdioFile::kReadWrite);
  bool create = (flags & StdioFile::kCreate) != 0;
  bool truncate = (flags & StdioFile::kTruncate) != 0;
  switch (access) {
    case StdioFile::kRead:
      return "rb";
    case StdioFile::kWrite:
      return truncate ? "wb" : "ab";
    case StdioFile::kReadWrite:
      if (create) return truncate ? "w+b" : "a+b";
      return "r+b";
    default:
      return nullptr;  // none, or more than one of them
  }
}

}  // namespace

StdioFile::~StdioFile() { close(); }

bool StdioFile::open(const char* path, int flags) {
  const char* mode = modeFor(flags);
  if (path == nullptr || mode == nullptr) return false;
  close();
  m_file = std::fopen(path, mode);
  return m_file != nullptr;
}

bool StdioFile::close() {
  if (m_file == nullptr) return true;
  bool closed = std::fclose(m_file) == 0;
  m_file = nullptr;
  return closed;
}

bool StdioFile::flush() { return m_file != nullptr && std::fflush(m_file) == 0; }

int StdioFile::write(const void* buffer, int count) {
  if (buffer == nullptr || m_file == nullptr || count < 0) return -1;
  size_t written = std::fwrite(buffer, 1, static_cast<size_t>(count), m_file);
  if (std::ferror(m_file)) return -1;
  return static_cast<int>(written);
}

std::int64_t StdioFile::getLength() {
  if (m_file == nullptr) return -1;
  std::fflush(m_file);
  struct stat status;
  if (fstat(fileno(m_file), &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}
