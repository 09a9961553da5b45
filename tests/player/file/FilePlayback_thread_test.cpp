// Playing recordings of both types end to end through the file player, with the decoder threads, the
// offscreen window and its message queue: every picture once and in order, equal to ffmpeg's; the end
// reported once, after the last picture; and the life cycle an embedder puts a player through.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Clock.h"
#include "platform/NullSoundSystem.h"
#include "platform/Thread.h"
#include "player/KXPlayerResult.h"
#include "player/file/FilePlayer.h"
#include "tests/player/PlaybackFixture.h"
#include "tests/player/PlaybackObserver.h"

namespace {

using playtest::kFrameHeadStream;
using playtest::kTransportStream;
using playtest::PlaybackObserver;

// Two seconds of 352 x 288 in groups of 25, with audio.
playtest::Source smallSource() {
  playtest::Source source;
  source.name = "small_352x288_gop25";
  return source;
}

class FilePlayback : public ::testing::TestWithParam<int> {
 protected:
  FilePlayback() { sound.installForProcess(); }
  void SetUp() override {
    window = createOffscreenWindow(352, 288);
    player.setVideoWindow(window, 0, 0, 352, 288);
  }
  void TearDown() override {
    player.close();
    destroyOffscreenWindow(window);
  }

  const playtest::Recording& small() { return playtest::recording(smallSource(), GetParam()); }
  void expectTheDecodedAudioHeard(const playtest::Recording& r);

  // Sound goes to the test backend, whose output runs this many times slower than real time (so that
  // a test can keep the output from ever waiting for data); it outlives the player.
  std::atomic<int> soundSlowdown{1};
  platform::NullSoundSystem sound{[this] { return platform::performanceCounter() / soundSlowdown.load(); }};
  HWND window = 0;
  FilePlayer player;
  PlaybackObserver observer;
};

TEST_P(FilePlayback, PlaysEveryPictureOnceInOrderThenReportsTheEndOnce) {
  const playtest::Recording& r = small();
  player.setNotifyWindowEX(window, WM_FILE_END, 11, 22);
  player.setFileEndCallback(5, &PlaybackObserver::onFileEnd, &observer);
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  long total = 0, duration = 0;
  EXPECT_EQ(player.getFileTotalFrames(total), 0);
  EXPECT_EQ(total, 50);
  EXPECT_EQ(player.getDuration(duration), 0);
  EXPECT_EQ(duration, 2);
  player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &observer);
  ASSERT_EQ(player.play(), 0);
  ASSERT_TRUE(observer.waitForEnds(1));

  const std::vector<playtest::Picture> pictures = observer.pictures();
  ASSERT_EQ(pictures.size(), r.md5s.size());
  for (size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_EQ(pictures[i].frame, static_cast<long>(i + 1));
    EXPECT_EQ(pictures[i].md5, r.md5s[i]) << "picture of frame " << i + 1;
  }
  EXPECT_EQ(observer.picturesAtEnd(), std::vector<size_t>{50}) << "the end comes after the last picture";
  EXPECT_EQ(observer.endIds(), std::vector<long>{5});
  long played = 0, percent = 0, seconds = 0;
  player.getPlayedFrames(played);
  player.getPlayPosByPercent(percent);
  player.getPlayPosByTime(seconds);
  EXPECT_EQ(played, 50);
  EXPECT_EQ(percent, 100);
  EXPECT_EQ(seconds, 2);
  // The engine stays playing at the end until its caller moves it.
  EXPECT_EQ(player.getPlayStatus(), 3);

  const std::vector<WindowMessage> messages = playtest::postedMessages(window);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, WM_FILE_END);
  EXPECT_EQ(messages[0].wParam, 11u);
  EXPECT_EQ(messages[0].lParam, 22);
  player.stop();
  EXPECT_EQ(observer.endIds().size(), 1u);
  EXPECT_TRUE(playtest::postedMessages(window).empty());
}

TEST_P(FilePlayback, TheNotifyPointerWinsOverTheLParam) {
  const playtest::Recording& r = small();
  int marker = 0;
  player.setNotifyWindowEX(window, WM_FILE_END, 1, 2);
  player.setNotifyWindow(window, WM_FILE_END + 1, &marker);
  player.setFileEndCallback(0, &PlaybackObserver::onFileEnd, &observer);
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  ASSERT_EQ(player.play(), 0);
  ASSERT_EQ(player.setCurrentFrameNum(48), 0);
  ASSERT_TRUE(observer.waitForEnds(1));
  const std::vector<WindowMessage> messages = playtest::postedMessages(window);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, WM_FILE_END + 1);
  EXPECT_EQ(messages[0].wParam, 1u);
  EXPECT_EQ(messages[0].lParam, reinterpret_cast<std::intptr_t>(&marker));
}

