#pragma once
// The fixture of the tests that play our transport stream of real H.264 through a player: the stream,
// ffmpeg's decoded pictures of its source, the memory display, the null sound backend and a window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MemoryDisplay.h"
#include "platform/NullSoundSystem.h"
#include "platform/OffscreenWindows.h"
#include "support/TestPaths.h"
#include "tests/player/H264Fixture.h"
#include "tests/player/LiveTestStreams.h"

namespace livetest {

class LivePlayerFixture : public ::testing::Test {
 protected:
  static constexpr const char* kFixture = "h264_baseline_crop_322x242_gop10.h264";
  static constexpr int kWidth = 322;
  static constexpr int kHeight = 242;

  static void SetUpTestSuite() {
    stream = new OurStream(ourStream(kFixture, kWidth, kHeight));
    reference = new std::vector<std::string>(kxh264::referenceMd5s(kxtest::fixturePath(kFixture), "yuv420p"));
  }
  static void TearDownTestSuite() {
    delete stream;
    delete reference;
    stream = nullptr;
    reference = nullptr;
  }
  void SetUp() override {
    platform::MemoryDisplay::instance().reset();
    sound.installForProcess();
    window = createOffscreenWindow(kWidth, kHeight);
  }
  void TearDown() override { destroyOffscreenWindow(window); }

  static inline OurStream* stream = nullptr;
  static inline std::vector<std::string>* reference = nullptr;
  platform::NullSoundSystem sound;
  HWND window = 0;
};

}  // namespace livetest
