#pragma once

class AVData;

// What the file feed thread needs of its engine's reader: the next frame in file order. The engine
// seeks and scans the reader itself; the feed only reads on. IndexedFileReader is the one
// implementation.
class IFrameReader {
 public:
  virtual ~IFrameReader() = default;
  // KXPLAYER_OK with the frame (owned by the reader until the next read), or the reason none came.
  virtual int readNextFrame(AVData** frame) = 0;
};