// A file that ends while paused reports the end only after it plays again.
TEST_P(FilePlayback, AnEndWhilePausedIsReportedAfterResuming) {
  const playtest::Recording& r = small();
  player.setFileEndCallback(0, &PlaybackObserver::onFileEnd, &observer);
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &observer);
  ASSERT_EQ(player.play(), 0);
  ASSERT_EQ(player.pause(), 0);
  ASSERT_EQ(player.setCurrentFrameNum(49), 0);
  // Steps to the last frame: the data has ended, but the engine is paused.
  ASSERT_EQ(player.playNextFrame(), 0);
  EXPECT_EQ(player.playNextFrame(), KXPLAYER_END_OF_DATA);
  EXPECT_TRUE(observer.endIds().empty());
  ASSERT_EQ(player.play(), 0);
  ASSERT_TRUE(observer.waitForEnds(1));
}

// Decode and draw callbacks are given once and stay across stop and play.
TEST_P(FilePlayback, CallbacksStayAcrossStopAndPlay) {
  const playtest::Recording& r = small();
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &observer);
  ASSERT_EQ(player.play(), 0);
  ASSERT_TRUE(observer.waitForPictures(3));
  ASSERT_EQ(player.stop(), 0);
  observer.clearPictures();
  ASSERT_EQ(player.play(), 0);
  // Play goes on where the file was left; back at the start, pictures follow at once.
  ASSERT_EQ(player.setCurrentFrameNum(1), 0);
  ASSERT_TRUE(observer.waitForPictures(3)) << "no picture reached the decode callback after stop and play";
}

TEST_P(FilePlayback, CloseDuringPlayAndReopen) {
  const playtest::Recording& r = small();
  for (int round = 0; round < 3; ++round) {
    PlaybackObserver seen;
    player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &seen);  // no engine yet: not kept
    ASSERT_EQ(player.open(r.path.c_str()), 0);
    player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &seen);
    ASSERT_EQ(player.play(), 0);
    ASSERT_TRUE(seen.waitForPictures(2));
    player.close();
    EXPECT_EQ(player.getPlayStatus(), KXPLAYER_MISSING_ARGUMENT);
  }
}

// Open, play and close many times (the AddressSanitizer build checks that nothing leaks).
TEST_P(FilePlayback, OpenPlayCloseManyTimes) {
  const playtest::Recording& r = small();
  for (int round = 0; round < 200; ++round) {
    ASSERT_EQ(player.open(r.path.c_str()), 0) << "round " << round;
    ASSERT_EQ(player.play(), 0) << "round " << round;
    if (round % 3 == 1) player.pause();
    if (round % 3 == 2) player.setCurrentFrameNum(round % 50);
    player.close();
  }
}

// What an embedder does at the end of a file: close the player and open the next one, from inside
// the file-end callback.
TEST_P(FilePlayback, TheFileEndCallbackClosesAndReopens) {
  const playtest::Recording& r = small();
  struct Embedder {
    FilePlayer* player;
    const char* next;
    std::atomic<int> ends{0};
    std::atomic<int> results{0};
  } embedder{&player, r.path.c_str()};
  player.setFileEndCallback(0, [](long, void* user) {
    auto* e = static_cast<Embedder*>(user);
    e->player->close();
    if (++e->ends < 3) {
      // Near the end of the next file; playing is the last step (the next end may come at once).
      e->results += e->player->open(e->next) != 0;
      e->results += e->player->play() != 0;
      e->results += e->player->pause() != 0;
      e->results += e->player->setCurrentFrameNum(45) != 0;
      e->results += e->player->play() != 0;
    }
  }, &embedder);
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  ASSERT_EQ(player.play(), 0);
  ASSERT_EQ(player.pause(), 0);
  ASSERT_EQ(player.setCurrentFrameNum(45), 0);
  ASSERT_EQ(player.play(), 0);
  for (int i = 0; i < 12000 && embedder.ends < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(embedder.ends, 3);
  EXPECT_EQ(embedder.results, 0);
}

// The stop, pause and seek a callback may call on its own engine.
TEST_P(FilePlayback, TheFileEndCallbackMaySeekAndPlayAgain) {
  const playtest::Recording& r = small();
  struct Looper {
    FilePlayer* player;
    std::atomic<int> ends{0};
  } looper{&player};
  player.setFileEndCallback(0, [](long, void* user) {
    auto* l = static_cast<Looper*>(user);
    if (++l->ends < 3) {
      l->player->setCurrentFrameNum(40);  // pauses, seeks and plays again: the feed goes on
    } else {
      l->player->stop();
    }
  }, &looper);
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &observer);
  ASSERT_EQ(player.play(), 0);
  ASSERT_EQ(player.setCurrentFrameNum(40), 0);
  for (int i = 0; i < 12000 && (looper.ends < 3 || player.getPlayStatus() != 1); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(looper.ends, 3);
  EXPECT_EQ(player.getPlayStatus(), 1);
}

TEST_P(FilePlayback, AFeedThreadThatCannotStartFailsPlay) {
  const playtest::Recording& r = small();
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  ASSERT_EQ(player.play(), 0);
  // A step stops the feed thread; the next play starts a new one, the only thread made then.
  ASSERT_EQ(player.playNextFrame(), 0);
  platform::Thread::failNextCreations(1);
  EXPECT_EQ(player.play(), KXPLAYER_START_FAILED);
  platform::Thread::failNextCreations(0);
  EXPECT_EQ(player.getPlayStatus(), 2);
  player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &observer);
  EXPECT_EQ(player.play(), 0);
  EXPECT_TRUE(observer.waitForPictures(2));
}

