#include "player/file/FileTypeSniffer.h"

#include <sys/stat.h>

#include "media/KXAVFrameHead.h"
#include "player/KXPlayerResult.h"
#include "technic/BinaryFile.h"

namespace {

constexpr int kPacketSize = 188;
constexpr unsigned char kSyncByte = 0x47;

}  // namespace

int FileTypeSniffer::sniffBytes(const unsigned char* bytes, int n) {
  for (int i = 0; i + kFrameHeadStartCodeLength <= n; ++i) {
    if (KXAVFrameHead::isStartCode(reinterpret_cast<const char*>(bytes + i))) return kFrameHeadStream;
  }
  for (int j = 0; j + 2 * kPacketSize <= n; ++j) {
    if (bytes[j] == kSyncByte && bytes[j + kPacketSize] == kSyncByte) return kTransportStream;
  }
  return 0;
}

int FileTypeSniffer::sniffFile(const char* path, int& type) {
  if (path == nullptr) return KXPLAYER_MISSING_ARGUMENT;
  BinaryFile file;
  if (!file.open(path, BinaryFile::kRead)) {
    // Something that is there but is no regular file (a FIFO, a device, a socket, a folder) has no
    // recording to read; only a path that cannot be opened at all is an open failure.
    struct stat status;
    return ::stat(path, &status) == 0 && !S_ISREG(status.st_mode) ? KXPLAYER_FILE_UNREADABLE
                                                                   : KXPLAYER_FILE_OPEN_FAILED;
  }
  unsigned char bytes[kSniffLength] = {};
  const int n = file.read(bytes, kSniffLength);
  file.close();
  if (n < kMinimumLength) return KXPLAYER_FILE_UNREADABLE;
  const int found = sniffBytes(bytes, n);
  if (found == 0) return KXPLAYER_WRONG_FORMAT;
  type = found;
  return KXPLAYER_OK;
}
