#pragma once
// The fixture of the player facade tests: the live-player fixture, a scratch folder, and helpers that
// record through a facade in stream mode and play a file through another.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/KXPlayer.h"
#include "support/TestPaths.h"
#include "tests/player/LivePictures.h"
#include "tests/player/LivePlayerFixture.h"
#include "tests/player/LiveTestStreams.h"

namespace livetest {

class KXPlayerFixture : public livetest::LivePlayerFixture {
 protected:
  void SetUp() override {
    LivePlayerFixture::SetUp();
    dir = kxtest::scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  // Pushes the stream's chunks into a facade in stream mode (-13 offered again).
  static void pushChunks(KXPlayer& player, const std::string& bytes, size_t chunkCount = SIZE_MAX) {
    size_t at = 0;
    size_t n = 0;
    for (int size : livetest::chunking(bytes.size(), 0, 5)) {
      if (n++ == chunkCount) break;
      ASSERT_EQ(0, livetest::offerUntilTaken([&] { return player.intputTSData(bytes.data() + at, static_cast<unsigned>(size)); }));
      at += static_cast<size_t>(size);
    }
  }

  // A stream-mode player recording to path, with the given input queue, decoding without pacing.
  static void startRecording(KXPlayer& live, const std::string& path, unsigned queueSize) {
    live.setInputQueueMaxSize(queueSize);
    live.setUseTimeStamp(false);
    live.setLivePlayFlag(false);
    ASSERT_EQ(0, live.setRecordFile(path.c_str()));
    ASSERT_EQ(0, live.openStream());
    ASSERT_EQ(0, live.play());
    ASSERT_EQ(0, live.startRecord());
  }
  // Plays a recording file as fast as the player goes, reporting to pictures.
  void playFile(KXPlayer& file, const std::string& path, livetest::Pictures& pictures) {
    file.setVideoWindow(window, 0, 0, kWidth, kHeight);
    file.setDecodeCallBack(1, &livetest::Pictures::onDecode, &pictures);
    ASSERT_EQ(0, file.openFile(path.c_str()));
    ASSERT_EQ(0, file.play());
    ASSERT_EQ(0, file.setSpeed(16.0f));
  }

  std::string dir;
};

}  // namespace livetest
