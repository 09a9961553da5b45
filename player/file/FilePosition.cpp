#include "player/file/FilePosition.h"

#include <algorithm>

FilePosition::FilePosition(int64_t currentId, int64_t firstId, int64_t total, int64_t durationSeconds)
    : m_total(std::max<int64_t>(total, 0)), m_duration(std::max<int64_t>(durationSeconds, 0)) {
  // Before the first picture the current id is -1; an id from before the file's first key frame
  // (pictures decoded while seeking) counts as nothing played yet.
  const int64_t played = currentId < firstId ? 0 : currentId - firstId + 1;
  m_played = std::min(played, m_total);
}

long FilePosition::roundHalfUp(double value) {
  return static_cast<long>(static_cast<float>(value) + 0.5f);
}

long FilePosition::playedFrames() const { return static_cast<long>(m_played); }

long FilePosition::percent() const {
  if (m_total == 0) return 0;
  return std::min(roundHalfUp(static_cast<double>(m_played) * 100.0 / static_cast<double>(m_total)), 100L);
}

long FilePosition::seconds() const {
  if (m_total == 0) return 0;
  const long result =
      roundHalfUp(static_cast<double>(m_played) * 100.0 / static_cast<double>(m_total) *
                  static_cast<double>(m_duration) * 0.01);
  return std::min<long>(result, static_cast<long>(m_duration));
}

long FilePosition::frameForPercent(long percent, int64_t total) {
  if (total <= 0) return 1;
  // The product is taken in 64 bits: a 32-bit product overflows for files of over 21 million frames.
  const long n = roundHalfUp(static_cast<double>(static_cast<int64_t>(percent) * total) * 0.01);
  return std::clamp<long>(n, 1, static_cast<long>(total));
}

long FilePosition::percentForSeconds(long seconds, int64_t durationSeconds) {
  if (durationSeconds <= 0) return 0;
  const long p = roundHalfUp(static_cast<double>(static_cast<int64_t>(seconds) * 100) /
                             static_cast<double>(durationSeconds));
  return std::clamp<long>(p, 0, 100);
}
