#pragma once
#include <cstdint>

#include "player/decode/JpegErrorManager.h"
#include "player/decode/JpegRgbBuffer.h"
#include "player/decode/PictureSizeLimit.h"

// MJPEG frames held in memory decoded into 24-bit RGB pictures (R, G, B bytes, rows top-down, back to
// back). One per video player; the libjpeg decompressor is created by initJpegDecompress and destroyed
// by releaseJpegDecompress, both serialised process-wide. A fatal libjpeg error ends the decode in hand
// with false; the next frame decodes normally.
class JpegDecoder {
 public:
  // Largest picture accepted, in pixels per side and in all.
  static constexpr int kMaxSide = PictureSizeLimit::kMaxSide;
  static constexpr long long kMaxPixels = PictureSizeLimit::kMaxPixels;

  JpegDecoder();
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  int initJpegDecompress();
  // Destroys the decompressor; the RGB buffer stays until the decoder itself goes.
  void releaseJpegDecompress();
  bool isCreated() const { return m_bCreated; }

  // True with *picture = the RGB buffer and *length = width x (height + 1) x 3 (a spare row counted);
  // false for a frame that is not a JPEG (no FF D8 start), a damaged one, one that does not decode to
  // three components, or one larger than the caps.
  bool decodeJpegFrame(const uint8_t* frame, int frameLength, const uint8_t** picture, int* length);
  // The last picture decoded, or null when a later frame failed after it had begun to overwrite (or
  // replace) the buffer: the old pointer may then point to freed memory or half a new picture.
  const uint8_t* picture() const { return m_bPictureHeld ? m_objRgb.data() : nullptr; }

  int width() const { return m_nWidth; }
  int height() const { return m_nHeight; }

 private:
  bool decodeInto(const uint8_t* frame, int frameLength, int* length);

  bool m_bCreated = false;
  JpegRgbBuffer m_objRgb;
  bool m_bPictureHeld = false;  // m_objRgb holds the whole last picture
  JpegErrorManager m_objError;
  jpeg_decompress_struct m_objDecompress;
  int m_nWidth = 0;
  int m_nHeight = 0;
};

// Installs the in-memory data source on a decompressor: libjpeg reads the frame from memory.
void jpegMemorySrc(j_decompress_ptr cinfo, const uint8_t* frame, int frameLength);
