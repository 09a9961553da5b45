// The file engine's sound through the real audio player on the null sound backend, whose clock only
// the test moves, with the pictures shown by the test as a decoder would show them. Sound is switched
// on right after play, as the desktop window does; what is heard by the time the end is reported must
// be the recording's decoded audio from its first sample to its last, in one piece, also when the
// first picture takes a while to appear (a decoder still starting).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/NullSoundSystem.h"
#include "player/audio/DSoundAudioPlayer.h"
#include "player/file/FilePlayerImpl.h"
#include "tests/player/PlaybackFixture.h"
#include "tests/player/SoundTestSupport.h"
#include "tests/player/file/FakeVideoPlayer.h"

namespace {

constexpr int kPictureMs = 40;

// What had been played when the end was reported, and how often it was.
struct EndReport {
  std::shared_ptr<platform::NullSoundBuffer> buffer;
  std::mutex lock;
  std::string heard;
  std::atomic<int> count{0};

  static void onEnd(long, void* user) {
    auto* self = static_cast<EndReport*>(user);
    std::lock_guard<std::mutex> hold(self->lock);
    if (self->count.load() == 0 && self->buffer) self->heard = soundtest::asString(self->buffer->played());
    ++self->count;
  }
};

// The real audio player, noting the timestamp of every frame it took.
class CountingAudioPlayer : public DSoundAudioPlayer {
 public:
  explicit CountingAudioPlayer(platform::SoundSystem& sound) : DSoundAudioPlayer(sound) {}
  int pushAudioFrame(const AVData& frame) override {
    const int result = DSoundAudioPlayer::pushAudioFrame(frame);
    if (result == 0) {
      std::lock_guard<std::mutex> hold(m_lock);
      m_taken.push_back(frame.getTimeStamp());
      m_changed.notify_all();
    }
    return result;
  }
  bool waitForTaken(std::size_t frames) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_changed.wait_for(hold, std::chrono::seconds(60), [&] { return m_taken.size() >= frames; });
  }
  std::vector<int64_t> taken() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_taken;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<int64_t> m_taken;
};

// The test's video player, noting the timestamp of the last frame it took.
class TimedVideoPlayer : public FakeVideoPlayer {
 public:
  int pushVideoFrame(const AVData& frame) override {
    const int result = FakeVideoPlayer::pushVideoFrame(frame);
    if (result == 0) m_lastTaken = frame.getTimeStamp();
    return result;
  }
  int64_t lastTaken() const { return m_lastTaken.load(); }

 private:
  std::atomic<int64_t> m_lastTaken{-1};
};

struct SoundCase {
  const char* name;
  int codec;
  int firstPictureMs;  // when the first picture appears after play
};

class FileSound : public ::testing::TestWithParam<SoundCase> {};

