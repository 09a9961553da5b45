#pragma once
// A frame router for the live-input tests: keeps what it is given, answers -13 while its queue
// (of a chosen size) is full, and drains when the test says so.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "media/mpegts/H264AccessUnits.h"
#include "player/live/FrameRouter.h"

namespace livetest {

struct Delivered {
  int esType;
  int frameType;
  int64_t timeStamp;
  std::string bytes;
  bool operator==(const Delivered& o) const {
    return esType == o.esType && frameType == o.frameType && timeStamp == o.timeStamp && bytes == o.bytes;
  }
};
inline std::ostream& operator<<(std::ostream& out, const Delivered& d) {
  return out << "es " << d.esType << " type " << d.frameType << " at " << d.timeStamp << " size " << d.bytes.size()
             << " md5 " << tstest::md5Of(d.bytes.data(), d.bytes.size());
}

class TestRouter : public FrameRouter {
 public:
  explicit TestRouter(int capacity = INT_MAX) : m_capacity(capacity) {}
  int routeFrame(const AVData& frame) override {
    if (m_queued >= m_capacity) {
      ++refusals;
      return -13;
    }
    ++m_queued;
    frames.push_back({frame.getESStreamType(), frame.getFrameType(), frame.getTimeStamp(),
                      std::string(frame.getData(), static_cast<size_t>(frame.getDataLength()))});
    return 0;
  }
  bool queuesFull() override { return m_queued >= m_capacity; }
  void drain(int n) { m_queued = n >= m_queued ? 0 : m_queued - n; }

  std::vector<Delivered> frames;
  int refusals = 0;

 private:
  int m_capacity;
  int m_queued = 0;
};

}  // namespace livetest
