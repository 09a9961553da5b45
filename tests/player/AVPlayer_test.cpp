#include "player/AVPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <type_traits>

#include "media/AVData.h"
#include "media/AudioInfo.h"
#include "media/VideoInfo.h"
#include "platform/MemoryDisplay.h"
#include "platform/NullSoundSystem.h"
#include "platform/OffscreenWindows.h"
#include "player/IAudioPlayer.h"
#include "player/video/H264VideoPlayer.h"
#include "player/video/H264VideoPlayerImpl.h"
#include "tests/player/PlayerFixture.h"

namespace {

// The window and rectangle are kept as given; resizeWindow changes the rectangle, not the window.
TEST(AVPlayer, WindowBookkeeping) {
  AVPlayer player(new H264VideoPlayer(), nullptr);
  int x = -1, y = -1, w = -1, h = -1;
  player.getDispRect(x, y, w, h);
  EXPECT_EQ(0, x + y + w + h);
  EXPECT_EQ(0u, player.getDispHWnd());
  player.setVideoWindow(7, 10, 20, 320, 240);
  player.getDispRect(x, y, w, h);
  EXPECT_EQ(10, x);
  EXPECT_EQ(20, y);
  EXPECT_EQ(320, w);
  EXPECT_EQ(240, h);
  EXPECT_EQ(7u, player.getDispHWnd());
  player.resizeWindow(1, 2, 30, 40);
  player.getDispRect(x, y, w, h);
  EXPECT_EQ(1, x);
  EXPECT_EQ(40, h);
  EXPECT_EQ(7u, player.getDispHWnd());
  player.setVideoWindow(9);
  EXPECT_EQ(9u, player.getDispHWnd());
  player.getDispRect(x, y, w, h);
  EXPECT_EQ(30, w) << "the window alone leaves the rectangle";
  EXPECT_EQ(0, player.hideVideo());
  EXPECT_EQ(0, player.resumeVideo());
}

// Without an audio player the audio forwarders answer -4, false or nothing.
TEST(AVPlayer, MissingAudioPlayer) {
  AVPlayer player(new H264VideoPlayer(), nullptr);
  EXPECT_EQ(nullptr, player.audioPlayer());
  EXPECT_EQ(-4, player.openAudio());
  EXPECT_EQ(-4, player.playAudio());
  EXPECT_EQ(-4, player.pauseAudio());
  EXPECT_EQ(-4, player.stopAudio());
  EXPECT_EQ(-4, player.setAudioVolume(50));
  long volume = 0;
  EXPECT_EQ(-4, player.getAudioVolume(volume));
  AVData frame;
  EXPECT_EQ(-4, player.pushAudioFrame(frame));
  EXPECT_FALSE(player.isAudioQueueFull());
  EXPECT_FALSE(player.isAudioQueueEmpty());
  player.closeAudio();
  player.clearAudioQueue();
  player.setUseTimestampForAudio(true);
  player.setupAudioMediaType(AudioInfo());
  player.setAudioPlayQueueSize(10);
  player.setAudioWindow(3);
}

// The slots this video player does not use change nothing; blendText answers 0.
TEST(AVPlayer, UnusedVideoSlotsChangeNothing) {
  auto* video = new H264VideoPlayer();
  AVPlayer player(video, nullptr);
  H264VideoPlayerImpl& impl = *video->implementation();
  const unsigned queueBefore = impl.input().inputQueue().maxSize();
  player.setGlobalStretchMode(true);
  player.setRenderMode(3);
  player.setPlayFromIFrame(true);
  player.setupVideoMediaType(VideoInfo());
  player.setVideoPlayQueueSize(77);
  EXPECT_EQ(0, player.blendText("text", "font", 12));
  EXPECT_EQ(queueBefore, impl.input().inputQueue().maxSize());
  EXPECT_FALSE(impl.isOpened());
  // Forwarded ones reach the implementation.
  player.setInputQueueMaxSize(33);
  EXPECT_EQ(33u, impl.input().inputQueue().maxSize());
  player.setLivePlayFlag(true);
  bool live = false;
  EXPECT_EQ(0, player.getLivePlayFlag(live));
  EXPECT_TRUE(live);
  player.setMaxDelayTime(300);
  unsigned delay = 0;
  EXPECT_EQ(0, player.getMaxDelayTime(delay));
  EXPECT_EQ(300u, delay);
  EXPECT_EQ(0, player.setVideoBrightness(80));
  int brightness = 0;
  EXPECT_EQ(0, player.getVideoBrightness(brightness));
  EXPECT_EQ(80, brightness);
}

// The stream player made as embedding programs make it: the H.264 video player and the audio player on
// the null sound backend. Its video and audio life cycles run side by side through the forwarders.
TEST(AVPlayer, VideoAndAudioLifeCycle) {
  platform::MemoryDisplay::instance().reset();
  platform::NullSoundSystem sound;
  sound.installForProcess();
  const HWND window = createOffscreenWindow(176, 144);
  {
    AVPlayer player;
    ASSERT_NE(nullptr, player.audioPlayer());
    player.setVideoWindow(window, 0, 0, 176, 144);
    player.setUseTimestampForVideo(false);
    kxtest::CallbackCounts counts;
    EXPECT_EQ(0, player.openVideo());
    EXPECT_EQ(0, player.openAudio());
    player.setDecodeCallBack(0, kxtest::CallbackCounts::onDecode, &counts);
    EXPECT_EQ(0, player.setAudioVolume(60));
    long volume = 0;
    EXPECT_EQ(0, player.getAudioVolume(volume));
    EXPECT_EQ(60, volume);
    EXPECT_EQ(0, player.playVideo());
    EXPECT_EQ(0, player.playAudio());
    AVData frame;
    kxtest::makeFrame(0, 1000000, frame);
    EXPECT_EQ(0, player.pushVideoFrame(frame));
    AVData audio;
    static const char alaw[160] = {};
    audio.setData(alaw, sizeof(alaw));
    audio.setEncoderType(102);
    audio.setESStreamType(2);
    EXPECT_EQ(0, player.pushAudioFrame(audio));
    for (int waited = 0; counts.decoded.load() < 1 && waited < 20000; waited += 5) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(1, counts.decoded.load());
    EXPECT_EQ(1, player.getCurrentVideoFrameID());
    EXPECT_EQ(0, player.pauseVideo());
    EXPECT_EQ(0, player.pauseAudio());
    player.playNextFrame();
    EXPECT_EQ(0, player.stopVideo());
    EXPECT_EQ(0, player.stopAudio());
    EXPECT_TRUE(player.isAudioQueueEmpty());
    EXPECT_TRUE(player.isVideoQueueEmpty());
    player.closeVideo();
    player.closeAudio();
    EXPECT_EQ(-1, player.getCurrentVideoFrameTimestamp());
  }
  {
    sound.failNextDevices(1);
    AVPlayer player;
    EXPECT_EQ(-605, player.openAudio()) << "no sound device";
  }
  destroyOffscreenWindow(window);
}

// The copy operations are gone: two objects can never own the same two players.
static_assert(!std::is_copy_constructible<AVPlayer>::value, "AVPlayer owns its players");
static_assert(!std::is_copy_assignable<AVPlayer>::value, "AVPlayer owns its players");

}  // namespace
