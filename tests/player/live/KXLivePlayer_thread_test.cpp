// The live player with its real video player on the decoder threads: the same transport-stream bytes
// in any chunking, and single frames of either kind, reach the decode callback as the same pictures in
// the same order, each equal to ffmpeg's decoding; full queues (-13) lose and repeat nothing.
#include "player/live/KXLivePlayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "media/AVFrameData.h"
#include "platform/MemoryDisplay.h"
#include "platform/NullSoundSystem.h"
#include "platform/OffscreenWindows.h"
#include "support/TestPaths.h"
#include "tests/player/H264Fixture.h"
#include "tests/player/LivePictures.h"
#include "tests/player/LivePlayerFixture.h"
#include "tests/player/LiveTestStreams.h"

namespace {


using livetest::offerUntilTaken;
using livetest::Pictures;

class KXLivePlayerTest : public livetest::LivePlayerFixture {
 protected:

  // A playing live player with a queue of queueSize frames that decodes as fast as it can and keeps
  // every frame (no live-delay dropping), reporting to pictures.
  void openPlaying(KXLivePlayer& player, Pictures& pictures, unsigned queueSize) {
    AVPlayer& av = player.getAVPlayer();
    av.setVideoWindow(window, 0, 0, kWidth, kHeight);
    av.setDecodeCallBack(1, &Pictures::onDecode, &pictures);
    av.setUseTimestampForVideo(false);
    ASSERT_EQ(0, player.open());
    av.setLivePlayFlag(false);
    av.setAutoClearVideoQueueFlag(false);
    av.setInputQueueMaxSize(queueSize);
    ASSERT_EQ(0, player.play());
  }
  void expectEveryPicture(Pictures& pictures) {
    ASSERT_FALSE(reference->empty()) << "no ffmpeg";
    ASSERT_TRUE(pictures.waitFor(reference->size())) << pictures.count() << " of " << reference->size();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::lock_guard<std::mutex> hold(pictures.lock);
    EXPECT_EQ(*reference, pictures.md5s);
    ASSERT_EQ(stream->videoMicroseconds.size(), pictures.timeStamps.size());
    for (size_t i = 0; i < pictures.timeStamps.size(); ++i)
      EXPECT_EQ(stream->videoMicroseconds[i] / 90, pictures.timeStamps[i]) << "picture " << i;
  }

};

TEST_F(KXLivePlayerTest, ChunksOfAnySizeWithDamageGiveFfmpegsPicturesInOrder) {
  const std::string bytes = livetest::damaged(stream->bytes);
  for (const livetest::Chunking& c : livetest::chunkings()) {
    SCOPED_TRACE(::testing::Message() << c);
    Pictures pictures;
    KXLivePlayer player;
    openPlaying(player, pictures, 3);
    int refusals = 0;
    size_t at = 0;
    for (int n : livetest::chunking(bytes.size(), c.size, c.seed)) {
      ASSERT_EQ(0, offerUntilTaken([&] { return player.pushTSData(bytes.data() + at, n); }, &refusals));
      at += static_cast<size_t>(n);
    }
    // The last packet waits for the sync byte of the next chunk.
    ASSERT_EQ(0, offerUntilTaken([&] { return player.pushTSData("\x47", 1); }, &refusals));
    expectEveryPicture(pictures);
    EXPECT_GT(refusals, 0) << "the queue of 3 filled";
    player.close();
  }
}

TEST_F(KXLivePlayerTest, FeederChunksWithConsumedLoseNothing) {
  Pictures pictures;
  KXLivePlayer player;
  openPlaying(player, pictures, 2);
  std::mt19937 random(8);
  const std::string& bytes = stream->bytes;
  int waits = 0;
  for (size_t at = 0; at < bytes.size();) {
    const int offered = static_cast<int>(std::min<size_t>(bytes.size() - at, 188 * (1 + random() % 30)));
    unsigned consumed = 0;
    ASSERT_EQ(0, player.inputTSData(bytes.data() + at, offered, consumed));
    if (consumed == 0) {
      ++waits;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    at += consumed;
  }
  // A frame still waiting goes with the next call.
  for (unsigned consumed = 0; pictures.count() < reference->size() && waits < 1000000; ++waits) {
    player.inputTSData("\x47", 1, consumed);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  expectEveryPicture(pictures);
}

TEST_F(KXLivePlayerTest, TransportAndElementaryFramesOfferedAgainAreDecodedOnce) {
  for (bool elementary : {false, true}) {
    SCOPED_TRACE(elementary ? "inputAVFrame" : "inputTSAVFrame");
    Pictures pictures;
    KXLivePlayer player;
    openPlaying(player, pictures, 2);
    int refusals = 0;
    if (elementary) {
      for (size_t i = 0; i < stream->videoBytes.size(); ++i) {
        const AVFrameData frame = livetest::elementaryFrame(*stream, i);
        ASSERT_EQ(0, offerUntilTaken([&] { return player.inputAVFrame(frame); }, &refusals));
      }
    } else {
      for (const std::string& packets : stream->framePackets) {
        AVFrameData frame;
        frame.setStreamFormat(2);
        frame.setDataEx(packets.data(), static_cast<unsigned>(packets.size()));
        ASSERT_EQ(0, offerUntilTaken([&] { return player.inputTSAVFrame(frame); }, &refusals));
      }
    }
    expectEveryPicture(pictures);
    EXPECT_GT(refusals, 0);
  }
}

TEST_F(KXLivePlayerTest, StoppedPlayerDropsWhatItIsGivenAndStopEndsRecording) {
  Pictures pictures;
  KXLivePlayer player;
  player.getAVPlayer().setVideoWindow(window, 0, 0, kWidth, kHeight);
  player.getAVPlayer().setDecodeCallBack(1, &Pictures::onDecode, &pictures);
  ASSERT_EQ(0, player.open());
  EXPECT_EQ(KXLivePlayer::kStopped, player.getPlayState());
  EXPECT_EQ(0, player.pushTSData(stream->bytes.data(), static_cast<int>(stream->bytes.size())));
  EXPECT_EQ(-6, player.pause()) << "not playing";
  EXPECT_EQ(0, player.stop()) << "already stopped";
  ASSERT_EQ(0, player.play());
  EXPECT_EQ(0, player.pause());
  EXPECT_EQ(0, player.play());
  int recorded = 0;
  player.setRecordCallback([](void*, const char*, int, void* user) { return ++*static_cast<int*>(user); }, &recorded);
  EXPECT_TRUE(player.isRecording());
  EXPECT_EQ(0, player.stop());
  EXPECT_FALSE(player.isRecording()) << "stop ends the recording";
  EXPECT_EQ(0, player.pushTSData(stream->bytes.data(), 188 * 20));
  EXPECT_EQ(0, recorded);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(0u, pictures.count()) << "a stopped player decodes nothing";
  player.setRecordCallback([](void*, const char*, int, void*) { return 0; }, nullptr);
  player.close();
  EXPECT_FALSE(player.isRecording()) << "close ends the recording";
  EXPECT_FALSE(player.isOpen());
}

TEST_F(KXLivePlayerTest, PlaySoundThatFailsLeavesSoundOffSoTheRetryTriesAgain) {
  KXLivePlayer player;
  ASSERT_EQ(0, player.open());
  sound.failNextDevices(1);
  EXPECT_EQ(-605, player.playSound());
  EXPECT_FALSE(player.isOnSound());
  EXPECT_EQ(0, player.playSound());
  EXPECT_TRUE(player.isOnSound());
  player.stopSound();
  EXPECT_FALSE(player.isOnSound());
}

TEST_F(KXLivePlayerTest, FrameRateAndBitRateComeFromTheStream) {
  Pictures pictures;
  KXLivePlayer player;
  openPlaying(player, pictures, 50);
  EXPECT_EQ(0, player.getFrameRate());
  const std::string& key = stream->framePackets[0];
  ASSERT_EQ(0, player.pushTSData(key.data(), static_cast<int>(key.size())));
  ASSERT_EQ(0, player.pushTSData("\x47", 1));
  EXPECT_EQ(25, player.getFrameRate());
}

}  // namespace
