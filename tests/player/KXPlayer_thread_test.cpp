// The player facade against its tables: modes, kept settings reaching the stream player opened later,
// the mended answers. (Facade tests that play files: KXPlayerPlayback_test.cpp.)
#include "player/KXPlayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "media/AVFrameData.h"
#include "media/CharSet.h"
#include "platform/MemoryDisplay.h"
#include "platform/NullSoundSystem.h"
#include "platform/OffscreenWindows.h"
#include "support/TestPaths.h"
#include "tests/player/Deadline.h"
#include "tests/player/H264Fixture.h"
#include "tests/player/KXPlayerFixture.h"
#include "tests/player/LivePictures.h"
#include "tests/player/LiveTestStreams.h"

namespace {

constexpr int kSkip = INT_MIN;

using livetest::offerUntilTaken;
using livetest::Pictures;

using KXPlayerTest = livetest::KXPlayerFixture;

// One operation and its answer in mode 0, in stream mode (open, stopped) and in file mode after the
// file was closed (no engine). Range checks come before the mode where the tables say so.
struct Row {
  const char* name;
  int (*call)(KXPlayer&);
  int none;
  int stream;
  int fileWithoutEngine;
};

int64_t g_timeStamp;
float g_speed;
long g_long;
int g_int;
int g_int2;
bool g_bool;
unsigned g_consumed;

const Row kRows[] = {
    {"pause", [](KXPlayer& p) { return p.pause(); }, -6, -6, -4},
    {"stop", [](KXPlayer& p) { return p.stop(); }, -6, 0, -4},
    {"stopSound", [](KXPlayer& p) { return p.stopSound(); }, -6, 0, 0},
    {"setSpeed(1)", [](KXPlayer& p) { return p.setSpeed(1.0f); }, -6, -6, -4},
    {"setSpeed(0)", [](KXPlayer& p) { return p.setSpeed(0.0f); }, -8, -8, -8},
    {"setSpeed(16.5)", [](KXPlayer& p) { return p.setSpeed(16.5f); }, -8, -8, -8},
    {"getSpeed", [](KXPlayer& p) { return p.getSpeed(g_speed); }, -6, -6, -4},
    {"getFileTime", [](KXPlayer& p) { return p.getFileTime(g_long); }, -6, -6, -4},
    {"setPlayPosByTime", [](KXPlayer& p) { return p.setPlayPosByTime(1); }, -6, -6, -4},
    {"getPlayPosByTime", [](KXPlayer& p) { return p.getPlayPosByTime(g_long); }, -6, -6, -4},
    {"setPlayPosByPercent", [](KXPlayer& p) { return p.setPlayPosByPercent(5); }, -6, -6, -4},
    {"getPlayPosByPercent", [](KXPlayer& p) { return p.getPlayPosByPercent(g_long); }, -6, -6, -4},
    {"getFileTotalFrames", [](KXPlayer& p) { return p.getFileTotalFrames(g_long); }, -6, -6, -4},
    {"getPlayedFrames", [](KXPlayer& p) { return p.getPlayedFrames(g_long); }, -6, -6, -4},
    {"playNextFrame", [](KXPlayer& p) { return p.playNextFrame(); }, -6, -6, -4},
    {"playPreviousFrame", [](KXPlayer& p) { return p.playPreviousFrame(); }, -6, -6, -4},
    {"setCurrentFrameNum", [](KXPlayer& p) { return p.setCurrentFrameNum(0); }, -6, -6, -4},
    {"setVideoBrightness(101)", [](KXPlayer& p) { return p.setVideoBrightness(101); }, -8, -8, -8},
    {"setVideoHue(-1)", [](KXPlayer& p) { return p.setVideoHue(-1); }, -8, -8, -8},
    {"setVideoBrightness(50)", [](KXPlayer& p) { return p.setVideoBrightness(50); }, -6, 0, -4},
    {"getVideoContrast", [](KXPlayer& p) { return p.getVideoContrast(g_int); }, -6, 0, -4},
    {"resetPictureAdjustFilter", [](KXPlayer& p) { return p.resetPictureAdjustFilter(); }, -6, 0, -4},
    {"setVolume(101)", [](KXPlayer& p) { return p.setVolume(101); }, -8, -8, -8},
    {"setVolume(50)", [](KXPlayer& p) { return p.setVolume(50); }, -6, -6, -4},
    {"getVolume", [](KXPlayer& p) { return p.getVolume(g_long); }, -6, -6, -4},
    {"getVideoFrameRate", [](KXPlayer& p) { return p.getVideoFrameRate(g_int); }, -6, 0, -4},
    {"getVideoBitRate", [](KXPlayer& p) { return p.getVideoBitRate(g_int); }, -6, 0, -4},
    {"getPictureSize", [](KXPlayer& p) { return p.getPictureSize(g_int, g_int2); }, -6, 0, -4},
    {"snapshot", [](KXPlayer& p) { return p.snapshot("/tmp/kx-none.jpg", "jpg"); }, -6, -6, -4},
    {"zoomOutVideo", [](KXPlayer& p) { return p.zoomOutVideo(); }, -6, kSkip, -4},
    {"closeFile", [](KXPlayer& p) { return p.closeFile(); }, -6, -6, 0},
    {"intputTSData(empty)", [](KXPlayer& p) { return p.intputTSData("", 0u); }, -6, -8, -6},
    {"intputTSData(consumed)", [](KXPlayer& p) { return p.intputTSData("", 0u, g_consumed); }, -6, 0, -6},
    {"inputAVFrame(format 0)", [](KXPlayer& p) { return p.inputAVFrame(AVFrameData()); }, -6, -7, -6},
    {"inputTSAVFrame(format 0)", [](KXPlayer& p) { return p.inputTSAVFrame(AVFrameData()); }, -6, -7, -6},
    {"getPlayBufferState", [](KXPlayer& p) { return p.getPlayBufferState(g_bool); }, -6, 0, -6},
    {"getCurrentAVFrameTimeStamp", [](KXPlayer& p) { return p.getCurrentAVFrameTimeStamp(g_timeStamp); }, -6, -16, -6},
    {"startRecord(no file set)", [](KXPlayer& p) { return p.startRecord(); }, -6, -12, -6},
    {"stopRecord", [](KXPlayer& p) { return p.stopRecord(); }, -6, 0, -6},
    {"getVersion", [](KXPlayer& p) { return p.getVersion(g_long); }, 0, 0, 0},
    {"play", [](KXPlayer& p) { return p.play(); }, -6, kSkip, -4},
};

TEST_F(KXPlayerTest, EveryOperationAnswersByModeAsTheTablesSay) {
  const std::string file = kxtest::fixturePath("framestream_h264_baseline_176x144_gop12_g711a.kxav");
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    KXPlayer none;
    EXPECT_EQ(row.none, row.call(none)) << "mode 0";
    EXPECT_EQ(0, none.getMode());
    if (row.stream != kSkip) {
      KXPlayer live;
      live.setVideoWindow(window, 0, 0, kWidth, kHeight);
      ASSERT_EQ(0, live.openStream());
      EXPECT_EQ(row.stream, row.call(live)) << "stream mode, stopped";
    }
    KXPlayer closed;
    ASSERT_EQ(0, closed.openFile(file.c_str()));
    ASSERT_EQ(0, closed.closeFile());
    EXPECT_EQ(PLAYMODE_FILE, closed.getMode()) << "closing keeps the mode";
    EXPECT_EQ(row.fileWithoutEngine, row.call(closed)) << "file mode, no engine";
  }
  long version = 0;
  KXPlayer player;
  player.getVersion(version);
  EXPECT_EQ(0x10000, version);
}

