#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Display.h"

struct SwsContext;

namespace platform {

// Picture memory in one of the surface formats: plane pointers and pitches (YV12: Y, U, V).
struct PixelPlanes {
  const std::uint8_t* data[3] = {nullptr, nullptr, nullptr};
  int pitch[3] = {0, 0, 0};
  int width = 0;
  int height = 0;
  SurfaceFormat format = SurfaceFormat::Bgra32;
};

// Spare bytes after every picture libswscale writes: it may write a little past the last row.
constexpr std::size_t kSwsPadding = 256;

// Scaling and colour conversion through libswscale, with the last context kept for the next call of
// the same shape.
class SoftwareBlitter {
 public:
  enum class Filter { Bicubic, Bilinear };
  SoftwareBlitter() = default;
  ~SoftwareBlitter();
  SoftwareBlitter(const SoftwareBlitter&) = delete;
  SoftwareBlitter& operator=(const SoftwareBlitter&) = delete;

  // Scales srcRect of src onto dstRect of dst (dst's own coordinates; it may reach outside dst), writing
  // only the part inside clip (also dst coordinates). False when libswscale cannot do it.
  bool blit(const PixelPlanes& src, const Rect& srcRect, std::uint8_t* dst, int dstPitch, SurfaceFormat dstFormat,
            const Rect& dstRect, const Rect& clip, Filter filter = Filter::Bicubic);
  // Fills the part of rect inside clip with one 32-bit B, G, R, A value (dst in that format).
  static void fill(std::uint8_t* dst, int dstPitch, const Rect& rect, const Rect& clip, std::uint32_t bgra);

 private:
  bool scale(const PixelPlanes& src, const Rect& srcRect, std::uint8_t* dst, int dstPitch, SurfaceFormat dstFormat,
             int dstWidth, int dstHeight, Filter filter);

  SwsContext* m_pContext = nullptr;
  std::vector<std::uint8_t> m_vecScratch;
};

// The libswscale pixel format (an AVPixelFormat) of a surface format.
int swsFormatOf(SurfaceFormat format);
int bytesPerPixelOf(SurfaceFormat format);

}  // namespace platform
