#include "technic/BinaryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

unsigned openModeFor(int flags) {
  unsigned mode = O_RDONLY;  // reading is the default access
  if (flags & BinaryFile::kWrite) mode = O_WRONLY;
  if (flags & BinaryFile::kReadWrite) mode = O_RDWR;
  if (flags & BinaryFile::kCreate) {
    mode |= O_CREAT;
    if (flags & BinaryFile::kTruncate) mode |= O_TRUNC;
  }
  return mode | O_CLOEXEC;
}

}  // namespace

BinaryFile::~BinaryFile() { close(); }

int BinaryFile::openWithoutWaiting(const char* utf8Path, int flags) {
  if (utf8Path == nullptr) {
    errno = EINVAL;
    return -1;
  }
  // Opened without waiting: a FIFO's open waits for its other end otherwise (for writing, one without
  // a reader fails at once), and some devices wait on open. What is kept then works as usual: the flag
  // goes again.
  const int file = ::open(utf8Path, static_cast<int>(openModeFor(flags)) | O_NONBLOCK, 0666);
  if (file < 0) return -1;
  const bool writing = (flags & (kWrite | kReadWrite)) != 0;
  struct stat status;
  if (::fstat(file, &status) != 0 || !(S_ISREG(status.st_mode) || (writing && S_ISFIFO(status.st_mode)))) {
    ::close(file);
    errno = EINVAL;
    return -1;
  }
  const int fileFlags = ::fcntl(file, F_GETFL);
  if (fileFlags >= 0) ::fcntl(file, F_SETFL, fileFlags & ~O_NONBLOCK);
  return file;
}

std::FILE* BinaryFile::createStream(const char* utf8Path) {
  const int file = openWithoutWaiting(utf8Path, kWrite | kCreate | kTruncate);
  if (file < 0) return nullptr;
  std::FILE* stream = ::fdopen(file, "wb");
  if (stream == nullptr) ::close(file);
  return stream;
}

bool BinaryFile::open(const char* utf8Path, int flags) {
  if (utf8Path == nullptr) return false;
  close();
  m_mode = openModeFor(flags);
  m_file = openWithoutWaiting(utf8Path, flags);
  m_isOpen = m_file >= 0;
  return m_isOpen;
}

int BinaryFile::read(void* buffer, int count) {
  if (buffer == nullptr || !m_isOpen || count < 0) return -1;
  char* into = static_cast<char*>(buffer);
  int total = 0;
  while (total < count) {
    ssize_t got = ::read(m_file, into + total, static_cast<size_t>(count - total));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    total += static_cast<int>(got);
  }
  return total;
}

int BinaryFile::write(const void* buffer, int count) {
  if (buffer == nullptr || !m_isOpen || count < 0) return -1;
  const char* from = static_cast<const char*>(buffer);
  int total = 0;
  while (total < count) {
    ssize_t put = ::write(m_file, from + total, static_cast<size_t>(count - total));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return -1;
    total += static_cast<int>(put);
  }
  return count;
}

bool BinaryFile::seek(std::int64_t offset, int origin) {
  if (!m_isOpen) return false;
  std::int64_t length = getLength();
  int whence = origin;
  switch (origin) {
    case kFromBegin:
      if (offset < 0) return false;
      if (offset > length) offset = length;
      whence = SEEK_SET;
      break;
    case kFromCurrent: {
      std::int64_t position = getPosition();
      if (position + offset < 0) offset = -position;
      if (position + offset > length) offset = length - position;
      whence = SEEK_CUR;
      break;
    }
    case kFromEnd:
      if (offset > 0) return false;
      if (offset < -length) offset = -length;
      whence = SEEK_END;
      break;
    default:
      break;  // passed on unchanged: the system refuses it
  }
  return ::lseek(m_file, static_cast<off_t>(offset), whence) >= 0;
}

std::int64_t BinaryFile::getPosition() {
  if (!m_isOpen) return -1;
  return static_cast<std::int64_t>(::lseek(m_file, 0, SEEK_CUR));
}

std::int64_t BinaryFile::getLength() {
  if (!m_isOpen) return -1;
  struct stat status;
  if (::fstat(m_file, &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

bool BinaryFile::close() {
  if (m_isOpen) ::close(m_file);
  m_file = -1;
  m_isOpen = false;
  return true;
}
