#pragma once
// What a playing file shows its embedder: the pictures handed to the decode callback (frame number and
// MD5), the file-end callbacks, and the end-of-file messages posted to its window. Waits are on
// conditions with generous limits.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/OffscreenWindows.h"
#include "player/PlayerTypes.h"
#include "tests/player/PlaybackFixture.h"

namespace playtest {

struct Picture {
  long frame = 0;  // 1-based frame number of the file
  std::string md5;
};

class PlaybackObserver {
 public:
  // Frame numbers come from the picture's timestamp (the plan's first timestamp and 25 frames a second).
  explicit PlaybackObserver(int64_t firstTimeStamp = 1000000000) : m_firstTimeStamp(firstTimeStamp) {}

  static long onPicture(long, const char* picture, long size, FRAME_INFO* info, void* user) {
    auto* self = static_cast<PlaybackObserver*>(user);
    const int64_t microseconds = static_cast<int64_t>(info->timeStamp) * 90;
    Picture seen;
    seen.frame = static_cast<long>((microseconds - self->m_firstTimeStamp + 20000) / 40000) + 1;
    seen.md5 = md5Hex(picture, static_cast<size_t>(size));
    std::lock_guard<std::mutex> lock(self->m_lock);
    self->m_pictures.push_back(seen);
    self->m_changed.notify_all();
    return 0;
  }

  static void onFileEnd(long id, void* user) {
    auto* self = static_cast<PlaybackObserver*>(user);
    std::lock_guard<std::mutex> lock(self->m_lock);
    self->m_endIds.push_back(id);
    self->m_picturesAtEnd.push_back(self->m_pictures.size());
    self->m_changed.notify_all();
  }

  // Waits until the condition holds (on the observer's state, under its lock): false after the limit.
  template <class Condition>
  bool waitFor(Condition condition, std::chrono::seconds limit = std::chrono::seconds(120)) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, limit, [&] { return condition(*this); });
  }
  bool waitForEnds(size_t count) {
    return waitFor([count](const PlaybackObserver& o) { return o.m_endIds.size() >= count; });
  }
  bool waitForPictures(size_t count) {
    return waitFor([count](const PlaybackObserver& o) { return o.m_pictures.size() >= count; });
  }

  // Pictures seen from the first of this frame on (0 before it); called under the lock by waitFor.
  size_t countFrom(long frame) const {
    for (size_t i = 0; i < m_pictures.size(); ++i) {
      if (m_pictures[i].frame == frame) return m_pictures.size() - i;
    }
    return 0;
  }

  std::vector<Picture> pictures() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_pictures;
  }
  std::vector<long> endIds() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_endIds;
  }
  std::vector<size_t> picturesAtEnd() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_picturesAtEnd;
  }
  void clearPictures() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_pictures.clear();
  }

 private:
  int64_t m_firstTimeStamp;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<Picture> m_pictures;
  std::vector<long> m_endIds;
  std::vector<size_t> m_picturesAtEnd;
};

// The messages other than repaints posted to a window since the last call.
inline std::vector<WindowMessage> postedMessages(HWND window) {
  std::vector<WindowMessage> all, posted;
  pumpWindowMessages(window, all);
  for (const WindowMessage& m : all) {
    if (m.message != WM_PAINT) posted.push_back(m);
  }
  return posted;
}

}  // namespace playtest
