#pragma once
#include <cstddef>

#include "player/PlayerDebugLog.h"

struct SwsContext;

// Image format ids of pixel layouts, shared by the colour conversion, the renderer and the RGB picture
// filters. Every packed RGB layout keeps blue in byte 0, as the display's surfaces do: id 2 (24 bits) is
// B, G, R in memory, the same bytes as id 16.
enum ImageFormatId : int {
  IMAGE_FORMAT_BGRA = 1,
  IMAGE_FORMAT_RGB24 = 2,
  IMAGE_FORMAT_RGB565 = 3,
  IMAGE_FORMAT_RGB555 = 4,
  IMAGE_FORMAT_YUV420 = 11,
  IMAGE_FORMAT_BGR24 = 16,
};

// libswscale conversions between the image formats, always at one size in and out (bicubic, accurate
// rounding). libswscale may write a little past the last row: destinations keep kPadding spare bytes.
class ColorSpaceConvert {
 public:
  static constexpr size_t kPadding = 256;

  // The libswscale pixel format (an AVPixelFormat) of an id, or -1 (AV_PIX_FMT_NONE) for an unknown id.
  static int pixelFormatOf(int imageFormatId);
  // Bytes per pixel of a packed RGB id (0 for others).
  static int bytesPerPixelOf(int imageFormatId);

  // Frees *ctx and makes a context converting w x h pictures from src to dst: 0, -1 for a parameter
  // <= 0 or a context libswscale cannot make (*ctx stays null), -7 for an unknown id.
  static int initColorSpaceConvert(const PlayerDebugLog& log, int w, int h, int src, int dst, SwsContext** ctx);
  // The same with libswscale pixel formats on both sides (for sources no id names, such as the JPEG
  // glue's R, G, B pixels).
  static int initPixelFormatConvert(const PlayerDebugLog& log, int w, int h, int srcFormat, int dstFormat,
                                    SwsContext** ctx);
  static void freeContext(SwsContext** ctx);
};
