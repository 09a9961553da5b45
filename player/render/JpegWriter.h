#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "player/decode/JpegErrorManager.h"

// Writes a snapshot picture to a JPEG file: a JFIF baseline file from libjpeg's defaults for
// 3-component RGB input at quality 100. A fatal libjpeg error ends the write in hand with false.
class JpegWriter {
 public:
  // Longest path accepted, in bytes.
  static constexpr size_t kMaxPath = 260;

  JpegWriter() = default;
  ~JpegWriter();  // destroys the compressor when it exists
  JpegWriter(const JpegWriter&) = delete;
  JpegWriter& operator=(const JpegWriter&) = delete;

  int initJpegCompress();
  // pixels: height rows of width x 3 bytes (R, G, B), top row first. False for an empty or too long
  // path, a file that cannot be opened, a size of 0, or a fatal libjpeg error.
  bool writeJpegFile(const std::string& path, int width, const uint8_t* pixels, int height);

 private:
  bool compressInto(FILE* file, int width, const uint8_t* pixels, int height);

  JpegErrorManager m_objError;
  jpeg_compress_struct m_objCompress{};
  bool m_bCreated = false;
};
