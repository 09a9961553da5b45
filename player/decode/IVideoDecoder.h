#pragma once
#include <cstdint>

#include "player/decode/DecodedPicture.h"

// The compressed-video decoder as the video player drives it: one access unit in, the pictures that
// come out read one by one. Pictures may come out later than their access unit (reordered streams):
// each carries the token given with the access unit it was made from.
class IVideoDecoder {
 public:
  virtual ~IVideoDecoder() = default;

  // 0, or negative when the decoder cannot be opened. A closed decoder is opened anew.
  virtual int open() = 0;
  virtual void close() = 0;
  virtual bool isOpened() const = 0;

  // Hands one access unit to the decoder: 0 or a negative decoder error. data null (size 0) marks the
  // end of the stream: the pictures still held come out, and the decoder then starts afresh.
  virtual int decode(const char* data, int size, int64_t token) = 0;
  // The next picture out: 1 with *picture (valid until the next call) and its token, 0 when there is
  // none now, negative for a decoder error.
  virtual int nextPicture(DecodedPicture** picture, int64_t* token) = 0;

  // Size of the last picture given out.
  virtual int width() const = 0;
  virtual int height() const = 0;
};
