// The audio player under concurrent use, for ThreadSanitizer: one thread pushes, the feed thread
// plays, another thread drives the controls, on the null sound backend with the real clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "platform/NullSoundSystem.h"
#include "player/audio/DSoundAudioPlayer.h"
#include "tests/player/SoundTestSupport.h"

namespace {

TEST(AudioPlayerThreads, PushFeedAndControlsRunTogether) {
  platform::NullSoundSystem sound;
  DSoundAudioPlayer player(sound);
  ASSERT_EQ(0, player.openAudio());
  ASSERT_EQ(0, player.playAudio());
  const soundtest::CodedSpeech speech = soundtest::codeSpeech(soundtest::kG711A);
  ASSERT_FALSE(speech.frames.empty());

  std::atomic<bool> done{false};
  std::atomic<long> accepted{0};
  std::thread pusher([&] {
    for (std::size_t i = 0; !done.load(); i = (i + 1) % speech.frames.size()) {
      const AVData frame = soundtest::audioFrame(soundtest::kG711A, speech.frames[i]);
      while (!done.load() && player.pushAudioFrame(frame) == -13) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
      ++accepted;
    }
  });
  long lastVolume = 100;
  std::thread controller([&] {
    std::mt19937 random(3);
    for (int round = 0; !done.load(); ++round) {
      switch (random() % 7) {
        case 0: player.pauseAudio(); break;
        case 1: player.playAudio(); break;
        case 2: player.stopAudio(); player.playAudio(); break;
        case 3: player.clearAudioQueue(); break;
        case 4: lastVolume = static_cast<long>(random() % 101); player.setAudioVolume(lastVolume); break;
        case 5: { long volume = -1; player.getAudioVolume(volume); EXPECT_EQ(lastVolume, volume); break; }
        default: player.isAudioQueueEmpty(); player.isAudioQueueFull(); break;
      }
      if (round % 50 == 49) {
        player.closeAudio();
        EXPECT_EQ(0, player.openAudio());
        lastVolume = 100;
        player.playAudio();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(3 + random() % 10));
    }
  });
  std::this_thread::sleep_for(std::chrono::seconds(3));
  done.store(true);
  pusher.join();
  controller.join();
  player.playAudio();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  player.closeAudio();
  EXPECT_GT(accepted.load(), 50);
  std::uint64_t played = 0;
  for (const auto& buffer : sound.buffers()) played += buffer->playedCount();
  EXPECT_GT(played, 16000u) << "more than a second of the run was played";
  EXPECT_EQ(0, sound.openDevices());
}

}  // namespace
