// The audio player on the null sound backend: its feed thread runs one step per 10 ms of a clock that
// only the test moves, and every byte played is compared with what the codecs make of the frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/NullSoundSystem.h"
#include "platform/Thread.h"
#include "player/KXPlayerResult.h"
#include "player/audio/DSoundAudioPlayer.h"
#include "player/audio/DSoundAudioPlayerImpl.h"
#include "tests/player/Deadline.h"
#include "tests/player/SoundTestSupport.h"

namespace {

using soundtest::asString;
using soundtest::playedExactly;

// Arrival times in ms of frames due every 20 ms: a seeded table with jitter of up to +-jitterMs, in
// arrival order; or all at once.
std::vector<int> realTimeArrivals(std::size_t frames, int jitterMs, unsigned seed, int frameMs = 20) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> jitter(-jitterMs, jitterMs);
  std::vector<int> arrivals;
  int last = 0;
  for (std::size_t i = 0; i < frames; ++i) {
    last = std::max(last, std::max(0, static_cast<int>(i) * frameMs + jitter(random)));
    arrivals.push_back(last);
  }
  return arrivals;
}

std::vector<int> burstArrivals(std::size_t frames) { return std::vector<int>(frames, 0); }

struct AudioPlayerOnNullSound : ::testing::Test {
  soundtest::VirtualClock clock;
  std::unique_ptr<platform::NullSoundSystem> sound;
  std::unique_ptr<soundtest::LockstepFeed> feed;
  std::unique_ptr<DSoundAudioPlayer> player;
  int nowMs = 0;

  void TearDown() override {
    player.reset();
    feed.reset();
  }
  void start(std::uint32_t granularity = 2) {
    sound = std::make_unique<platform::NullSoundSystem>(clock.source(), granularity);
    feed = std::make_unique<soundtest::LockstepFeed>(clock);
    player = std::make_unique<DSoundAudioPlayer>(*sound);
    ASSERT_EQ(0, player->openAudio());
    ASSERT_EQ(0, player->playAudio());
    feed->settle();
  }
  void step() {
    feed->step(10);
    nowMs += 10;
  }
  void run(int ms) {
    for (int end = nowMs + ms; nowMs < end;) step();
  }
  // Pushes each frame once the clock reaches its arrival time; a refused frame (-13) is offered again
  // at the next step, as the feeders do.
  void pushOnTime(int type, const std::vector<std::string>& frames, const std::vector<int>& arrivalsMs) {
    const int start = nowMs;
    std::size_t next = 0;
    while (next < frames.size()) {
      while (next < frames.size() && start + arrivalsMs[next] <= nowMs) {
        const int result = player->pushAudioFrame(soundtest::audioFrame(type, frames[next]));
        if (result == -13) break;
        ASSERT_EQ(0, result);
        ++next;
      }
      step();
    }
  }
  std::string played() { return asString(sound->lastBuffer()->played()); }
};

struct Delivery {
  const char* name;
  int type;
  std::uint32_t granularity;
  bool burst;
};

TEST_F(AudioPlayerOnNullSound, PlaysExactlyTheDecodedPcmOfEachCodecInRealTimeWithJitterAndInBursts) {
  const Delivery deliveries[] = {
      {"A-law, jitter", soundtest::kG711A, 2, false},       {"mu-law, jitter", soundtest::kG711U, 2, false},
      {"AMR-NB, jitter", soundtest::kAmr, 2, false},         {"PCM, jitter", soundtest::kPcm, 2, false},
      {"A-law, jitter, 10 ms steps", soundtest::kG711A, 160, false},
      {"A-law, jitter, 32 ms steps", soundtest::kG711A, 512, false},
      {"A-law, burst", soundtest::kG711A, 2, true},          {"mu-law, burst", soundtest::kG711U, 2, true},
      {"AMR-NB, burst", soundtest::kAmr, 2, true},           {"PCM, burst", soundtest::kPcm, 512, true},
      {"G.723.1, jitter", soundtest::kG7231, 2, false},      {"G.723.1, burst", soundtest::kG7231, 2, true},
  };
  unsigned seed = 11;
  for (const Delivery& d : deliveries) {
    SCOPED_TRACE(d.name);
    TearDown();
    nowMs = 0;
    start(d.granularity);
    const soundtest::CodedSpeech speech = soundtest::codeSpeech(d.type);
    ASSERT_FALSE(speech.frames.empty());
    pushOnTime(d.type, speech.frames,
               d.burst ? burstArrivals(speech.frames.size()) : realTimeArrivals(speech.frames.size(), 40, seed++, soundtest::frameMilliseconds(d.type)));
    run(1500);  // a full store and output hold 1125 ms
    std::size_t lead = 0;
    EXPECT_TRUE(playedExactly(played(), speech.pcm, &lead));
    EXPECT_LT(lead, 4000u) << "more than 250 ms before the sound starts";
  }
}

