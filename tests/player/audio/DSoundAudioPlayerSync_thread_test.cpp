// The audio player lines the start of its sound up with the pictures it goes with, on the null sound
// backend whose clock only the test moves, the feed thread taking one step per 10 ms of that clock:
// the first sample heard is heard when the pictures' pacing reaches its timestamp, whether the sound
// came ahead of the pictures (it waits behind silence), a little behind them (the pictures wait for
// it) or far behind (the older sound is dropped).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/NullSoundSystem.h"
#include "player/audio/DSoundAudioPlayer.h"
#include "tests/player/SoundTestSupport.h"
#include "tests/player/file/FakeVideoPlayer.h"

namespace {

constexpr int64_t kFirstTime = 5000000;
constexpr int64_t kFrameMicros = 20000;
// Writing into an empty output leaves one segment (1000 bytes, 62.5 ms) ahead of the play position.
constexpr int64_t kLeadMicros = 62500;

// Pictures paced by the test's clock: their stream time is the clock plus an offset, which the sound
// moves as the player's pacing would be moved.
class PacedPictures : public FakeVideoPlayer {
 public:
  explicit PacedPictures(soundtest::VirtualClock& clock, int64_t offset) : m_clock(clock), m_offset(offset) {}
  bool getPacedStreamTime(int64_t& streamTime) override {
    streamTime = m_clock.now() + m_offset.load();
    return true;
  }
  void followSoundClock(int64_t heard, bool atOnce) override {
    const int64_t ahead = m_clock.now() + m_offset.load() - heard;
    if (ahead > 1000000 || ahead < -1000000) return;
    const int64_t shift = atOnce ? ahead : ahead / 8;
    m_offset.fetch_sub(shift);
    if (atOnce) m_waited.fetch_add(shift);
  }
  int64_t pacedAt(int64_t clockMicros) const { return clockMicros + m_offset.load(); }
  int64_t waited() const { return m_waited.load(); }

 private:
  soundtest::VirtualClock& m_clock;
  std::atomic<int64_t> m_offset;
  std::atomic<int64_t> m_waited{0};
};

TEST(AudioPlayerSync, TheFirstSampleIsHeardWhenThePicturesReachItsTime) {
  const soundtest::CodedSpeech speech = soundtest::codeSpeech(soundtest::kG711A, 9600);
  ASSERT_EQ(speech.frames.size(), 30u);
  const struct {
    const char* what;
    int64_t soundAhead;     // the first frame's time less the pictures' time when it would be heard
    std::size_t firstHeard;  // PCM byte of the sound heard first
    int64_t picturesWait;
  } cases[] = {
      {"ahead by 30 ms: silence first", 30000, 0, 0},
      {"ahead by 300 ms: waits, then silence", 300000, 0, 0},
      {"behind by 100 ms: the pictures wait", -100000, 0, 100000},
      {"behind by 400 ms: dropped", -400000, 6400, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    soundtest::VirtualClock clock;
    platform::NullSoundSystem sound(clock.source());
    soundtest::LockstepFeed lockstep(clock);
    PacedPictures pictures(clock, kFirstTime - kLeadMicros - c.soundAhead);
    DSoundAudioPlayer player(sound);
    player.syncWithPictures(&pictures);
    ASSERT_EQ(player.openAudio(), 0);
    for (std::size_t i = 0; i < speech.frames.size(); ++i) {
      AVData frame = soundtest::audioFrame(soundtest::kG711A, speech.frames[i]);
      frame.setTimeStamp(kFirstTime + static_cast<int64_t>(i) * kFrameMicros);
      ASSERT_EQ(player.pushAudioFrame(frame), 0);
    }
    ASSERT_EQ(player.playAudio(), 0);
    lockstep.settle();
    for (int step = 0; step < 60; ++step) lockstep.step(10);
    const std::string played = soundtest::asString(sound.lastBuffer()->played());
    const std::size_t at = played.find(speech.pcm.substr(c.firstHeard, 640));
    ASSERT_NE(at, std::string::npos) << "the expected sound is heard";
    EXPECT_TRUE(soundtest::allSilent(played, 0, at)) << "silence before it";
    // Byte `at` is heard at at / 16 ms of the clock: the pictures stand at its time then.
    const int64_t heardAt = static_cast<int64_t>(at) * 1000 / 16;
    const int64_t expected = kFirstTime + static_cast<int64_t>(c.firstHeard) * 1000 / 16;
    EXPECT_NEAR(static_cast<double>(pictures.pacedAt(heardAt)), static_cast<double>(expected), 1000.0);
    EXPECT_NEAR(static_cast<double>(pictures.waited()), static_cast<double>(c.picturesWait), 1000.0);
    player.closeAudio();
  }
}

// Timestamps seconds away from the pictures' belong to something else: the sound plays as it comes.
TEST(AudioPlayerSync, SoundFarFromThePicturesPlaysAsItComes) {
  const soundtest::CodedSpeech speech = soundtest::codeSpeech(soundtest::kG711A, 9600);
  soundtest::VirtualClock clock;
  platform::NullSoundSystem sound(clock.source());
  soundtest::LockstepFeed lockstep(clock);
  PacedPictures pictures(clock, kFirstTime + 10000000);
  DSoundAudioPlayer player(sound);
  player.syncWithPictures(&pictures);
  ASSERT_EQ(player.openAudio(), 0);
  for (std::size_t i = 0; i < speech.frames.size(); ++i) {
    AVData frame = soundtest::audioFrame(soundtest::kG711A, speech.frames[i]);
    frame.setTimeStamp(kFirstTime + static_cast<int64_t>(i) * kFrameMicros);
    ASSERT_EQ(player.pushAudioFrame(frame), 0);
  }
  ASSERT_EQ(player.playAudio(), 0);
  lockstep.settle();
  for (int step = 0; step < 80; ++step) lockstep.step(10);
  std::size_t lead = 0;
  EXPECT_TRUE(soundtest::playedExactly(soundtest::asString(sound.lastBuffer()->played()), speech.pcm, &lead));
  EXPECT_EQ(lead, 1000u);
  EXPECT_EQ(pictures.waited(), 0);
  player.closeAudio();
}

}  // namespace
