// The stream feeding thread against the real player: control calls of the main window while the thread
// pushes, under ThreadSanitizer in the thread build.
#include "app/playback/ReadLiveVideoThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/playback/PlaybackController.h"
#include "app/playback/SerialisedPlayer.h"
#include "app/playlist/PlayList.h"
#include "app/settings/TextConversion.h"
#include "platform/MemoryDisplay.h"
#include "platform/NullSoundSystem.h"
#include "platform/OffscreenWindows.h"
#include "player/KXPlayer.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/playback/FakePlayback.h"
#include "tests/player/PlaybackFixture.h"

namespace {

// Ends the test program when a test hangs, naming it, rather than leaving the run to its own timeout.
class Watchdog {
 public:
  Watchdog(const char* what, std::chrono::seconds limit) : m_thread([this, what, limit] {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
      std::fprintf(stderr, "hung: %s\n", what);
      std::abort();
    }
  }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_done;
  bool m_finished = false;
  std::thread m_thread;
};

// A recording the file player refuses (a transport stream behind 1000 bytes of zeros), so that the
// main window plays it as a stream through the feeding thread.
std::string streamOnlyFile(const std::string& name) {
  playtest::Source source;
  source.name = "app-feed";
  source.width = 176;
  source.height = 144;
  source.frames = 75;
  source.audio = true;
  const playtest::Recording& recording = playtest::recording(source, playtest::kTransportStream);
  const std::string path = kxtest::scratchDir(name) + "/behind-zeros.ts";
  apptest::writeFile(path, std::string(1000, '\0') + kxtest::readFile(recording.path));
  return path;
}

TEST(ReadLiveVideoThread, ControlCallsWhileTheFeederPushesNeitherRaceNorHang) {
  Watchdog watchdog("open, pause, speed, stop and close while feeding", std::chrono::seconds(300));
  platform::MemoryDisplay::instance().reset();
  platform::NullSoundSystem sound;
  sound.installForProcess();
  const HWND window = createOffscreenWindow(176, 144);
  apptest::ScopedModuleDir dir;
  app::PlayList& store = app::PlayList::getInstance();
  store.clear();
  std::u16string path;
  app::fromUtf8(streamOnlyFile("feeder-control"), path);
  store.append(app::PlayListItem(1, path));

  std::atomic<int> ends{0};
  {
    KXPlayer engine;
    app::SerialisedPlayer player(engine);
    player.setVideoWindow(window, 0, 0, 176, 144);
    apptest::FakeView view;
    view.listIds = {1};
    app::PlaybackController control(player, view, [&](long, long) { ++ends; });
    control.feeder().setTimings(10, 200);
    for (int round = 0; round < 50; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      ASSERT_EQ(control.openItem(1), 0);
      ASSERT_EQ(control.feedMode(), app::FEED_STREAM);
      // Vary where in the feeding the calls land.
      std::this_thread::sleep_for(std::chrono::milliseconds(round % 7));
      control.onPause();
      control.onSlow();
      std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
      control.onFast();
      control.onFast();
      control.onPlay();
      control.onPlayPause();
      control.onSound();
      control.onSound();
      if (round % 2 == 0) {
        control.onStop();
      } else {
        control.closeItem();
      }
      EXPECT_EQ(control.playState(), app::PLAY_STATE_READY);
    }
    // One more that plays to its end: the feeder reports it.
    ASSERT_EQ(control.openItem(1), 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (ends.load() == 0 && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(ends.load(), 1);
    control.closeItem();
  }
  store.clear();
  destroyOffscreenWindow(window);
}

TEST(ReadLiveVideoThread, StoppingWhileTheQueuesAreFullEndsTheThreadPromptly) {
  Watchdog watchdog("stop with full queues", std::chrono::seconds(120));
  apptest::ScopedModuleDir dir;
  const std::string path = dir.path() + "stream.ts";
  apptest::writeFile(path, std::string(188 * 50, '\x47'));
  apptest::FakePlayer player;
  player.mode = 2;
  player.queueFull = true;
  std::atomic<int> reports{0};
  app::ReadLiveVideoThread feeder;
  feeder.setPlayer(&player);
  feeder.setPath(path);
  feeder.setEndReporter([&](long, long) { ++reports; });
  for (int round = 0; round < 20; ++round) {
    ASSERT_TRUE(feeder.start());
    while (player.calls().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto before = std::chrono::steady_clock::now();
    feeder.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    EXPECT_EQ(player.pushes(), 0u) << "nothing is pushed while the queues are full";
    player.clearCalls();
  }
  EXPECT_EQ(reports.load(), 0);
  EXPECT_EQ(player.overlaps.load(), 0);
}

}  // namespace