TEST_F(AudioPlayerOnNullSound, StarvedInputPlaysSilenceThenResumesCleanly) {
  start();
  const soundtest::CodedSpeech speech = soundtest::codeSpeech(soundtest::kG711A);
  const std::size_t half = speech.frames.size() / 2;
  const std::vector<std::string> first(speech.frames.begin(), speech.frames.begin() + half);
  const std::vector<std::string> second(speech.frames.begin() + half, speech.frames.end());
  pushOnTime(soundtest::kG711A, first, realTimeArrivals(first.size(), 40, 5));
  run(700);  // nothing arrives: the output plays out and starves
  const std::size_t beforeGap = played().size();
  pushOnTime(soundtest::kG711A, second, realTimeArrivals(second.size(), 40, 6));
  run(1000);
  const std::string all = played();
  const std::string firstPcm = speech.pcm.substr(0, half * 320);
  const std::string secondPcm = speech.pcm.substr(half * 320);
  EXPECT_TRUE(playedExactly(all, {firstPcm, secondPcm}));
  EXPECT_GE(all.find(secondPcm, all.find(firstPcm) + firstPcm.size()), beforeGap) << "no sound in the gap";
}

// Played out means heard: not while PCM waits in the store or in the output ahead of the play
// position, and at once after a stop drops it.
TEST_F(AudioPlayerOnNullSound, PlayedOutOnlyOnceEverySampleWasHeard) {
  start();
  EXPECT_TRUE(player->isAudioPlayedOut()) << "nothing pushed";
  const soundtest::CodedSpeech speech = soundtest::codeSpeech(soundtest::kG7231, 16000);
  pushOnTime(soundtest::kG7231, speech.frames, burstArrivals(speech.frames.size()));
  int steps = 0;
  while (!player->isAudioPlayedOut()) {
    ASSERT_LT(++steps, 300) << "never played out";
    step();
  }
  EXPECT_TRUE(playedExactly(played(), speech.pcm)) << "played out before the last sample was heard";
  pushOnTime(soundtest::kG7231, speech.frames, burstArrivals(speech.frames.size()));
  step();
  EXPECT_FALSE(player->isAudioPlayedOut());
  EXPECT_EQ(0, player->stopAudio());
  EXPECT_TRUE(player->isAudioPlayedOut()) << "dropped sound is not waited for";
  player->closeAudio();
  EXPECT_TRUE(player->isAudioPlayedOut()) << "closed";
}

TEST_F(AudioPlayerOnNullSound, PauseKeepsTheSoundAndPlayResumesIt) {
  start();
  const soundtest::CodedSpeech speech = soundtest::codeSpeech(soundtest::kG711U);
  const std::size_t third = speech.frames.size() / 3;
  pushOnTime(soundtest::kG711U, {speech.frames.begin(), speech.frames.begin() + third}, burstArrivals(third));
  run(300);
  ASSERT_EQ(0, player->pauseAudio());
  const std::size_t atPause = played().size();
  EXPECT_FALSE(player->isAudioQueueEmpty());
  for (int i = 0; i < 50; ++i) step();  // half a second paused
  EXPECT_EQ(atPause, played().size()) << "a paused output plays nothing";
  ASSERT_EQ(0, player->playAudio());
  feed->settle();
  pushOnTime(soundtest::kG711U, {speech.frames.begin() + third, speech.frames.end()},
             realTimeArrivals(speech.frames.size() - third, 40, 7));
  run(1000);
  EXPECT_TRUE(playedExactly(played(), speech.pcm));
}

