#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "media/AVData.h"
#include "player/decode/VideoFrameInput.h"

namespace {

// A pushing thread, a decoder thread and a caller changing pause, rate and delay all work on one input
// at once: every frame pushed is taken exactly once, in order, and the clock and pacing state stay
// guarded (ThreadSanitizer runs this suite).
TEST(VideoFrameInputThreads, PushTakeAndSettersTogether) {
  PlayerDebugLog log;
  std::atomic<int64_t> now{1000000};
  VideoFrameInput input(log, [&now] { return now.fetch_add(100); });
  input.setOpened(true);
  input.setLivePlayFlag(true);
  input.setAutoClearVideoQueueFlag(false);
  constexpr int kFrames = 3000;
  static const char bytes[] = {0, 0, 0, 1, 0x65, 0};
  std::atomic<bool> done{false};

  std::thread pusher([&] {
    for (int i = 0; i < kFrames;) {
      AVData frame;
      frame.setData(bytes, sizeof(bytes));
      frame.setEncoderType(1);
      frame.setFrameType(i % 25 == 0 ? 1 : 2);
      frame.setSequenceId(static_cast<uint32_t>(i + 1));
      frame.setTimeStamp(1000000 + static_cast<int64_t>(i) * 40000);
      frame.setFrameRate(25);
      if (input.pushVideoFrame(frame) == 0) {
        ++i;
      } else {
        std::this_thread::yield();
      }
    }
  });
  std::thread caller([&] {
    for (int i = 0; !done.load(); ++i) {
      input.changePause(i % 2 == 0);
      input.changeRate(i % 3 == 0 ? 2.0f : 1.0f);
      input.setMaxDelayTime(static_cast<unsigned>(200 + (i % 5) * 100));
      input.ptsDelay();
      std::this_thread::yield();
    }
  });
  uint32_t expected = 1;
  while (expected <= kFrames) {
    input.getNextSleepTime();
    AVData* frame = input.takeFrame();
    if (frame == nullptr) {
      std::this_thread::yield();
      continue;
    }
    EXPECT_EQ(expected, frame->getSequenceId());
    ++expected;
    delete frame;
  }
  done.store(true);
  pusher.join();
  caller.join();
  EXPECT_TRUE(input.isVideoQueueEmpty());
}

}  // namespace
