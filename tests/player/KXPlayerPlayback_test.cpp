// The player facade playing files: settings made before the open reach the file player, and
// recordings made through the facade in stream mode play back as the same pictures.
#include "player/KXPlayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "media/AVFrameData.h"
#include "support/TestPaths.h"
#include "tests/player/KXPlayerFixture.h"
#include "tests/player/LivePictures.h"
#include "tests/player/LiveTestStreams.h"

namespace {

using KXPlayerTest = livetest::KXPlayerFixture;
using livetest::offerUntilTaken;
using livetest::Pictures;

TEST_F(KXPlayerTest, SettingsMadeBeforeAnOpenReachTheFilePlayer) {
  const std::string path = dir + "/ours.ts";
  ASSERT_TRUE(livetest::writeFile(path, stream->bytes));
  Pictures pictures;
  std::atomic<int> ended{0};
  KXPlayer player;
  player.setVideoWindow(window, 0, 0, kWidth, kHeight);
  player.setDecodeCallBack(3, &Pictures::onDecode, &pictures);
  player.setFileEndCallback(9, [](long id, void* user) { if (id == 9) ++*static_cast<std::atomic<int>*>(user); }, &ended);
  ASSERT_EQ(0, player.openFile(path.c_str()));
  ASSERT_EQ(0, player.play());
  ASSERT_EQ(0, player.setSpeed(16.0f)) << "16 is the top speed";
  ASSERT_TRUE(pictures.waitFor(reference->size()));
  EXPECT_EQ(*reference, pictures.snapshot());
  for (int waited = 0; ended.load() == 0 && waited < 20000; waited += 5)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(1, ended.load());
}

TEST_F(KXPlayerTest, RecordedChunksPlayBackAsTheSamePictures) {
  const std::string path = dir + "/chunks.ts";
  KXPlayer live;
  startRecording(live, path, 3);
  std::mt19937 random(31);
  const std::vector<int> chunks = livetest::chunking(stream->bytes.size(), 0, 5);
  const size_t stopAt = chunks.size() / 2 + random() % (chunks.size() / 2);
  std::string accepted;
  size_t at = 0;
  for (size_t n = 0; n < stopAt; ++n) {
    ASSERT_EQ(0, offerUntilTaken([&] { return live.intputTSData(stream->bytes.data() + at, static_cast<unsigned>(chunks[n])); }));
    accepted.append(stream->bytes, at, static_cast<size_t>(chunks[n]));
    at += static_cast<size_t>(chunks[n]);
  }
  ASSERT_EQ(0, live.stopRecord());
  ASSERT_TRUE(accepted == kxtest::readFile(path)) << "the file is every accepted chunk";
  // Every frame wholly recorded plays back as ffmpeg decodes it.
  Pictures pictures;
  KXPlayer file;
  playFile(file, path, pictures);
  size_t whole = 0;
  for (size_t end = 0, i = 0; i < stream->framePackets.size(); ++i) {
    end += stream->framePackets[i].size();
    if (end <= accepted.size() && i % 2 == 0) ++whole;
  }
  ASSERT_GT(whole, 2u);
  pictures.waitFor(whole - 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::vector<std::string> got = pictures.snapshot();
  ASSERT_GE(got.size(), whole - 1);
  for (size_t i = 0; i + 1 < whole; ++i) EXPECT_EQ((*reference)[i], got[i]) << "picture " << i;
}

TEST_F(KXPlayerTest, RecordedElementaryFramesPlayBackAsTheSamePictures) {
  const std::string path = dir + "/frames.ts";
  KXPlayer live;
  startRecording(live, path, 2);
  std::mt19937 random(41);
  const size_t stopAfter = stream->videoBytes.size() / 2 + random() % (stream->videoBytes.size() / 2);
  for (size_t i = 0; i < stopAfter; ++i) {
    const AVFrameData frame = livetest::elementaryFrame(*stream, i);
    ASSERT_EQ(0, offerUntilTaken([&] { return live.inputAVFrame(frame); }));
  }
  ASSERT_EQ(0, live.stopRecord());
  Pictures pictures;
  KXPlayer file;
  playFile(file, path, pictures);
  ASSERT_TRUE(pictures.waitFor(stopAfter));
  const std::vector<std::string> got = pictures.snapshot();
  EXPECT_EQ(std::vector<std::string>(reference->begin(), reference->begin() + static_cast<std::ptrdiff_t>(stopAfter)), got);
}

}  // namespace