TEST_F(AudioPlayerOnNullSound, StopAndClearSilenceWhatTheOutputStillHeld) {
  for (bool useStop : {true, false}) {
    SCOPED_TRACE(useStop ? "stop" : "clear");
    TearDown();
    nowMs = 0;
    start();
    const soundtest::CodedSpeech speech = soundtest::codeSpeech(soundtest::kPcm);
    pushOnTime(soundtest::kPcm, speech.frames, burstArrivals(speech.frames.size()));  // fills store and output
    run(200);
    if (useStop) {
      ASSERT_EQ(0, player->stopAudio());
    } else {
      player->clearAudioQueue();
    }
    EXPECT_TRUE(player->isAudioQueueEmpty());
    const std::string before = played();
    if (useStop) {
      ASSERT_EQ(0, player->playAudio());
      feed->settle();
    }
    run(1000);
    const std::string after = played();
    ASSERT_GT(after.size(), before.size() + 15000);
    EXPECT_TRUE(soundtest::allSilent(after, before.size(), after.size())) << "old sound played on";
    const std::size_t sound = before.find_first_not_of('\0');
    ASSERT_NE(std::string::npos, sound);
    EXPECT_NE(std::string::npos, speech.pcm.find(before.substr(sound))) << "what played before was the speech";
  }
}

TEST_F(AudioPlayerOnNullSound, VolumeLevelsMapToMillibelsReadBackAndScaleTheSamples) {
  start();
  struct Level {
    long level;
    std::int32_t millibels;
  };
  for (const Level& l : {Level{0, -10000}, Level{25, -1204}, Level{50, -602}, Level{100, 0}}) {
    ASSERT_EQ(0, player->setAudioVolume(l.level));
    std::int32_t millibels = 1;
    ASSERT_EQ(platform::kSoundOk, sound->lastBuffer()->getVolume(&millibels));
    EXPECT_EQ(l.millibels, millibels) << l.level;
    long readBack = -1;
    ASSERT_EQ(0, player->getAudioVolume(readBack));
    EXPECT_EQ(l.level, readBack);
  }
  for (long level = 0; level <= 100; ++level) {
    EXPECT_EQ(level, DSoundAudioPlayerImpl::millibelsToLevel(DSoundAudioPlayerImpl::levelToMillibels(level)));
  }
  ASSERT_EQ(0, player->setAudioVolume(50));
  std::vector<std::int16_t> samples(4000);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(((i * 37) % 20001) - 10000);
  std::string pcm(samples.size() * 2, '\0');
  std::memcpy(pcm.data(), samples.data(), pcm.size());
  std::string scaled = pcm;
  const double gain = std::pow(10.0, -602 / 2000.0);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto out = static_cast<std::int16_t>(std::lround(samples[i] * gain));
    std::memcpy(scaled.data() + 2 * i, &out, 2);
  }
  pushOnTime(soundtest::kPcm, {pcm.substr(0, 4000), pcm.substr(4000)}, {0, 0});
  run(800);
  EXPECT_TRUE(playedExactly(played(), scaled));
}

struct AudioPlayerContract : ::testing::Test {
  platform::NullSoundSystem sound;
  DSoundAudioPlayer player{sound};
  int push(int type, const std::string& bytes) { return player.pushAudioFrame(soundtest::audioFrame(type, bytes)); }
};

TEST_F(AudioPlayerContract, FramesBeforeOpenAreDroppedAndOpenFailuresGive605) {
  EXPECT_EQ(0, push(soundtest::kPcm, std::string(320, '\1')));
  EXPECT_TRUE(player.isAudioQueueEmpty());
  long volume = 77;
  EXPECT_EQ(0, player.getAudioVolume(volume));
  EXPECT_EQ(77, volume) << "left as it was while closed";

  sound.failNextDevices(1);
  EXPECT_EQ(-605, player.openAudio());
  {
    platform::DebugCapture debug;
    sound.failNextBuffers(1);
    EXPECT_EQ(-605, player.openAudio());
    EXPECT_TRUE(debug.contains("initDSound createSecondaryBuffer Error\n"));
  }
  EXPECT_EQ(0, sound.openDevices()) << "a failed open releases the device";
  EXPECT_EQ(0, push(soundtest::kPcm, std::string(320, '\1')));
  EXPECT_TRUE(player.isAudioQueueEmpty());
  EXPECT_EQ(0, player.openAudio());
  EXPECT_EQ(1, sound.openDevices());
}

