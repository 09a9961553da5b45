#pragma once
// What the decode callback of a player under test saw, and offering input again while it answers -13.
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media/mpegts/H264AccessUnits.h"
#include "player/PlayerTypes.h"

namespace livetest {

struct Pictures {
  std::mutex lock;
  std::vector<std::string> md5s;
  std::vector<int> timeStamps;

  static long onDecode(long, const char* picture, long size, FRAME_INFO* info, void* user) {
    auto* self = static_cast<Pictures*>(user);
    std::lock_guard<std::mutex> hold(self->lock);
    self->md5s.push_back(tstest::md5Of(picture, static_cast<size_t>(size)));
    self->timeStamps.push_back(info->timeStamp);
    return 0;
  }
  size_t count() {
    std::lock_guard<std::mutex> hold(lock);
    return md5s.size();
  }
  // Waits until n pictures came (or a generous time passed).
  bool waitFor(size_t n) {
    for (int waited = 0; waited < 60000; waited += 5) {
      if (count() >= n) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  std::vector<std::string> snapshot() {
    std::lock_guard<std::mutex> hold(lock);
    return md5s;
  }
};

// Offers the same input again after a short pause for as long as it answers -13.
template <typename Offer>
int offerUntilTaken(Offer offer, int* refusals = nullptr) {
  int result;
  while ((result = offer()) == -13) {
    if (refusals != nullptr) ++*refusals;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return result;
}

}  // namespace livetest
