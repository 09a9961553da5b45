// MJPEG frames from the network go straight into the JPEG glue: any bytes must give a picture or a
// clean false, never a read or write outside the frame and the picture buffer, and never a hang.
#include <cstddef>
#include <cstdint>

#include "player/decode/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static JpegDecoder decoder;
  static bool created = decoder.initJpegDecompress() == 0;
  if (!created || size > (1 << 20)) return 0;
  const uint8_t* picture = nullptr;
  int length = 0;
  if (decoder.decodeJpegFrame(data, static_cast<int>(size), &picture, &length)) {
    // The whole picture is readable.
    volatile uint8_t sum = 0;
    for (int i = 0; i < decoder.width() * decoder.height() * 3; i += 97) sum = sum + picture[i];
    (void)sum;
  }
  return 0;
}