TEST_P(FileSound, SoundSwitchedOnAfterPlayIsHeardWholeAndInOnePieceBeforeTheEnd) {
  const SoundCase& c = GetParam();
  const playtest::Source source = playtest::soundSource("file-sound", c.codec, 50);
  const playtest::Recording& r = playtest::recording(source, playtest::kTransportStream);
  ASSERT_FALSE(r.pcm.empty());

  soundtest::VirtualClock clock;
  platform::NullSoundSystem sound(clock.source());
  soundtest::LockstepFeed lockstep(clock);
  auto* video = new FakeVideoPlayer();
  auto* audio = new CountingAudioPlayer(sound);
  FilePlayerImpl engine(video, audio);
  EndReport end;
  engine.setFileType(playtest::kTransportStream);
  engine.setFileEndCallback(0, &EndReport::onEnd, &end);
  ASSERT_EQ(engine.open(r.path.c_str()), 0);
  // The window's order: play, normal speed, sound.
  ASSERT_EQ(engine.play(), 0);
  ASSERT_EQ(engine.setRate(1.0f), 0);
  {
    std::lock_guard<std::mutex> hold(end.lock);
    ASSERT_EQ(engine.playSound(), 0);
    end.buffer = sound.lastBuffer();
  }
  ASSERT_NE(end.buffer, nullptr);
  lockstep.settle();
  // The feed takes up the sound switched on when it next looks (in real time): a refusal for want of
  // picture room after that means it has pushed all it could read so far. The first refusal counted
  // from here may come from a pass that had looked at the sound before it was switched on; the second
  // comes from a pass that began after the first, so it has pushed the kept sound before its picture.
  ASSERT_TRUE(video->waitForRefusals(video->refusals() + 2));

  const std::size_t pictures = static_cast<std::size_t>(source.frames);
  int nextPictureMs = c.firstPictureMs;
  for (int ms = 0; end.count.load() == 0; ms += 10) {
    ASSERT_LT(ms, 30000) << "no end reported";
    if (ms >= nextPictureMs && video->showNext()) {
      nextPictureMs += kPictureMs;
      // The feed reads on at once after a picture: wait for it before the clock moves on.
      ASSERT_TRUE(video->waitForRefill(pictures));
      // After the last picture the feed reads the audio that follows it: wait for that too.
      if (video->pushed().size() == pictures) {
        ASSERT_TRUE(audio->waitForTaken(r.pcm.size() / (c.codec == soundtest::kG7231 ? 480 : 320)));
      }
    }
    lockstep.step(10);
    // Once every picture is shown the end is up to the feed thread, which looks in real time.
    if (video->shown().size() == pictures) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(video->shown().size(), pictures);
  std::lock_guard<std::mutex> hold(end.lock);
  std::size_t lead = 0;
  const std::size_t from = end.heard.find_first_not_of('\0');
  std::size_t same = 0;
  while (from != std::string::npos && from + same < end.heard.size() && same < r.pcm.size() &&
         end.heard[from + same] == r.pcm[same]) {
    ++same;
  }
  EXPECT_TRUE(soundtest::playedExactly(end.heard, r.pcm, &lead))
      << "what was heard when the end was reported: sound from byte " << from << ", the decoded audio's first "
      << same << " bytes";
  EXPECT_LT(lead, 4000u) << "more than 250 ms of silence before the sound";
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(end.count.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Codecs, FileSound,
                         ::testing::Values(SoundCase{"G711", 102, 0}, SoundCase{"G711SlowFirstPicture", 102, 300},
                                           SoundCase{"G7231", 101, 0}, SoundCase{"G7231SlowFirstPicture", 101, 300}),
                         [](const ::testing::TestParamInfo<SoundCase>& info) { return std::string(info.param.name); });

// Without sound switched on nothing is heard and nothing waits for sound: the end comes once, after
// the last picture. Sound switched on long after play starts from the audio being read then, not
// from the start of the file (which would trail the picture for good).
TEST(FileSoundOff, NeverSwitchedOnOpensNoOutputAndSwitchedOnLateStartsWhereTheFeedIs) {
  const playtest::Source source = playtest::soundSource("file-sound", soundtest::kG711A, 50);
  const playtest::Recording& r = playtest::recording(source, playtest::kTransportStream);
  for (const bool late : {false, true}) {
    SCOPED_TRACE(late ? "switched on late" : "never switched on");
    platform::NullSoundSystem sound;
    auto* video = new FakeVideoPlayer();
    FilePlayerImpl engine(video, new DSoundAudioPlayer(sound));
    EndReport end;
    engine.setFileType(playtest::kTransportStream);
    engine.setFileEndCallback(0, &EndReport::onEnd, &end);
    ASSERT_EQ(engine.open(r.path.c_str()), 0);
    ASSERT_EQ(engine.play(), 0);
    ASSERT_TRUE(video->waitForRefusals(1));
    if (late) {
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
      ASSERT_EQ(engine.playSound(), 0);
    }
    for (int i = 0; end.count.load() == 0; ++i) {
      ASSERT_LT(i, 20000) << "no end reported";
      if (!video->showNext()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(end.count.load(), 1);
    EXPECT_EQ(video->shown().size(), static_cast<std::size_t>(source.frames));
    if (!late) {
      EXPECT_TRUE(sound.buffers().empty()) << "no sound output opened";
      continue;
    }
    ASSERT_NE(sound.lastBuffer(), nullptr);
    const std::string heard = soundtest::asString(sound.lastBuffer()->played());
    const std::size_t first = heard.find_first_not_of('\0');
    ASSERT_NE(first, std::string::npos) << "sound switched on late is heard";
    EXPECT_NE(heard.compare(first, 320, r.pcm, 0, 320), 0) << "it starts with the file's first audio frame";
  }
}

// Audio read while the file plays at another rate is never played: not when the rate comes back to
// normal (sound on since the feed started, as after a seek while playing), nor by sound switched on
// at the other rate. Played then, it would trail the picture from there on.
TEST(FileSoundAtAnotherRate, AudioReadThenIsNeverPlayed) {
  const playtest::Source source = playtest::soundSource("file-sound", soundtest::kG711A, 50);
  const playtest::Recording& r = playtest::recording(source, playtest::kTransportStream);
  for (const bool soundFirst : {true, false}) {
    SCOPED_TRACE(soundFirst ? "sound on before the seek" : "sound switched on at the other rate");
    platform::NullSoundSystem sound;
    auto* video = new TimedVideoPlayer();
    auto* audio = new CountingAudioPlayer(sound);
    FilePlayerImpl engine(video, audio);
    engine.setFileType(playtest::kTransportStream);
    ASSERT_EQ(engine.open(r.path.c_str()), 0);
    ASSERT_EQ(engine.play(), 0);
    if (soundFirst) {
      ASSERT_EQ(engine.playSound(), 0);
    }
    ASSERT_TRUE(video->waitForRefusals(1));
    // The seek starts a new feed, which fills the picture queue and is refused for the next picture.
    const int refused = video->refusals();
    ASSERT_EQ(engine.setCurrentFrameNum(1), 0);
    ASSERT_TRUE(video->waitForRefusals(refused + 1));
    ASSERT_EQ(engine.setRate(4.0f), 0);
    if (!soundFirst) {
      ASSERT_EQ(engine.playSound(), 0);
    }
    // At four times the speed the queue is smaller: once the pictures queued are shown, the feed reads
    // on (audio included) until the smaller queue is full.
    while (video->showNext()) {
    }
    ASSERT_TRUE(video->waitForRefill(static_cast<std::size_t>(source.frames)));
    const int64_t lastPictureThen = video->lastTaken();
    const std::size_t takenBefore = audio->taken().size();
    ASSERT_EQ(engine.setRate(1.0f), 0);
    // A refusal that comes from a pass begun after the return has pushed whatever sound it would.
    ASSERT_TRUE(video->waitForRefusals(video->refusals() + 2));
    const std::vector<int64_t> taken = audio->taken();
    ASSERT_GT(taken.size(), takenBefore) << "sound goes on at normal speed";
    for (std::size_t i = takenBefore; i < taken.size(); ++i) {
      EXPECT_GE(taken[i], lastPictureThen) << "audio frame " << i << " was read at four times the speed";
    }
    engine.close();
  }
}

// The sound output plays only while the file plays at normal speed with sound on: a return to normal
// speed while paused and sound switched on while paused leave it silent until play (which also
// returns to normal speed) moves the picture again.
TEST(FileSoundWhilePaused, TheOutputPlaysOnlyWhileThePictureMovesAtNormalSpeed) {
  const playtest::Source source = playtest::soundSource("file-sound", soundtest::kG711A, 50);
  const playtest::Recording& r = playtest::recording(source, playtest::kTransportStream);
  struct Step {
    const char* call;
    bool playing;  // the sound output afterwards
  };
  const std::vector<std::vector<Step>> cases = {
      {{"pause", false}, {"rate 1", false}, {"play", true}},
      {{"rate 4", false}, {"pause", false}, {"rate 1", false}, {"play", true}},
      {{"rate 4", false}, {"pause", false}, {"play", true}},
      {{"sound off", false}, {"pause", false}, {"sound on", false}, {"play", true}},
  };
  for (const std::vector<Step>& steps : cases) {
    platform::NullSoundSystem sound;
    auto* video = new FakeVideoPlayer();
    FilePlayerImpl engine(video, new DSoundAudioPlayer(sound));
    engine.setFileType(playtest::kTransportStream);
    ASSERT_EQ(engine.open(r.path.c_str()), 0);
    ASSERT_EQ(engine.play(), 0);
    ASSERT_EQ(engine.playSound(), 0);
    ASSERT_TRUE(sound.lastBuffer()->isPlaying());
    std::string done;
    for (const Step& step : steps) {
      const std::string call = step.call;
      done += (done.empty() ? "" : ", ") + call;
      SCOPED_TRACE(done);
      if (call == "pause") {
        ASSERT_EQ(engine.pause(), 0);
      }
      if (call == "play") {
        ASSERT_EQ(engine.play(), 0);
      }
      if (call == "rate 1") {
        ASSERT_EQ(engine.setRate(1.0f), 0);
      }
      if (call == "rate 4") {
        ASSERT_EQ(engine.setRate(4.0f), 0);
      }
      if (call == "sound off") {
        ASSERT_EQ(engine.stopSound(), 0);
      }
      if (call == "sound on") {
        ASSERT_EQ(engine.playSound(), 0);
      }
      ASSERT_NE(sound.lastBuffer(), nullptr);
      EXPECT_EQ(sound.lastBuffer()->isPlaying(), step.playing);
    }
    engine.close();
  }
}

}  // namespace