// The samples heard, gaps of silence left out (A-law decodes no sample to zero, so every zero sample
// is silence the output inserted while it waited for data).
std::vector<int16_t> heardSamples(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples;
  for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const int16_t sample = static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
    if (sample != 0) samples.push_back(sample);
  }
  return samples;
}

// Plays `r` from its first frame with sound on and checks that everything heard is its decoded audio,
// once and in order, and in the plain build without a gap.
void FilePlayback::expectTheDecodedAudioHeard(const playtest::Recording& r) {
  // The output takes the sound at a third of its speed, so the feed mostly waits for room in the sound
  // queue. When it falls behind on a busy machine the output plays silence and goes on with the next
  // sound: gaps of silence are left out of the comparison, and every sample is heard, once and in order.
  soundSlowdown = 3;
  const std::vector<int16_t> expected = heardSamples(std::vector<uint8_t>(r.pcm.begin(), r.pcm.end()));
  ASSERT_FALSE(expected.empty());
  player.setFileEndCallback(0, &PlaybackObserver::onFileEnd, &observer);
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  EXPECT_EQ(player.playSound(), KXPLAYER_WRONG_STATE) << "stopped";
  // From the first frame with sound on from the start.
  ASSERT_EQ(player.play(), 0);
  ASSERT_EQ(player.pause(), 0);
  ASSERT_EQ(player.setCurrentFrameNum(1), 0);
  ASSERT_EQ(player.playSound(), 0);
  EXPECT_TRUE(player.isOnSound());
  ASSERT_EQ(player.play(), 0);
  ASSERT_TRUE(observer.waitForEnds(1));
  std::shared_ptr<platform::NullSoundBuffer> buffer = sound.lastBuffer();
  ASSERT_NE(buffer, nullptr);
  std::vector<int16_t> heard;
  for (int i = 0; i < 3000 && heard.size() + 2 < expected.size(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    heard = heardSamples(buffer->played());
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  heard = heardSamples(buffer->played());
  // The output stops when its data ends, with the play position on the last sample or just before
  // it; everything before is heard exactly.
  ASSERT_LE(heard.size(), expected.size());
  EXPECT_GE(heard.size() + 2, expected.size()) << "sound missing at the end";
  const auto firstDifference = std::mismatch(heard.begin(), heard.end(), expected.begin());
  EXPECT_TRUE(firstDifference.first == heard.end())
      << "the sound heard differs from the decoding of the audio at sample "
      << (firstDifference.first - heard.begin()) << " of " << heard.size() << " (expected " << expected.size() << ")";
#if !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
  // And in one piece: no silence inserted anywhere inside it (the last two samples may be unplayed).
  // Only the plain build keeps a real-time feed ahead of the output with the whole suite running; the
  // sanitizer builds check the content above.
  const std::vector<uint8_t> played = buffer->played();
  const std::string playedBytes(played.begin(), played.end());
  ASSERT_GT(r.pcm.size(), 4u);
  EXPECT_NE(playedBytes.find(r.pcm.substr(0, r.pcm.size() - 4)), std::string::npos)
      << "the decoded audio is not heard in one piece";
#endif
}

TEST_P(FilePlayback, TheSoundHeardIsTheDecodedAudio) { expectTheDecodedAudioHeard(small()); }

TEST_P(FilePlayback, G7231SoundHeardIsTheCodecsOutput) {
  playtest::Source source = smallSource();
  source.name = "small_352x288_gop25_g7231";
  source.audioCodec = 101;
  expectTheDecodedAudioHeard(playtest::recording(source, GetParam()));
}

// Holds the player on a picture: the decode callback of the picture a given number of pictures on waits
// until it is released, so that the player cannot play past it however late the test's thread runs.
// The callback is unhooked when the hold goes, whichever way the test ends.
class PictureHold {
 public:
  explicit PictureHold(FilePlayer& player) : m_player(player) {
    m_player.setDecodeCallBack(1, &PictureHold::onPicture, this);
  }
  ~PictureHold() {
    release();
    m_player.setDecodeCallBack(1, nullptr, nullptr);
  }
  PictureHold(const PictureHold&) = delete;
  PictureHold& operator=(const PictureHold&) = delete;

  // Holds the picture that comes this many pictures from now.
  void holdAfter(long pictures) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_remaining = pictures;
  }
  // True once the player is held; false when it stalled before.
  bool waitUntilHolding() {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(60), [this] { return m_holding; });
  }
  void release() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_remaining = 0;
    m_holding = false;
    m_changed.notify_all();
  }

 private:
  static long onPicture(long, const char*, long, FRAME_INFO*, void* user) {
    auto* self = static_cast<PictureHold*>(user);
    std::unique_lock<std::mutex> lock(self->m_lock);
    if (self->m_remaining > 0 && --self->m_remaining == 0) {
      self->m_holding = true;
      self->m_changed.notify_all();
      self->m_changed.wait(lock, [self] { return !self->m_holding; });
    }
    return 0;
  }

  FilePlayer& m_player;
  std::mutex m_lock;
  std::condition_variable m_changed;
  long m_remaining = 0;
  bool m_holding = false;
};

