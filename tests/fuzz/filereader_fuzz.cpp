// A recording file of any bytes through the file reader as the file player drives it: the type sniffed
// from the file, open with its range scan, the key-frame index scanned to the end, then the operations
// the input asks for: reads forwards, steps back to key frames, seeks by percentage, time and frame
// number (each shown from its key frame, as the player decodes up to a seek target) and a step back
// one frame.
//
// Input: byte 0 picks the chunk size (2 to 256 transport packets, so that chunk boundaries, the steps
// back over them and the tail scan's widening windows all happen in small files); bytes 1 to 16 are
// eight operations of two bytes (kind, argument); the rest is the file. The file lives in a memory file
// reached by its /proc path; the index is built on the calling thread, so a run has no threads and
// no timing in it.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/AVData.h"
#include "media/FrameKind.h"
#include "player/KXPlayerResult.h"
#include "player/file/FilePosition.h"
#include "player/file/FileTypeSniffer.h"
#include "player/file/IndexedFileReader.h"

namespace {

constexpr size_t kHeaderLength = 17;
constexpr int kOperations = 8;
constexpr int kPacketSize = 188;
// The most video frames read on from a key frame to a seek target: the files are small, a bound keeps
// a file of many tiny frames from making one input slow.
constexpr int kMaxShowSteps = 4096;

volatile uint32_t g_sink;

void check(bool condition) {
  if (!condition) std::abort();
}

// Every byte of a delivered frame is read, so that a frame pointing outside its data is caught.
void touch(const AVData* frame) {
  check(frame != nullptr);
  check(frame->getDataLength() >= 0);
  uint32_t sum = 0;
  for (int i = 0; i < frame->getDataLength(); ++i) sum += static_cast<uint8_t>(frame->getData()[i]);
  for (unsigned i = 0; i < frame->getPrivateDataLen(); ++i) sum += static_cast<uint8_t>(frame->getPrivateData()[i]);
  g_sink = sum;
}

void touchVideo(const AVData* frame) {
  touch(frame);
  check(frame->getESStreamType() == FrameKind::kVideoStream);
}

// The memory file the inputs are written to, made once for the process.
const std::string& memoryFilePath(int& fd) {
  static int descriptor = -1;
  static std::string path;
  if (descriptor < 0) {
    descriptor = memfd_create("filereader_fuzz", 0);
    if (descriptor < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    path = "/proc/self/fd/" + std::to_string(descriptor);
  }
  fd = descriptor;
  return path;
}

bool writeFile(const uint8_t* bytes, size_t length, std::string& path) {
  int fd = -1;
  path = memoryFilePath(fd);
  if (ftruncate(fd, 0) != 0) return false;
  size_t written = 0;
  while (written < length) {
    const ssize_t n = pwrite(fd, bytes + written, length - written, static_cast<off_t>(written));
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

class Session {
 public:
  explicit Session(IndexedFileReader& reader) : m_reader(reader) {}

  void run(int kind, int argument) {
    switch (kind % 7) {
      case 0:
        readOn(false, 1 + argument % 64);
        break;
      case 1:
        readOn(true, 1 + argument % 64);
        break;
      case 2:
        for (int i = 0; i <= argument % 4; ++i) previousKeyFrame();
        break;
      case 3:
        showFrameNumber(FilePosition::frameForPercent(argument % 101, m_reader.getFrameCount()));
        break;
      case 4: {
        const int64_t duration = m_reader.getDuration();
        const long seconds = duration > 0 ? static_cast<long>(duration * argument / 255) : 0;
        const long percent = FilePosition::percentForSeconds(seconds, duration);
        showFrameNumber(FilePosition::frameForPercent(percent, m_reader.getFrameCount()));
        break;
      }
      case 5:
        // 0 and numbers past the end reach the first and the last frame through the reader's clamp.
        showFrameNumber(argument == 255 ? static_cast<long>(m_reader.getFrameCount()) + 5
                                        : static_cast<long>(m_reader.getFrameCount() * argument / 254));
        break;
      default: {
        const long played = position().playedFrames();
        showFrameNumber(played >= 2 ? played - 1 : 1);
        break;
      }
    }
    checkPosition();
  }

 private:
  void readOn(bool videoOnly, int count) {
    for (int i = 0; i < count; ++i) {
      AVData* frame = nullptr;
      const int result = videoOnly ? m_reader.readNextVideoFrame(&frame) : m_reader.readNextFrame(&frame);
      if (result != KXPLAYER_OK) return;
      if (videoOnly) touchVideo(frame);
      else touch(frame);
      noteShown(frame);
    }
  }

  void previousKeyFrame() {
    AVData* frame = nullptr;
    if (m_reader.readPreviousKeyFrame(&frame) != KXPLAYER_OK) return;
    touchVideo(frame);
    check(frame->getFrameType() == FrameKind::kKeyFrame);
    noteShown(frame);
  }

  // The seek and the frames the player decodes up to the target: from the key frame before it.
  void showFrameNumber(long number) {
    AVData* frame = nullptr;
    if (m_reader.seekToFrame(m_reader.getFirstFrameId() + number - 1, &frame) != KXPLAYER_OK) return;
    touchVideo(frame);
    noteShown(frame);
    if (frame->getFrameType() == FrameKind::kKeyFrame) return;
    const int64_t target = frame->getSequenceId();
    if (m_reader.readPreviousKeyFrame(&frame) != KXPLAYER_OK) return;
    touchVideo(frame);
    noteShown(frame);
    for (int step = 0; step < kMaxShowSteps; ++step) {
      if (m_reader.readNextVideoFrame(&frame) != KXPLAYER_OK) return;
      touchVideo(frame);
      noteShown(frame);
      if (static_cast<int64_t>(frame->getSequenceId()) == target) return;
    }
  }

  void noteShown(const AVData* frame) {
    if (frame->getESStreamType() == FrameKind::kVideoStream) m_shownId = frame->getSequenceId();
  }

  FilePosition position() const {
    return FilePosition(m_shownId, m_reader.getFirstFrameId(), m_reader.getFrameCount(), m_reader.getDuration());
  }

  void checkPosition() const {
    const FilePosition now = position();
    const int64_t total = m_reader.getFrameCount();
    check(now.playedFrames() >= 0 && now.playedFrames() <= (total > 0 ? total : 0));
    check(now.percent() >= 0 && now.percent() <= 100);
    check(now.seconds() >= 0);
  }

  IndexedFileReader& m_reader;
  int64_t m_shownId = -1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderLength) return 0;
  const int chunkSize = kPacketSize * (2 << (data[0] % 8));
  std::string path;
  if (!writeFile(data + kHeaderLength, size - kHeaderLength, path)) std::abort();

  int type = 0;
  if (FileTypeSniffer::sniffFile(path.c_str(), type) != KXPLAYER_OK) return 0;
  check(type == FileTypeSniffer::kTransportStream || type == FileTypeSniffer::kFrameHeadStream);

  IndexedFileReader reader(chunkSize, false);
  reader.setFileType(type);
  if (reader.open(path.c_str()) != KXPLAYER_OK) return 0;
  check(reader.getLastFrameId() >= reader.getFirstFrameId());
  check(reader.getFrameCount() == reader.getLastFrameId() - reader.getFirstFrameId() + 1);
  // The scan ran to its end inside open: the index is complete at the first look.
  check(reader.updateIndex());

  Session session(reader);
  for (int i = 0; i < kOperations; ++i) session.run(data[1 + 2 * i], data[2 + 2 * i]);
  reader.close();
  return 0;
}