// Play starts the feed thread that moves the sound into the output; when it cannot start, play says
// so and leaves the output stopped (it would loop over what it held), and a later play starts it.
TEST_F(AudioPlayerContract, PlayFailsWhenItsFeedThreadCannotStart) {
  ASSERT_EQ(0, player.openAudio());
  ASSERT_EQ(0, push(soundtest::kPcm, std::string(3200, '\1')));
  platform::Thread::failNextCreations(1);
  EXPECT_EQ(KXPLAYER_START_FAILED, player.playAudio());
  platform::Thread::failNextCreations(0);
  EXPECT_FALSE(sound.lastBuffer()->isPlaying());
  EXPECT_EQ(0, player.playAudio());
  EXPECT_TRUE(sound.lastBuffer()->isPlaying());
  EXPECT_EQ(0, player.playAudio()) << "playing already";
  EXPECT_TRUE(kxtest::eventually([&] { return player.isAudioQueueEmpty(); })) << "the feed moves the sound on";
}

TEST(AudioPlayerBackend, PlayerMadeWithoutABackendUsesTheInstalledOne) {
  platform::NullSoundSystem installed;
  installed.installForProcess();
  DSoundAudioPlayer player;
  ASSERT_EQ(0, player.openAudio());
  EXPECT_EQ(1, installed.openDevices());
  player.closeAudio();
  EXPECT_EQ(0, installed.openDevices());
}

TEST_F(AudioPlayerContract, OpenWhileOpenReleasesTheFirstOutput) {
  ASSERT_EQ(0, player.openAudio());
  ASSERT_EQ(0, push(soundtest::kPcm, std::string(320, '\1')));
  auto first = sound.lastBuffer();
  ASSERT_EQ(0, player.openAudio());
  EXPECT_EQ(1, sound.openDevices());
  EXPECT_FALSE(first->isPlaying());
  EXPECT_NE(first, sound.lastBuffer());
  EXPECT_TRUE(player.isAudioQueueEmpty());
  player.closeAudio();
  EXPECT_EQ(0, sound.openDevices());
}

TEST_F(AudioPlayerContract, CodecFollowsTheEncoderTypeAndUnknownTypesAreRefused) {
  ASSERT_EQ(0, player.openAudio());
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(0, push(soundtest::kG711A, std::string(160, '\x55')));
  EXPECT_EQ(-1, push(104, std::string(160, '\x55')));
  // A whole G.723.1 frame decodes; a frame cut short (its first byte asks for 24 bytes) is refused.
  const soundtest::CodedSpeech g7231 = soundtest::codeSpeech(soundtest::kG7231, 480);
  ASSERT_EQ(1u, g7231.frames.size());
  EXPECT_EQ(0, push(soundtest::kG7231, g7231.frames[0]));
  EXPECT_EQ(-1, push(soundtest::kG7231, g7231.frames[0].substr(0, 23)));
  EXPECT_EQ(0, push(soundtest::kG711A, std::string(160, '\x55')));
  EXPECT_EQ("Now EncoderType:102\nNow EncoderType:104\nNow EncoderType:101\nNow EncoderType:102\n",
            ::testing::internal::GetCapturedStdout());
  EXPECT_FALSE(player.isAudioQueueEmpty());
}

TEST_F(AudioPlayerContract, FullStoreRefusesForNowAndAFrameTooLongForItIsRefusedForGood) {
  ASSERT_EQ(0, player.openAudio());
  ASSERT_EQ(0, push(soundtest::kPcm, std::string(11800, '\1')));
  EXPECT_EQ(-13, push(soundtest::kG711A, std::string(160, '\x55')));
  EXPECT_FALSE(player.isAudioQueueFull());
  EXPECT_EQ(0, push(soundtest::kPcm, std::string(200, '\1')));
  EXPECT_TRUE(player.isAudioQueueFull());
  player.clearAudioQueue();
  EXPECT_TRUE(player.isAudioQueueEmpty());
  platform::DebugCapture debug;
  EXPECT_EQ(-8, push(soundtest::kPcm, std::string(12002, '\1')));
  EXPECT_TRUE(debug.contains("12002"));
  EXPECT_TRUE(player.isAudioQueueEmpty());
  EXPECT_EQ(0, push(soundtest::kPcm, std::string(12000, '\1')));
  EXPECT_TRUE(player.isAudioQueueFull());
}

}  // namespace