TEST_P(FilePlayback, SoundPlaysOnlyAtNormalSpeed) {
  playtest::Source source = smallSource();
  source.name = "ten_seconds_352x288_gop25";
  source.frames = 250;
  const playtest::Recording& r = playtest::recording(source, GetParam());
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  PictureHold hold(player);
  ASSERT_EQ(player.play(), 0);
  ASSERT_EQ(player.playSound(), 0);
  std::shared_ptr<platform::NullSoundBuffer> buffer = sound.lastBuffer();
  ASSERT_NE(buffer, nullptr);
  const auto heard = [&] { return heardSamples(buffer->played()).size(); };
  const auto playedFrames = [&] {
    long played = 0;
    player.getPlayedFrames(played);
    return played;
  };
  const auto soundGoesOn = [&] {
    const size_t before = heard();
    for (int i = 0; i < 2000; ++i) {
      if (heard() > before) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  };
  // Silence (the output stops at once) while the player plays the pictures of 300 ms at this rate (25
  // frames a second); the picture after them is held until the next step has changed the rate. Neither
  // the clock nor this thread's pace decides how far the player gets: at 16 times the speed a thread
  // that runs a quarter of a second late would otherwise find the whole file read, and no sound left
  // to come back at normal speed.
  const auto soundStays = [&](float rate) {
    const size_t before = heard();
    hold.holdAfter(std::max(1L, std::lround(rate * 25 * 0.3)));
    EXPECT_TRUE(hold.waitUntilHolding()) << "the player stalled";
    return heard() == before;
  };
  EXPECT_TRUE(soundGoesOn());
  // Each faster or slower run starts at the first frame (a seek plays on at normal speed), so that the
  // recording lasts well into the return to normal speed after it.
  const struct {
    std::function<int()> change;
    bool sounding;
    float rate;
  } steps[] = {
      {[&] { return player.setRate(4.0f); }, false, 4.0f},
      {[&] { return player.setRate(1.0f); }, true, 1.0f},
      {[&] { return player.setRate(0.25f); }, false, 0.25f},
      {[&] { return player.play(); }, true, 1.0f},  // play while playing returns to normal speed
      {[&] { return player.setRate(16.0f); }, false, 16.0f},
      {[&] { return player.setRate(1.0f); }, true, 1.0f},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.rate);
    if (!step.sounding) {
      ASSERT_EQ(player.setCurrentFrameNum(1), 0);
    }
    ASSERT_EQ(step.change(), 0);
    hold.release();
    EXPECT_TRUE(step.sounding ? soundGoesOn() : soundStays(step.rate))
        << "at frame " << playedFrames() << " of " << source.frames << ", output playing " << buffer->isPlaying()
        << ", " << buffer->playedCount() << " bytes played";
    float rate = 0;
    EXPECT_EQ(player.getRate(rate), 0);
    EXPECT_EQ(rate, step.rate);
    EXPECT_TRUE(player.isOnSound());
  }
  long volume = 7;
  EXPECT_EQ(player.stopSound(), 0);
  EXPECT_FALSE(player.isOnSound());
  EXPECT_EQ(player.getVolume(volume), 0);
  EXPECT_EQ(volume, 7) << "sound off: the volume is left untouched";
}

INSTANTIATE_TEST_SUITE_P(BothTypes, FilePlayback, ::testing::Values(kTransportStream, kFrameHeadStream),
                         [](const ::testing::TestParamInfo<int>& info) { return playtest::typeName(info.param); });

}  // namespace
