#pragma once
// Frames of a real H.264 recording for the video player tests, and counters for its callbacks.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "support/TestPaths.h"
#include "tests/player/H264Fixture.h"

namespace kxtest {

// A baseline 176x144 recording (no reordering: one picture per access unit), 12-frame GOPs.
inline const std::vector<kxh264::AccessUnit>& baselineUnits() {
  static const std::vector<kxh264::AccessUnit> units =
      kxh264::splitAccessUnits(generatedDir() + "/h264_baseline_176x144_gop12.h264");
  return units;
}

// Frame i as a pusher hands it over: H.264, sequence id i + 1, timestamps 1 / fps apart from firstTs
// (microseconds). The recording (24 frames, two GOPs) repeats for i beyond its end.
inline void makeFrame(int i, int64_t firstTs, AVData& frame, int fps = 25) {
  const std::vector<kxh264::AccessUnit>& units = baselineUnits();
  const kxh264::AccessUnit& unit = units[static_cast<size_t>(i) % units.size()];
  frame.setData(unit.data.data(), static_cast<unsigned>(unit.data.size()));
  frame.setEncoderType(1);
  frame.setESStreamType(1);
  frame.setFrameType(unit.key ? 1 : 2);
  frame.setSequenceId(static_cast<uint32_t>(i + 1));
  frame.setTimeStamp(firstTs + static_cast<int64_t>(i) * 1000000 / fps);
  frame.setFrameRate(fps);
}

// What the decode and draw callbacks saw.
struct CallbackCounts {
  std::atomic<int> decoded{0};
  std::atomic<int> drawn{0};
  std::atomic<int64_t> lastTimestamp{-1};

  static long onDecode(long, const char*, long, FRAME_INFO* info, void* user) {
    auto* counts = static_cast<CallbackCounts*>(user);
    counts->lastTimestamp.store(info->timeStamp);
    counts->decoded.fetch_add(1);
    return 0;
  }
  static long onDraw(long, HDC, void* user) {
    static_cast<CallbackCounts*>(user)->drawn.fetch_add(1);
    return 0;
  }
};

}  // namespace kxtest
