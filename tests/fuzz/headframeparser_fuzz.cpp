// Arbitrary bytes through the frame-head parser: whole parses with and without the end of the stream,
// navigation over what was found, and a chunked key-frame scan that resumes at the leftover bytes.
// Nothing may hang, crash, read outside the input or report lengths the input cannot hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/AVData.h"
#include "media/Buffer.h"
#include "media/HeadFrameParser.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

void walk(HeadFrameParser& parser) {
  AVData* frame = nullptr;
  parser.moveToBegin();
  while (parser.nextFrame(frame) == 0) check(frame->getDataLength() >= 0);
  parser.previousKeyFrame(frame, true);
  parser.previousVideoFrame(frame);
  parser.restorePosition();
  parser.nextKeyFrame(frame);
  parser.findKeyFrameById(parser.getFirstVideoSequenceId() + 1, frame, 1);
  parser.findVideoFrameById(parser.getLastVideoSequenceId(), frame, 0);
  parser.findVideoFrameByTime(parser.getFirstVideoTimeStamp(), frame, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the chunk size of the scan; the rest is the stream.
  const size_t chunkSize = 41 + static_cast<size_t>(data[0]) * 16;
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  const int length = static_cast<int>(size - 1);

  for (bool atEnd : {false, true}) {
    HeadFrameParser parser;
    parser.setEndOfStream(atEnd);
    int result = parser.parse(bytes, length, true);
    check(result == 0 || result == -2);
    check(parser.getLeftoverLength() >= 0 && parser.getLeftoverLength() <= length);
    walk(parser);
  }

  HeadFrameParser scanner;
  std::vector<int64_t> ids, offsets;
  Buffer chunk;
  if (!chunk.alloc(static_cast<int>(chunkSize))) return 0;
  size_t position = 0;
  const size_t total = static_cast<size_t>(length);
  for (;;) {
    const size_t n = total - position < chunkSize ? total - position : chunkSize;
    const bool last = position + n == total;
    if (n > 0) chunk.copy(bytes + position, static_cast<unsigned>(n));
    else chunk.reset();
    scanner.setEndOfStream(last);
    scanner.scanKeyFrames(chunk, ids, offsets);
    if (last) break;
    const size_t leftover = static_cast<size_t>(scanner.getLeftoverLength());
    check(leftover < n);  // every chunk makes progress
    position += n - leftover;
  }
  check(ids.size() == offsets.size());
  for (int64_t offset : offsets) check(offset >= 0 && offset + 40 <= static_cast<int64_t>(total));
  return 0;
}
