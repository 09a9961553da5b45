#include "platform/SoftwareBlitter.h"

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <cstring>

namespace platform {

int swsFormatOf(SurfaceFormat format) {
  switch (format) {
    case SurfaceFormat::Bgra32:
      return AV_PIX_FMT_BGRA;
    case SurfaceFormat::Bgr24:
      return AV_PIX_FMT_BGR24;
    case SurfaceFormat::Rgb565:
      return AV_PIX_FMT_RGB565LE;
    case SurfaceFormat::Palette8:
      return AV_PIX_FMT_PAL8;
    case SurfaceFormat::Yv12:
      return AV_PIX_FMT_YUV420P;
  }
  return AV_PIX_FMT_NONE;
}

int bytesPerPixelOf(SurfaceFormat format) {
  switch (format) {
    case SurfaceFormat::Bgra32:
      return 4;
    case SurfaceFormat::Bgr24:
      return 3;
    case SurfaceFormat::Rgb565:
      return 2;
    case SurfaceFormat::Palette8:
    case SurfaceFormat::Yv12:
      return 1;
  }
  return 1;
}

int bitsPerPixelOf(SurfaceFormat format) {
  switch (format) {
    case SurfaceFormat::Bgra32:
      return 32;
    case SurfaceFormat::Bgr24:
      return 24;
    case SurfaceFormat::Rgb565:
      return 16;
    case SurfaceFormat::Palette8:
      return 8;
    case SurfaceFormat::Yv12:
      return 12;
  }
  return 0;
}

SoftwareBlitter::~SoftwareBlitter() { sws_freeContext(m_pContext); }

bool SoftwareBlitter::scale(const PixelPlanes& src, const Rect& srcRect, std::uint8_t* dst, int dstPitch,
                            SurfaceFormat dstFormat, int dstWidth, int dstHeight, Filter filter) {
  int flags = filter == Filter::Bicubic ? SWS_BICUBIC : SWS_BILINEAR;
  // Unscaled, accurate rounding keeps libswscale off its SIMD converters, which for some widths leave
  // the last pixels of every row unwritten and write past the end of the destination.
  if (srcRect.width() == dstWidth && srcRect.height() == dstHeight) flags |= SWS_ACCURATE_RND;
  m_pContext = sws_getCachedContext(m_pContext, srcRect.width(), srcRect.height(),
                                    static_cast<AVPixelFormat>(swsFormatOf(src.format)), dstWidth, dstHeight,
                                    static_cast<AVPixelFormat>(swsFormatOf(dstFormat)), flags, nullptr, nullptr,
                                    nullptr);
  if (m_pContext == nullptr) return false;
  const std::uint8_t* planes[4] = {nullptr, nullptr, nullptr, nullptr};
  int pitches[4] = {0, 0, 0, 0};
  if (src.format == SurfaceFormat::Yv12) {
    planes[0] = src.data[0] + static_cast<size_t>(srcRect.top) * src.pitch[0] + srcRect.left;
    for (int i = 1; i < 3; ++i) {
      planes[i] = src.data[i] + static_cast<size_t>(srcRect.top / 2) * src.pitch[i] + srcRect.left / 2;
    }
    for (int i = 0; i < 3; ++i) pitches[i] = src.pitch[i];
  } else {
    planes[0] = src.data[0] + static_cast<size_t>(srcRect.top) * src.pitch[0] +
                static_cast<size_t>(srcRect.left) * bytesPerPixelOf(src.format);
    pitches[0] = src.pitch[0];
  }
  std::uint8_t* out[4] = {dst, nullptr, nullptr, nullptr};
  int outPitches[4] = {dstPitch, 0, 0, 0};
  return sws_scale(m_pContext, planes, pitches, 0, srcRect.height(), out, outPitches) > 0;
}

bool SoftwareBlitter::blit(const PixelPlanes& src, const Rect& srcRect, std::uint8_t* dst, int dstPitch,
                           SurfaceFormat dstFormat, const Rect& dstRect, const Rect& clip, Filter filter) {
  if (srcRect.isEmpty() || dstRect.isEmpty() || srcRect.left < 0 || srcRect.top < 0 || srcRect.right > src.width ||
      srcRect.bottom > src.height) {
    return false;
  }
  const Rect visible = dstRect.intersect(clip);
  if (visible.isEmpty()) return true;  // nothing of it can be seen
  const int bytes = bytesPerPixelOf(dstFormat);
  if (visible == dstRect) {
    std::uint8_t* at = dst + static_cast<size_t>(dstRect.top) * dstPitch + static_cast<size_t>(dstRect.left) * bytes;
    return scale(src, srcRect, at, dstPitch, dstFormat, dstRect.width(), dstRect.height(), filter);
  }
  // Partly outside: scale whole, then copy what can be seen.
  const int scratchPitch = (dstRect.width() * bytes + 15) & ~15;
  m_vecScratch.resize(static_cast<size_t>(scratchPitch) * dstRect.height() + kSwsPadding);
  if (!scale(src, srcRect, m_vecScratch.data(), scratchPitch, dstFormat, dstRect.width(), dstRect.height(), filter)) {
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(visible.width()) * bytes;
  for (int y = visible.top; y < visible.bottom; ++y) {
    const std::uint8_t* from = m_vecScratch.data() + static_cast<size_t>(y - dstRect.top) * scratchPitch +
                               static_cast<size_t>(visible.left - dstRect.left) * bytes;
    std::memcpy(dst + static_cast<size_t>(y) * dstPitch + static_cast<size_t>(visible.left) * bytes, from, rowBytes);
  }
  return true;
}

void SoftwareBlitter::fill(std::uint8_t* dst, int dstPitch, const Rect& rect, const Rect& clip, std::uint32_t bgra) {
  const Rect area = rect.intersect(clip);
  for (int y = area.top; y < area.bottom; ++y) {
    std::uint8_t* row = dst + static_cast<std::ptrdiff_t>(y) * dstPitch + static_cast<std::ptrdiff_t>(area.left) * 4;
    for (int x = area.left; x < area.right; ++x, row += 4) {
      for (int b = 0; b < 4; ++b) row[b] = static_cast<std::uint8_t>(bgra >> (8 * b));
    }
  }
}

}  // namespace platform
