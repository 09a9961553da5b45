// The player facade in file mode against a real engine, on the memory display with real recordings of
// both types: the one-argument video window, the end-of-file message and its settings, and every
// file-mode call while a file is open, with what each shows (ffmpeg's MD5 of the picture on screen).
#include "player/KXPlayer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/MemoryDisplay.h"
#include "platform/NullSoundSystem.h"
#include "platform/OffscreenWindows.h"
#include "player/KXPlayerResult.h"
#include "tests/player/PictureOutputFixture.h"
#include "tests/player/PlaybackFixture.h"
#include "tests/player/PlaybackObserver.h"

namespace {

using playtest::PlaybackObserver;

constexpr int kWidth = 352;
constexpr int kHeight = 288;
constexpr long kFrames = 50;
constexpr long kSeconds = 2;

// Two seconds of 352 x 288 in groups of 25, with audio (the recording the file playback tests use).
playtest::Source smallSource() {
  playtest::Source source;
  source.name = "small_352x288_gop25";
  return source;
}

class KXPlayerFileMode : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    platform::MemoryDisplay::instance().reset();
    sound.installForProcess();
    window = createOffscreenWindow(kWidth, kHeight);
  }
  void TearDown() override { destroyOffscreenWindow(window); }

  const playtest::Recording& small() { return playtest::recording(smallSource(), GetParam()); }

  // Opens the recording in a facade that reports its pictures to the observer, and pauses it on its
  // first picture.
  void openPaused(KXPlayer& player, PlaybackObserver& observer) {
    player.setVideoWindow(window);
    player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &observer);
    ASSERT_EQ(0, player.openFile(small().path.c_str()));
    ASSERT_EQ(0, player.play());
    ASSERT_EQ(0, player.pause());
    ASSERT_EQ(0, player.setCurrentFrameNum(1));
    ASSERT_EQ(1, lastFrame(observer));
  }
  static long lastFrame(PlaybackObserver& observer) {
    const std::vector<playtest::Picture> pictures = observer.pictures();
    return pictures.empty() ? 0 : pictures.back().frame;
  }
  // The picture on screen is frame n as ffmpeg decodes it.
  void expectShown(PlaybackObserver& observer, long n) {
    const std::vector<playtest::Picture> pictures = observer.pictures();
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(n, pictures.back().frame);
    EXPECT_EQ(small().md5s.at(static_cast<size_t>(n - 1)), pictures.back().md5) << "picture of frame " << n;
  }

  platform::NullSoundSystem sound;
  HWND window = 0;
};

// An embedder that gives only the window (of another size than the picture, stretched): the picture
// fills its client area as ffmpeg scales it, and the end of the file is reported after the last
// picture was drawn.
TEST_P(KXPlayerFileMode, TheWindowAloneShowsTheRecording) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  constexpr int kWindowWidth = 400, kWindowHeight = 300;
  const HWND wide = createOffscreenWindow(kWindowWidth, kWindowHeight);
  PlaybackObserver observer;
  KXPlayer player;
  player.setVideoWindow(wide);
  player.setStretchMode(true);
  player.setFileEndCallback(4, &PlaybackObserver::onFileEnd, &observer);
  ASSERT_EQ(0, player.openFile(small().path.c_str()));
  ASSERT_EQ(0, player.play());
  ASSERT_EQ(0, player.setSpeed(16.0f));
  ASSERT_TRUE(observer.waitForEnds(1));
  const std::string h264 = playtest::folder() + "/" + smallSource().name + ".h264";
  const std::vector<uint32_t> expected = kxoutput::referenceBgra(h264, kFrames - 1, kWindowWidth, kWindowHeight);
  const kxoutput::WindowPixels shown = kxoutput::readWindow(wide);
  player.closeFile();
  destroyOffscreenWindow(wide);
  ASSERT_EQ(expected.size(), shown.bgra.size());
  int worst = 0;
  for (size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, kxoutput::channelDifference(expected[i], shown.bgra[i]));
  EXPECT_EQ(0, worst) << "the last picture, as ffmpeg decodes it";
}

