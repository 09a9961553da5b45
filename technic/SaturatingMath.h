#pragma once
#include <cstdint>
#include <limits>

// Signed 64-bit arithmetic that stops at the type's ends instead of overflowing. Timestamps come
// from files and cameras and may be any 64-bit value; times computed from them saturate, and a
// saturated time is far outside every window the pacing accepts.
namespace saturating {

inline int64_t clamp(__int128 v) {
  if (v > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
  if (v < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(v);
}

inline int64_t add(int64_t a, int64_t b) { return clamp(static_cast<__int128>(a) + b); }
inline int64_t sub(int64_t a, int64_t b) { return clamp(static_cast<__int128>(a) - b); }
inline int64_t mul(int64_t a, int64_t b) { return clamp(static_cast<__int128>(a) * b); }
// v x numerator / denominator with the product kept whole; the division truncates toward zero.
// A denominator of 0 gives 0.
inline int64_t scale(int64_t v, int64_t numerator, int64_t denominator) {
  if (denominator == 0) return 0;
  return clamp(static_cast<__int128>(v) * numerator / denominator);
}

}  // namespace saturating
