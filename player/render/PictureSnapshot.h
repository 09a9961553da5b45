#pragma once
#include <cstdint>
#include <vector>

#include "player/PlayerDebugLog.h"

class VideoFrameDecoder;

// Snapshots of a player's current picture: a JPEG at quality 100 or a 24-bit BMP. The picture is copied
// under the decode lock; conversion and writing happen outside it, so decoding goes on meanwhile.
class PictureSnapshot {
 public:
  // type "JPG" or "BMP" exactly; path UTF-8. 0, -6 no picture, -7 other type, -8 and -103 from the BMP
  // writer, -607 the JPEG could not be written.
  static int snapShot(const PlayerDebugLog& log, VideoFrameDecoder& decoder, const char* path, const char* type);
  // bgr: height rows of width x 3 bytes (B, G, R), top row first. 0, -8 no pixels or a bad path or size,
  // -103 the file cannot be created or written.
  static int writeBmpFile(int height, int width, const char* pathUtf8, const unsigned char* bgr);

 private:
  struct Copy;
  static int copyCurrentPicture(VideoFrameDecoder& decoder, Copy& copy);
  static bool convert(const PlayerDebugLog& log, const Copy& copy, bool toBgr, std::vector<uint8_t>& out);
};
