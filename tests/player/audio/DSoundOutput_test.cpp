// The sound output and the feed step, driven one step at a time on the null sound backend with a
// clock that only the test moves.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "media/AudioInfo.h"
#include "platform/NullSoundSystem.h"
#include "player/audio/AudioFeedThread.h"
#include "player/audio/DSoundAudioPlayerImpl.h"
#include "player/audio/DSoundOutput.h"
#include "tests/player/SoundTestSupport.h"

namespace {

using soundtest::asString;
using soundtest::patternPcm;
using soundtest::playedExactly;

struct FeedStep : ::testing::Test {
  soundtest::VirtualClock clock;
  platform::NullSoundSystem sound{clock.source(), 2};
  // Opened, so the output plays; no play call, so no feed thread: the test takes every step.
  DSoundAudioPlayerImpl player{&sound};

  void SetUp() override { ASSERT_EQ(0, player.openAudio()); }
  int push(const std::string& pcm) { return player.pushAudioFrame(soundtest::audioFrame(soundtest::kPcm, pcm)); }
  // Steps every 10 ms for the given time.
  void run(int ms) {
    for (int t = 0; t < ms; t += 10) {
      clock.advanceMs(10);
      player.feedSound();
    }
  }
  std::string played() { return asString(sound.lastBuffer()->played()); }
  const DSoundOutput& output() { return player.getOutput(); }
};

TEST_F(FeedStep, FreeSpaceBehindTheWrittenLapTakesOneSegment) {
  const std::string first = patternPcm(8000, 1);
  ASSERT_EQ(0, push(first));
  // The ring is written from a segment ahead of the play position on; the write position wraps to the
  // start.
  player.feedSound();
  EXPECT_EQ(0, output().getWritePosition());
  EXPECT_EQ(6000, output().getQueuedAmount());
  EXPECT_EQ(3000, player.getBufferedBytes());
  clock.advanceMs(75);  // the play position is 1200 bytes on: 1200 bytes free behind the write position
  const std::string second = patternPcm(1000, 2);
  ASSERT_EQ(0, push(second));
  player.feedSound();
  EXPECT_EQ(1000, output().getWritePosition());
  EXPECT_EQ(3000, player.getBufferedBytes());
  EXPECT_EQ(5800, output().getQueuedAmount());
  run(1000);
  EXPECT_TRUE(playedExactly(played(), first + second));
}

TEST_F(FeedStep, UnderRunPlaysSilenceNotThePreviousLapAndResumesASegmentAheadOfThePlayPosition) {
  const std::string first = patternPcm(6000, 3);
  ASSERT_EQ(0, push(first));
  player.feedSound();
  run(600);  // the ring plays out and the play position runs on past everything written
  EXPECT_EQ(0, output().getQueuedAmount());
  EXPECT_EQ(5000, output().getFreeSpace()) << "the next write goes a segment ahead";
  const std::string second = patternPcm(3000, 4);
  ASSERT_EQ(0, push(second));
  player.feedSound();
  EXPECT_EQ(1000 + 3000, output().getQueuedAmount());
  run(500);
  std::size_t lead = 0;
  EXPECT_TRUE(playedExactly(played(), {first, second}, &lead));
  EXPECT_EQ(1000u, lead);
  // The second part starts a segment after where the play position stood when it came: 600 ms in.
  EXPECT_EQ(9600u + 1000u, played().find(second));
}

TEST_F(FeedStep, PcmShortOfASegmentIsWrittenAtOnce) {
  const std::string pcm = patternPcm(2500, 5);
  ASSERT_EQ(0, push(pcm));
  player.feedSound();  // two whole segments and the 500 bytes after them
  EXPECT_EQ(1000 + 2500, output().getQueuedAmount());
  EXPECT_EQ(0, player.getBufferedBytes());
  clock.advanceMs(100);  // 1600 bytes played
  const std::string frame = patternPcm(320, 6);
  ASSERT_EQ(0, push(frame));
  player.feedSound();
  EXPECT_EQ(0, player.getBufferedBytes());
  EXPECT_EQ(1900 + 320, output().getQueuedAmount());
  EXPECT_EQ(3820, output().getWritePosition());
  run(300);
  EXPECT_TRUE(playedExactly(played(), pcm + frame));
}

TEST_F(FeedStep, FeedingWaitsForALeadOrForPcmThatWaitedAsLong) {
  const std::string small = patternPcm(640, 6);
  ASSERT_EQ(0, push(small));
  player.feedSound();
  EXPECT_EQ(0, output().getQueuedAmount()) << "two frames are not yet a lead";
  run(120);
  EXPECT_EQ(640, player.getBufferedBytes());
  run(20);  // 125 ms of waiting: what there is plays
  EXPECT_EQ(0, player.getBufferedBytes());
  run(200);
  std::size_t lead = 0;
  EXPECT_TRUE(playedExactly(played(), small, &lead));
  EXPECT_LE(lead, 2000u + 160u + 1000u);
}

TEST_F(FeedStep, LostBufferIsRestoredOnceAndOtherwiseTheSegmentWaits) {
  const std::string pcm = patternPcm(3000, 7);
  ASSERT_EQ(0, push(pcm));
  // The play position has not moved, so the writes are the step's first locks.
  sound.lastBuffer()->loseOnNextLocks(1);
  player.feedSound();
  EXPECT_EQ(4000, output().getWritePosition()) << "restored and written";

  ASSERT_EQ(0, push(pcm));
  sound.lastBuffer()->loseOnNextLocks(2);
  player.feedSound();
  EXPECT_EQ(4000, output().getWritePosition()) << "lost again after the restore: the segment waits";
  EXPECT_EQ(3000, player.getBufferedBytes());
  player.feedSound();
  EXPECT_EQ(0, output().getWritePosition());
  EXPECT_EQ(1000, player.getBufferedBytes()) << "the ring is full";
  run(500);
  EXPECT_TRUE(playedExactly(played(), pcm + pcm));
}

TEST(DSoundOutputFormat, EightBitSoundIsSilencedWith0x80) {
  soundtest::VirtualClock clock;
  platform::NullSoundSystem sound{clock.source(), 1};
  DSoundOutput output;
  AudioInfo info;
  info.setBitsPerSample(8);
  output.setFormat(info);
  EXPECT_EQ(1, output.getWaveFormat().blockAlign);
  EXPECT_EQ(8000u, output.getWaveFormat().avgBytesPerSec);
  output.setSegmentSize(1000);
  ASSERT_TRUE(output.createDevice(sound));
  ASSERT_TRUE(output.initDSound());
  const std::string tone(2000, '\x20');
  ASSERT_TRUE(output.writeSegment(tone.data(), 1000));
  ASSERT_TRUE(output.writeSegment(tone.data(), 1000));
  clock.advanceMs(250);  // the segment of silence ahead and the first one are played
  output.updatePlayPosition();
  output.discardQueued();  // and the second dropped
  EXPECT_TRUE(output.writeSegment(nullptr, 0));
  EXPECT_EQ(4000, output.getWritePosition()) << "a segment ahead of the play position, and one written";
  clock.advanceMs(1500);  // two more laps at 8000 bytes per second
  const std::string played = asString(sound.lastBuffer()->played());
  ASSERT_EQ(2000u + 12000u, played.size());
  EXPECT_EQ(std::string(1000, '\x80') + std::string(1000, '\x20') + std::string(12000, '\x80'), played);
  output.release();
  EXPECT_EQ(nullptr, output.getSecondaryBuffer());
  EXPECT_EQ(0, sound.openDevices());
}

// The play position moves on between its reading and the write that follows (the feed step is late, or
// the machine busy): a write after the ring ran dry still lands ahead of it and is heard whole.
TEST(DSoundOutputResume, AWriteAfterThePlayPositionMovedOnIsHeardWhole) {
  soundtest::VirtualClock clock;
  platform::NullSoundSystem sound{clock.source(), 2};
  DSoundOutput output;
  output.setFormat(AudioInfo());
  output.setSegmentSize(1000);
  ASSERT_TRUE(output.createDevice(sound));
  ASSERT_TRUE(output.initDSound());
  const std::string first = patternPcm(1000, 8), second = patternPcm(1000, 9);
  for (const std::string* pcm : {&first, &second}) {
    clock.advanceMs(200);  // less than a lap: whatever was queued is played, then silence
    output.updatePlayPosition();
    EXPECT_EQ(0, output.getQueuedAmount());
    clock.advanceMs(5);  // 80 bytes on since the reading
    ASSERT_TRUE(output.writeSegment(pcm->data(), 1000));
  }
  clock.advanceMs(300);
  output.updatePlayPosition();
  EXPECT_TRUE(playedExactly(asString(sound.lastBuffer()->played()), {first, second}));
  output.release();
}

TEST(AudioFeedThreadStart, StartingARunningThreadChangesNothing) {
  AudioFeedThread thread(nullptr);
  ASSERT_EQ(0, thread.start());
  EXPECT_EQ(-11, thread.start());
  EXPECT_TRUE(thread.isRunning());
  thread.setStopFlag();
  thread.stop();
  EXPECT_FALSE(thread.isRunning());
  EXPECT_EQ(0, thread.start()) << "a stopped thread starts again";
}

}  // namespace