TEST_F(KXPlayerTest, SettingsMadeBeforeAnOpenReachTheStreamPlayer) {
  Pictures pictures;
  KXPlayer player;
  player.setVideoWindow(window, 0, 0, kWidth, kHeight);
  player.setDecodeCallBack(7, &Pictures::onDecode, &pictures);
  player.setUseTimeStamp(false);
  player.setLivePlayFlag(false);
  // Room for the whole stream: a refusal would make the live video player skip to the next key frame.
  player.setInputQueueMaxSize(1000);
  ASSERT_EQ(0, player.openStream());
  ASSERT_EQ(0, player.play());
  int64_t timeStamp = 0;
  EXPECT_EQ(-16, player.getCurrentAVFrameTimeStamp(timeStamp)) << "no frame shown yet";
  pushChunks(player, stream->bytes);
  ASSERT_EQ(0, offerUntilTaken([&] { return player.intputTSData("\x47", 1u); }));
  ASSERT_TRUE(pictures.waitFor(reference->size()));
  EXPECT_EQ(*reference, pictures.snapshot());
  EXPECT_EQ(0, player.getCurrentAVFrameTimeStamp(timeStamp));
  int frameRate = 0;
  EXPECT_EQ(0, player.getVideoFrameRate(frameRate));
  EXPECT_EQ(25, frameRate);
  int w = 0, h = 0;
  EXPECT_EQ(0, player.getPictureSize(w, h));
  EXPECT_GE(w, kWidth);
  EXPECT_GE(h, kHeight);
}