// The end-of-file message: set before or after the open, in the simple or the extended form, for
// file mode or for another mode (which file mode does not post).
TEST_P(KXPlayerFileMode, TheEndOfFileMessageAsItWasSet) {
  struct Case {
    const char* name;
    bool beforeOpen;
    bool extended;
    long playMode;
    bool posted;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  const std::vector<Case> cases = {
      {"setMessage before openFile", true, false, PLAYMODE_FILE, true, 0, 0},
      {"setMessageEX before openFile", true, true, PLAYMODE_FILE, true, 7, 8},
      {"setMessage while open", false, false, PLAYMODE_FILE, true, 0, 0},
      {"setMessageEX while open", false, true, PLAYMODE_FILE, true, 7, 8},
      {"setMessage for stream mode", true, false, PLAYMODE_STREAM, false, 0, 0},
      {"setMessageEX for stream mode while open", false, true, PLAYMODE_STREAM, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlaybackObserver observer;
    KXPlayer player;
    const auto setMessage = [&] {
      const long hwnd = static_cast<long>(window);
      EXPECT_EQ(0, c.extended ? player.setMessageEX(c.playMode, hwnd, WM_FILE_END, 7, 8)
                              : player.setMessage(c.playMode, hwnd, WM_FILE_END));
    };
    player.setVideoWindow(window);
    player.setFileEndCallback(2, &PlaybackObserver::onFileEnd, &observer);
    if (c.beforeOpen) setMessage();
    ASSERT_EQ(0, player.openFile(small().path.c_str()));
    if (!c.beforeOpen) setMessage();
    ASSERT_EQ(0, player.play());
    ASSERT_EQ(0, player.setSpeed(16.0f));
    ASSERT_TRUE(observer.waitForEnds(1));
    const std::vector<WindowMessage> messages = playtest::postedMessages(window);
    if (!c.posted) {
      EXPECT_TRUE(messages.empty());
      continue;
    }
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(WM_FILE_END, messages[0].message);
    EXPECT_EQ(c.wParam, messages[0].wParam);
    EXPECT_EQ(c.lParam, messages[0].lParam);
  }
}

long g_out;
int g_int;
int g_int2;
float g_speed;
bool g_full;
int64_t g_timeStamp;
unsigned g_consumed;

// One file-mode call on a paused facade showing frame 1, its answer, the frame on screen after it (0:
// not looked at) and what it gives back in g_out (kAny: not looked at).
constexpr long kAny = -12345;
struct Row {
  const char* name;
  std::function<int(KXPlayer&)> call;
  int result;
  long shown;
  long out;
};

std::vector<Row> fileModeRows() {
  const std::string snapshot = kxtest::scratchDir("KXPlayerFileModeSnapshot") + "/shot.bmp";
  return {
      {"setCurrentFrameNum(0)", [](KXPlayer& p) { return p.setCurrentFrameNum(0); }, 0, 1, kAny},
      {"setCurrentFrameNum(total)", [](KXPlayer& p) { return p.setCurrentFrameNum(kFrames); }, 0, kFrames, kAny},
      {"setCurrentFrameNum(total + 1)", [](KXPlayer& p) { return p.setCurrentFrameNum(kFrames + 1); }, -8, 1, kAny},
      {"setCurrentFrameNum(-1)", [](KXPlayer& p) { return p.setCurrentFrameNum(-1); }, -8, 1, kAny},
      {"setCurrentFrameNum(37), a P frame", [](KXPlayer& p) { return p.setCurrentFrameNum(37); }, 0, 37, kAny},
      {"setPlayPosByTime(duration + 100)", [](KXPlayer& p) { return p.setPlayPosByTime(kSeconds + 100); }, 0, kFrames, kAny},
      {"setPlayPosByTime(1)", [](KXPlayer& p) { return p.setPlayPosByTime(1); }, 0, 25, kAny},
      {"setPlayPosByTime(-1)", [](KXPlayer& p) { return p.setPlayPosByTime(-1); }, -8, 1, kAny},
      {"setPlayPosByPercent(100)", [](KXPlayer& p) { return p.setPlayPosByPercent(100); }, 0, kFrames, kAny},
      {"setPlayPosByPercent(101)", [](KXPlayer& p) { return p.setPlayPosByPercent(101); }, -8, 1, kAny},
      {"playNextFrame", [](KXPlayer& p) { return p.playNextFrame(); }, 0, 2, kAny},
      {"playPreviousFrame on the first", [](KXPlayer& p) { return p.playPreviousFrame(); }, 0, 1, kAny},
      {"getFileTime", [](KXPlayer& p) { return p.getFileTime(g_out); }, 0, 0, kSeconds},
      {"getFileTotalFrames", [](KXPlayer& p) { return p.getFileTotalFrames(g_out); }, 0, 0, kFrames},
      {"getPlayedFrames", [](KXPlayer& p) { return p.getPlayedFrames(g_out); }, 0, 0, 1},
      {"getPlayPosByPercent", [](KXPlayer& p) { return p.getPlayPosByPercent(g_out); }, 0, 0, 2},
      {"getPlayPosByTime", [](KXPlayer& p) { return p.getPlayPosByTime(g_out); }, 0, 0, 0},
      {"setSpeed(16)", [](KXPlayer& p) { return p.setSpeed(16.0f); }, 0, 0, kAny},
      {"setSpeed(16.5)", [](KXPlayer& p) { return p.setSpeed(16.5f); }, -8, 0, kAny},
      {"getSpeed", [](KXPlayer& p) { return p.getSpeed(g_speed); }, 0, 0, kAny},
      {"setVideoBrightness(50)", [](KXPlayer& p) { return p.setVideoBrightness(50); }, 0, 0, kAny},
      {"setVideoBrightness(101)", [](KXPlayer& p) { return p.setVideoBrightness(101); }, -8, 0, kAny},
      {"getVideoContrast", [](KXPlayer& p) { return p.getVideoContrast(g_int); }, 0, 0, kAny},
      {"resetPictureAdjustFilter", [](KXPlayer& p) { return p.resetPictureAdjustFilter(); }, 0, 0, kAny},
      {"playSound", [](KXPlayer& p) { return p.playSound(); }, 0, 0, kAny},
      {"stopSound", [](KXPlayer& p) { return p.stopSound(); }, 0, 0, kAny},
      {"setVolume(50)", [](KXPlayer& p) { return p.setVolume(50); }, 0, 0, kAny},
      {"getVolume", [](KXPlayer& p) { return p.getVolume(g_out); }, 0, 0, kAny},
      {"getVideoFrameRate", [](KXPlayer& p) { return p.getVideoFrameRate(g_int); }, 0, 0, kAny},
      {"getVideoBitRate", [](KXPlayer& p) { return p.getVideoBitRate(g_int); }, 0, 0, kAny},
      {"getPictureSize", [](KXPlayer& p) { return p.getPictureSize(g_int, g_int2); }, 0, 0, kAny},
      {"snapshot BMP", [snapshot](KXPlayer& p) { return p.snapshot(snapshot.c_str(), "BMP"); }, 0, 0, kAny},
      {"snapshot jpg", [snapshot](KXPlayer& p) { return p.snapshot(snapshot.c_str(), "jpg"); }, -7, 0, kAny},
      {"zoomInVideo(rect)", [](KXPlayer& p) { return p.zoomInVideo(88, 72, 176, 144); }, 0, 0, kAny},
      {"zoomInVideo(empty)", [](KXPlayer& p) { return p.zoomInVideo(0, 0, 0, 10); }, -8, 0, kAny},
      {"zoomInVideo", [](KXPlayer& p) { return p.zoomInVideo(); }, 0, 0, kAny},
      {"zoomOutVideo", [](KXPlayer& p) { return p.zoomOutVideo(); }, 0, 0, kAny},
      {"refresh", [](KXPlayer& p) { return p.refresh(); }, 0, 0, kAny},
      {"pause while paused", [](KXPlayer& p) { return p.pause(); }, 0, 0, kAny},
      {"play", [](KXPlayer& p) { return p.play(); }, 0, 0, kAny},
      {"stop", [](KXPlayer& p) { return p.stop(); }, 0, 0, kAny},
      {"closeFile", [](KXPlayer& p) { return p.closeFile(); }, 0, 0, kAny},
      {"openFile while open", [](KXPlayer& p) { return p.openFile("/nonexistent"); }, 0, 0, kAny},
      {"openFile(null)", [](KXPlayer& p) { return p.openFile(nullptr); }, -4, 0, kAny},
      {"intputTSData", [](KXPlayer& p) { return p.intputTSData("\x47", 1u); }, -6, 0, kAny},
      {"intputTSData(consumed)", [](KXPlayer& p) { return p.intputTSData("\x47", 1u, g_consumed); }, -6, 0, kAny},
      {"getPlayBufferState", [](KXPlayer& p) { return p.getPlayBufferState(g_full); }, -6, 0, kAny},
      {"getCurrentAVFrameTimeStamp", [](KXPlayer& p) { return p.getCurrentAVFrameTimeStamp(g_timeStamp); }, -6, 0, kAny},
      {"startRecord", [](KXPlayer& p) { return p.startRecord(); }, -6, 0, kAny},
      {"stopRecord", [](KXPlayer& p) { return p.stopRecord(); }, -6, 0, kAny},
      {"closeStream", [](KXPlayer& p) { return p.closeStream(); }, -6, 0, kAny},
  };
}

TEST_P(KXPlayerFileMode, EveryFileModeCallWhileAFileIsOpen) {
  for (const Row& row : fileModeRows()) {
    SCOPED_TRACE(row.name);
    PlaybackObserver observer;
    KXPlayer player;
    openPaused(player, observer);
    g_out = kAny;
    EXPECT_EQ(row.result, row.call(player));
    if (row.shown != 0) expectShown(observer, row.shown);
    if (row.out != kAny) {
      EXPECT_EQ(row.out, g_out);
    }
    EXPECT_EQ(PLAYMODE_FILE, player.getMode());
  }
}

INSTANTIATE_TEST_SUITE_P(BothFileTypes, KXPlayerFileMode,
                         ::testing::Values(playtest::kTransportStream, playtest::kFrameHeadStream),
                         [](const ::testing::TestParamInfo<int>& info) { return playtest::typeName(info.param); });

}  // namespace
