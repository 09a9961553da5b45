#include "player/render/VideoPictureOutput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/player/PictureOutputFixture.h"

namespace {

long countCalls(long, HDC dc, void* user) {
  dc->bits[0] = 0xFF;  // the callback may paint
  static_cast<std::atomic<int>*>(user)->fetch_add(1);
  return 0;
}

// Two players draw into their own windows on decoder threads while the caller's thread changes every
// setting the player forwards, zooms and takes snapshots.
TEST(VideoPictureOutputThreads, SettingsZoomAndSnapshotsWhileDecoderThreadsDraw) {
  platform::MemoryDisplay::instance().reset();
  const std::string file = kxtest::fixturePath("h264_baseline_176x144_gop12.h264");
  const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(file);
  ASSERT_FALSE(units.empty());
  const std::string dir = kxtest::scratchDir("OutputThreads");
  kxoutput::Pipeline players[2];
  HWND windows[2];
  for (int p = 0; p < 2; ++p) {
    windows[p] = createOffscreenWindow(352, 288);
    players[p].output.setVideoWindow(windows[p], 0, 0, 352, 288);
  }
  std::atomic<bool> done{false};
  std::atomic<int> callbacks{0};
  std::vector<std::thread> decoders;
  for (int p = 0; p < 2; ++p) {
    decoders.emplace_back([&, p] {
      for (int round = 0; round < 3; ++round) {
        for (size_t i = 0; i < units.size(); ++i) {
          players[p].input.pushVideoFrame(
              kxoutput::frameOf(units[i].data, units[i].key, static_cast<uint32_t>(round * 100 + i + 1), 1));
          players[p].decoder.decodeOneFrame();
          players[p].output.playOneFrame();
        }
      }
    });
  }
  std::thread caller([&] {
    int step = 0;
    while (!done.load()) {
      kxoutput::Pipeline& player = players[step % 2];
      player.output.setDrawFuncForRender(1, step % 3 == 0 ? nullptr : countCalls, &callbacks, step % 4 == 0);
      player.output.setDrawCallbackEnabled(step % 5 != 0);
      player.output.resizeWindow(0, 0, 352 - step % 7, 288);
      player.output.setStretchMode(step % 2 == 0);
      if (player.output.zoomInVideo(10, 10, 200, 150) == 0) player.output.zoomInVideo();
      if (step % 3 == 0) player.output.restoreVideo();
      if (step % 10 == 0) player.output.snapShot((dir + "/s.bmp").c_str(), "BMP");
      ++step;
    }
  });
  for (std::thread& t : decoders) t.join();
  done.store(true);
  caller.join();
  size_t drawn[2] = {0, 0};
  for (const platform::BlitRecord& record : platform::MemoryDisplay::instance().blitLog()) {
    for (int p = 0; p < 2; ++p) drawn[p] += record.window == windows[p] ? 1 : 0;
  }
  EXPECT_GT(drawn[0], 0u);
  EXPECT_GT(drawn[1], 0u);
  for (int p = 0; p < 2; ++p) {
    players[p].output.closeRender();
    destroyOffscreenWindow(windows[p]);
  }
}

}  // namespace
