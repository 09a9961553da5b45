// The transport-stream frame parser on any bytes: whole parse, lazy parse, scan and navigation.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "media/AVData.h"
#include "media/Buffer.h"
#include "media/mpegts/TSFrameParser.h"

namespace {

volatile uint32_t g_sink;

void touch(const AVData* frame) {
  if (frame == nullptr) return;
  uint32_t sum = 0;
  for (int i = 0; i < frame->getDataLength(); ++i) sum += static_cast<uint8_t>(frame->getData()[i]);
  g_sink = sum + static_cast<uint32_t>(frame->getTimeStamp());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  std::vector<char> input(data + 1, data + size);
  const char* bytes = input.data();
  const int length = static_cast<int>(input.size());

  TSFrameParser parser;
  parser.setEndOfStream((mode & 1) != 0);
  if (mode & 2) parser.setStartTime(static_cast<int64_t>(mode) * 100000);
  AVData* frame = nullptr;
  // Two chunks as the file reader gives them, then navigation over the last list.
  const int half = length / 2;
  parser.parse(bytes, half, (mode & 4) == 0);
  const int back = parser.getLeftoverLength();
  parser.parse(bytes + half - back, length - half + back, (mode & 4) == 0);
  parser.moveToBegin();
  while (parser.nextFrame(frame) == 0) touch(frame);
  parser.previousKeyFrame(frame, true);
  parser.previousVideoFrame(frame);
  parser.nextKeyFrame(frame);
  parser.findVideoFrameByTime(parser.getFirstVideoTimeStamp(), frame, 1);
  parser.findKeyFrameById(parser.getLastVideoSequenceId(), frame, 0);
  parser.restorePosition();

  TSFrameParser scanner;
  Buffer buffer;
  if (length > 0 && buffer.alloc(length) && buffer.copy(bytes, static_cast<unsigned>(length))) {
    std::vector<int64_t> ids;
    std::vector<int64_t> offsets;
    scanner.scanKeyFrames(buffer, ids, offsets);
    for (int64_t offset : offsets)
      if (offset < 0 || offset > length) __builtin_trap();
  }

  // Pushed bytes on the scanner, whose unpackager carries on from the scan.
  TSFrameParser& live = scanner;
  int at = 0;
  for (;;) {
    AVData pushed;
    int consumed = 0;
    const int result = live.parsePackets(bytes + at, length - at, consumed, pushed);
    if (consumed < 0 || consumed > length - at) __builtin_trap();
    at += consumed;
    if (result != 0) break;
    touch(&pushed);
  }
  return 0;
}
