// Live input on any bytes: chunks of sizes taken from the input pushed through packet reassembly,
// frame parsing and routing, with a router that refuses now and then (each refused chunk is offered
// again), the feeder's chunk input, and single transport-stream frames.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/AVData.h"
#include "media/AVFrameData.h"
#include "player/live/FrameRouter.h"
#include "player/live/LiveStreamInput.h"

namespace {

volatile uint32_t g_sink;

class RefusingRouter : public FrameRouter {
 public:
  explicit RefusingRouter(uint8_t pattern) : m_pattern(pattern | 1) {}
  int routeFrame(const AVData& frame) override {
    m_turn = static_cast<uint8_t>(m_turn * 5 + 1);
    if ((m_turn & m_pattern) == 0) return -13;
    uint32_t sum = 0;
    for (int i = 0; i < frame.getDataLength(); ++i) sum += static_cast<uint8_t>(frame.getData()[i]);
    g_sink = sum;
    return 0;
  }
  bool queuesFull() override { return (m_turn & 3) == 0; }

 private:
  uint8_t m_pattern;
  uint8_t m_turn = 0;
};

int record(void*, const char* data, int length, void*) {
  if (length <= 0 || data == nullptr) __builtin_trap();
  g_sink = static_cast<uint8_t>(data[length - 1]);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t pattern = data[0];
  const int chunk = 1 + data[1] * 7;
  std::vector<char> input(data + 2, data + size);
  const int length = static_cast<int>(input.size());
  RefusingRouter router(pattern);
  {
    LiveStreamInput live(router);
    live.setRecordCallback(&record, nullptr);
    for (int at = 0; at < length;) {
      const int n = length - at < chunk ? length - at : chunk;
      int result = live.pushTSData(input.data() + at, n);
      for (int retry = 0; result == -13 && retry < 64; ++retry) result = live.pushTSData(input.data() + at, n);
      if (result != 0 && result != -13 && result != -233) __builtin_trap();
      at += n;
    }
  }
  {
    LiveStreamInput feeder(router);
    int at = 0;
    for (int idle = 0; at < length && idle < 64;) {
      unsigned consumed = 0;
      if (feeder.inputTSData(input.data() + at, length - at, consumed) != 0) break;
      if (consumed > static_cast<unsigned>(length - at)) __builtin_trap();
      idle = consumed == 0 ? idle + 1 : 0;
      at += static_cast<int>(consumed);
    }
    AVFrameData frame;
    frame.setStreamFormat(2);
    frame.setDataEx(input.data(), static_cast<unsigned>(length));
    feeder.inputTSAVFrame(frame);
  }
  return 0;
}
