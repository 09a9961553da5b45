#include "player/render/ColorSpaceConvert.h"

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

int ColorSpaceConvert::pixelFormatOf(int imageFormatId) {
  switch (imageFormatId) {
    case IMAGE_FORMAT_BGRA:
      return AV_PIX_FMT_BGRA;
    case IMAGE_FORMAT_RGB24:  // the display's 24-bit surfaces keep blue first
    case IMAGE_FORMAT_BGR24:
      return AV_PIX_FMT_BGR24;
    case IMAGE_FORMAT_RGB565:
      return AV_PIX_FMT_RGB565LE;
    case IMAGE_FORMAT_RGB555:
      return AV_PIX_FMT_RGB555LE;
    case IMAGE_FORMAT_YUV420:
      return AV_PIX_FMT_YUV420P;
    default:
      return AV_PIX_FMT_NONE;
  }
}

int ColorSpaceConvert::bytesPerPixelOf(int imageFormatId) {
  switch (imageFormatId) {
    case IMAGE_FORMAT_BGRA:
      return 4;
    case IMAGE_FORMAT_RGB24:
    case IMAGE_FORMAT_BGR24:
      return 3;
    case IMAGE_FORMAT_RGB565:
    case IMAGE_FORMAT_RGB555:
      return 2;
    default:
      return 0;
  }
}

void ColorSpaceConvert::freeContext(SwsContext** ctx) {
  if (ctx == nullptr) return;
  sws_freeContext(*ctx);
  *ctx = nullptr;
}

int ColorSpaceConvert::initColorSpaceConvert(const PlayerDebugLog& log, int w, int h, int src, int dst,
                                             SwsContext** ctx) {
  freeContext(ctx);
  log.printMessage(3, "initColorSpaceConvert w %d, h %d, s %d, d %d.", w, h, src, dst);
  if (w <= 0 || h <= 0 || src <= 0 || dst <= 0 || ctx == nullptr) {
    log.printMessage(2, "initColorSpaceConvert err params w %d, h %d, s %d, d %d.", w, h, src, dst);
    return -1;
  }
  const int srcFormat = pixelFormatOf(src), dstFormat = pixelFormatOf(dst);
  if (srcFormat == AV_PIX_FMT_NONE || dstFormat == AV_PIX_FMT_NONE) return -7;
  return initPixelFormatConvert(log, w, h, srcFormat, dstFormat, ctx);
}

int ColorSpaceConvert::initPixelFormatConvert(const PlayerDebugLog& log, int w, int h, int srcFormat, int dstFormat,
                                              SwsContext** ctx) {
  freeContext(ctx);
  if (w <= 0 || h <= 0 || ctx == nullptr) return -1;
  // Accurate rounding keeps libswscale off its unscaled SIMD converters, which for some widths leave the
  // last pixels of every row unwritten and write past the end of the destination.
  *ctx = sws_getContext(w, h, static_cast<AVPixelFormat>(srcFormat), w, h, static_cast<AVPixelFormat>(dstFormat),
                        SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
  if (*ctx == nullptr) {
    // No conversion exists: the caller must not draw with it.
    log.printMessage(2, "initColorSpaceConvert sws_getContext error !");
    return -1;
  }
  return 0;
}
