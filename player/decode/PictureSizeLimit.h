#pragma once

// The largest picture any camera makes: 8192 pixels in either direction and 8192 x 4320 in all. A
// frame claiming more is damaged data; it is dropped before anything of that size is allocated.
namespace PictureSizeLimit {

constexpr int kMaxSide = 8192;
constexpr long long kMaxPixels = 8192LL * 4320;

inline bool accepts(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

}  // namespace PictureSizeLimit
