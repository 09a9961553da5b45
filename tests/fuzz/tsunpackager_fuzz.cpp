// The unpackager on any bytes: the first byte picks the piece size (in packets) the stream is fed in.
#include <cstddef>
#include <cstdint>
#include <string>

#include "media/AVData.h"
#include "media/mpegts/MPEG_TS_Unpackager.h"

namespace {

volatile uint32_t g_sink;

void touch(const AVData& frame) {
  uint32_t sum = 0;
  for (int i = 0; i < frame.getDataLength(); ++i) sum += static_cast<uint8_t>(frame.getData()[i]);
  for (unsigned i = 0; i < frame.getPrivateDataLen(); ++i) sum += static_cast<uint8_t>(frame.getPrivateData()[i]);
  g_sink = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int piece = 188 * (1 + data[0] % 16);
  const uint8_t* stream = data + 1;
  const int length = static_cast<int>(size - 1);
  MPEG_TS::MPEG_TS_Unpackager unpackager;
  // Inputs stay small; a small buffer makes units overflow it too.
  unpackager.setBufferSize((data[0] & 0x80) ? 4096 : 1 << 17);
  for (int at = 0; at < length;) {
    const int len = length - at < piece ? length - at : piece;
    int offset = 0;
    for (;;) {
      AVData frame;
      int consumed = 0;
      const int pid = unpackager.parsePackets(stream + at + offset, len - offset, consumed, frame);
      if (consumed < 0 || consumed > len - offset) __builtin_trap();
      offset += consumed;
      if (pid == 0) break;
      touch(frame);
    }
    at += len;
  }
  AVData last;
  if (unpackager.finishStream(last)) touch(last);
  std::string text;
  unpackager.getPrivateData(text);
  unpackager.getProgramInfo();

  MPEG_TS::MPEG_TS_Unpackager searcher;
  searcher.setBufferSize(1 << 17);
  int consumed = 0;
  searcher.searchPrivateData(stream, length, consumed, text);
  if (consumed < 0 || consumed > length) __builtin_trap();
  int pos = 0;
  MPEG_TS::MPEG_TS_Unpackager::getTSHeaderPos(reinterpret_cast<const char*>(stream), length, pos);
  return 0;
}
