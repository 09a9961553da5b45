// The audio player on the real sound backend with SDL's "disk" driver, which writes what the device
// plays to a file: G.711 speech pushed in real time must come out as ffmpeg decodes it, without gaps.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/SoundSystem.h"
#include "player/audio/DSoundAudioPlayer.h"
#include "support/TestPaths.h"
#include "tests/player/SoundTestSupport.h"

namespace {

std::uintmax_t fileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

TEST(AudioPlayerOnSdlDisk, RealTimeALawSpeechComesOutAsFfmpegDecodesIt) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string speech = kxtest::fixturePath("speech-8k.raw");
  ASSERT_FALSE(kxtest::readFile(speech).empty()) << "run scripts/make-fixtures.sh";
  const std::string dir = kxtest::scratchDir("AudioPlayerOnSdlDisk");
  const std::string frames = dir + "/frames.bin";
  const std::string output = dir + "/played.raw";
  int exitCode = -1;
  kxtest::runCommand("ffmpeg -hide_banner -loglevel error -y -f s16le -ar 8000 -ac 1 -i '" + speech +
                         "' -f alaw '" + frames + "'",
                     &exitCode);
  ASSERT_EQ(0, exitCode);
  const std::string reference = kxtest::runCommand(
      "ffmpeg -hide_banner -loglevel error -f alaw -ar 8000 -ac 1 -i '" + frames + "' -f s16le -", &exitCode);
  ASSERT_EQ(0, exitCode);
  const std::string alaw = kxtest::readFile(frames);
  ASSERT_EQ(reference.size(), alaw.size() * 2);

  ASSERT_NE(nullptr, platform::SoundSystem::current());
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  {
    DSoundAudioPlayer player;  // no test set-up: the real backend
    ASSERT_EQ(0, player.openAudio());
    ASSERT_EQ(0, player.playAudio());
    // 20 ms frames on a real-time schedule that starts half a second ahead, so that a loaded machine
    // delays the pushes without starving the output.
    const auto start = std::chrono::steady_clock::now() - std::chrono::milliseconds(500);
    const std::size_t frameBytes = 160;
    for (std::size_t at = 0, index = 0; at < alaw.size(); at += frameBytes, ++index) {
      std::this_thread::sleep_until(start + std::chrono::milliseconds(20 * index));
      const std::string bytes = alaw.substr(at, frameBytes);
      const AVData frame = soundtest::audioFrame(soundtest::kG711A, bytes);
      int result;
      while ((result = player.pushAudioFrame(frame)) == -13) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      ASSERT_EQ(0, result);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!player.isAudioQueueEmpty() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(player.isAudioQueueEmpty());
    // The device plays on (silence once the sound is out). On a loaded machine it may lag behind real
    // time, so wait for the file to hold the sound, a second of lead and a second more.
    const std::uintmax_t enough = reference.size() + 2 * 16000;
    while (fileSize(output) < enough && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_GE(fileSize(output), enough);
    player.closeAudio();
  }
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  const std::string played = kxtest::readFile(output);
  std::size_t lead = 0;
  EXPECT_TRUE(soundtest::playedExactly(played, reference, &lead));
  EXPECT_LT(lead, 16000u) << "more than a second before the sound starts";
}

}  // namespace