// Stream mode keeps the decode and draw callbacks across stop and play, as file mode does, whether they
// were given before the stream was opened or while it plays: the live pictures after the second play
// reach both, as ffmpeg decodes them.
TEST_F(KXPlayerTest, StreamCallbacksStayAcrossStopAndPlay) {
  for (const bool beforeOpen : {true, false}) {
    SCOPED_TRACE(beforeOpen ? "set before openStream" : "set while playing");
    Pictures pictures;
    std::atomic<size_t> drawn{0};
    KXPlayer player;
    const auto setCallbacks = [&] {
      EXPECT_EQ(0, player.setDecodeCallBack(7, &Pictures::onDecode, &pictures));
      EXPECT_EQ(0, player.setDrawCallBack(
                       7, [](long, HDC, void* user) -> long { return static_cast<long>(++*static_cast<std::atomic<size_t>*>(user)); },
                       &drawn, false));
    };
    player.setVideoWindow(window, 0, 0, kWidth, kHeight);
    player.setUseTimeStamp(false);
    player.setLivePlayFlag(false);
    player.setInputQueueMaxSize(1000);
    if (beforeOpen) setCallbacks();
    ASSERT_EQ(0, player.openStream());
    ASSERT_EQ(0, player.play());
    if (!beforeOpen) setCallbacks();
    for (int round = 1; round <= 2; ++round) {
      SCOPED_TRACE(round);
      pushChunks(player, stream->bytes);
      ASSERT_EQ(0, offerUntilTaken([&] { return player.intputTSData("\x47", 1u); }));
      const size_t expected = reference->size() * static_cast<size_t>(round);
      ASSERT_TRUE(pictures.waitFor(expected));
      EXPECT_TRUE(kxtest::eventually([&] { return drawn.load() == expected; })) << drawn.load() << " drawn";
      ASSERT_EQ(0, player.stop());
      ASSERT_EQ(0, player.play());
    }
    std::vector<std::string> twice = *reference;
    twice.insert(twice.end(), reference->begin(), reference->end());
    EXPECT_EQ(twice, pictures.snapshot());
  }
}

TEST_F(KXPlayerTest, MendedAnswersGiveTheirErrorOrTakeEffect) {
  const std::string file = kxtest::fixturePath("framestream_h264_baseline_176x144_gop12_g711a.kxav");
  {
    // openStream while the live player is open switches back to stream mode: input works again.
    KXPlayer player;
    ASSERT_EQ(0, player.openStream());
    ASSERT_EQ(0, player.openFile(file.c_str()));
    EXPECT_EQ(-6, player.intputTSData("\x47", 1u));
    ASSERT_EQ(0, player.openStream());
    EXPECT_EQ(PLAYMODE_STREAM, player.getMode());
    EXPECT_EQ(0, player.intputTSData("\x47", 1u));
  }
  {
    // A level set while sound is off is kept and set when sound comes on.
    KXPlayer player;
    ASSERT_EQ(0, player.openStream());
    ASSERT_EQ(0, player.play());
    EXPECT_EQ(0, player.setVolume(35));
    long volume = 0;
    EXPECT_EQ(0, player.getVolume(volume));
    EXPECT_EQ(35, volume);
    sound.failNextDevices(1);
    EXPECT_EQ(-605, player.playSound());
    EXPECT_FALSE(player.isOnSound()) << "a failed playSound leaves sound off";
    EXPECT_EQ(0, player.playSound());
    EXPECT_TRUE(player.isOnSound());
    volume = 0;
    EXPECT_EQ(0, player.getVolume(volume));
    EXPECT_EQ(35, volume) << "the audio player has the level";
  }
  {
    // A recording ended by stop starts again: startRecord records, it does not answer 0 idly.
    const std::string path = dir + "/again.ts";
    KXPlayer player;
    ASSERT_EQ(0, player.setRecordFile(path.c_str()));
    ASSERT_EQ(0, player.openStream());
    ASSERT_EQ(0, player.play());
    ASSERT_EQ(0, player.startRecord());
    ASSERT_EQ(0, player.stop());
    ASSERT_EQ(0, player.play());
    ASSERT_EQ(0, player.startRecord());
    pushChunks(player, stream->bytes, 10);
    ASSERT_EQ(0, player.stopRecord());
    EXPECT_FALSE(kxtest::readFile(path).empty());
  }
  {
    KXPlayer player;
    const std::string longPath = "/tmp/" + std::string(300, 'p');
    EXPECT_EQ(-8, player.setRecordFile(longPath.c_str()));
    EXPECT_EQ(-8, player.setRecordFileHead(nullptr, 3));
    EXPECT_EQ(-8, player.setRecordFileHead("x", -1));
    const std::string unwritable = dir + "/missing-folder/x.ts";
    ASSERT_EQ(0, player.setRecordFile(unwritable.c_str()));
    ASSERT_EQ(0, player.openStream());
    EXPECT_EQ(-12, player.startRecord()) << "the file cannot be opened";
  }
}

TEST_F(KXPlayerTest, PathsAreCodePage936WhenCharSetIsZero) {
  // "录像.ts" on disk (UTF-8), given as its code page 936 bytes.
  const std::string utf8Name = dir + "/\xE5\xBD\x95\xE5\x83\x8F.ts";
  const std::string gbkName = dir + "/\xC2\xBC\xCF\xF1.ts";
  ASSERT_TRUE(livetest::writeFile(utf8Name, stream->bytes));
  const int before = CharSet::getCharSet();
  CharSet::setCharSet(0);
  {
    KXPlayer player;
    EXPECT_EQ(0, player.openFile(gbkName.c_str()));
  }
  CharSet::setCharSet(1);
  {
    KXPlayer player;
    EXPECT_NE(0, player.openFile(gbkName.c_str())) << "taken as UTF-8 the name is another file";
    EXPECT_EQ(0, player.openFile(utf8Name.c_str()));
  }
  CharSet::setCharSet(before);
}

}  // namespace
