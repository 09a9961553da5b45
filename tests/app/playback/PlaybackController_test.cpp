#include "app/playback/PlaybackController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "app/playlist/PlayList.h"
#include "app/settings/AppSettings.h"
#include "app/settings/TextConversion.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/playback/FakePlayback.h"

using app::PlaybackController;

namespace {

enum class Command { Play, Pause, PlayPause, Stop, Slow, Fast, PreviousFrame, NextFrame };

const char* name(Command command) {
  switch (command) {
    case Command::Play: return "play";
    case Command::Pause: return "pause";
    case Command::PlayPause: return "play/pause";
    case Command::Stop: return "stop";
    case Command::Slow: return "slow";
    case Command::Fast: return "fast";
    case Command::PreviousFrame: return "previous frame";
    case Command::NextFrame: return "next frame";
  }
  return "";
}

bool waitFor(const std::function<bool()>& condition) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// A play list of three existing files (ids 1, 2, 3) and one missing (4), a controller over fakes, and the
// end messages it posts kept for the test to deliver.
class PlaybackControllerTest : public ::testing::Test {
 protected:
  PlaybackControllerTest() {
    app::PlayList& store = app::PlayList::getInstance();
    store.clear();
    for (int id = 1; id <= 4; ++id) {
      const std::string path = m_dir.path() + (id == 4 ? "missing.ts" : "item" + std::to_string(id) + ".ts");
      if (id != 4) apptest::writeFile(path, std::string(188 * 20, '\x47'));
      std::u16string wide;
      app::fromUtf8(path, wide);
      store.append(app::PlayListItem(id, wide));
    }
    view.listIds = {1, 2, 3};
    view.selected = 1;
    controller.feeder().setTimings(5, 50);
  }
  ~PlaybackControllerTest() override {
    controller.feeder().stop();
    app::PlayList::getInstance().clear();
  }

  void run(Command command) {
    switch (command) {
      case Command::Play: controller.onPlay(); break;
      case Command::Pause: controller.onPause(); break;
      case Command::PlayPause: controller.onPlayPause(); break;
      case Command::Stop: controller.onStop(); break;
      case Command::Slow: controller.onSlow(); break;
      case Command::Fast: controller.onFast(); break;
      case Command::PreviousFrame: controller.onPreviousFrame(); break;
      case Command::NextFrame: controller.onNextFrame(); break;
    }
  }

  // Brings the controller into a play state through the commands a user would give.
  void reach(int state) {
    if (state == app::PLAY_STATE_READY) return;
    ASSERT_EQ(controller.openItem(1), 0);
    switch (state) {
      case app::PLAY_STATE_PAUSED: controller.onPause(); break;
      case app::PLAY_STATE_PREVIOUS_FRAME: controller.onPreviousFrame(); break;
      case app::PLAY_STATE_NEXT_FRAME: controller.onNextFrame(); break;
      case app::PLAY_STATE_FAST: controller.onFast(); break;
      case app::PLAY_STATE_SLOW: controller.onSlow(); break;
      default: break;
    }
    ASSERT_EQ(controller.playState(), state);
  }

  // Delivers the end messages posted so far, as the message loop would.
  void deliverPosted() {
    std::vector<std::pair<long, long>> messages;
    {
      std::lock_guard<std::mutex> lock(m_postMutex);
      messages.swap(m_posted);
    }
    for (const auto& [tag, result] : messages) controller.onFileEnd(static_cast<app::WPARAM>(tag), result);
  }
  std::vector<std::pair<long, long>> posted() {
    std::lock_guard<std::mutex> lock(m_postMutex);
    return m_posted;
  }

  apptest::ScopedModuleDir m_dir;
  apptest::FakePlayer player;
  apptest::FakeView view;
  std::mutex m_postMutex;
  std::vector<std::pair<long, long>> m_posted;
  PlaybackController controller{player, view, [this](long tag, long result) {
                                  std::lock_guard<std::mutex> lock(m_postMutex);
                                  m_posted.emplace_back(tag, result);
                                }};
};

const char* const kOpenCalls = "openFile play setSpeed 1 playSound";

TEST_F(PlaybackControllerTest, EachCommandInEachPlayStateGivesItsStateTextAndPlayerCalls) {
  struct Case {
    int from;
    Command command;
    int to;
    const char* key;
    const char* calls;
  };
  using C = Command;
  const Case cases[] = {
      {0, C::Play, 1, "playing", kOpenCalls},
      {0, C::PlayPause, 1, "playing", kOpenCalls},
      {0, C::Pause, 0, "readyplay", ""},
      {0, C::Slow, 0, "readyplay", ""},
      {0, C::Fast, 0, "readyplay", ""},
      {0, C::PreviousFrame, 0, "readyplay", ""},
      {0, C::NextFrame, 0, "readyplay", ""},
      {1, C::Play, 1, "playing", "play"},
      {1, C::Pause, 2, "pause", "pause"},
      {1, C::PlayPause, 2, "pause", "pause"},
      {1, C::Stop, 0, "readyplay", "stop closeFile"},
      {1, C::Slow, 6, "playslow2", "setSpeed 0.5"},
      {1, C::Fast, 5, "playfast2", "setSpeed 2"},
      {1, C::PreviousFrame, 3, "previousframe", "playPreviousFrame"},
      {1, C::NextFrame, 4, "nextframe", "playNextFrame"},
      {2, C::Play, 1, "playing", "play"},
      {2, C::PlayPause, 1, "playing", "play"},
      {2, C::Stop, 0, "readyplay", "stop closeFile"},
      // Paused or stepped: play on from the picture at normal speed, then the first step; no re-open.
      {2, C::Slow, 6, "playslow2", "play setSpeed 0.5"},
      {2, C::Fast, 5, "playfast2", "play setSpeed 2"},
      {2, C::NextFrame, 4, "nextframe", "playNextFrame"},
      {3, C::PlayPause, 1, "playing", "play"},
      {3, C::Fast, 5, "playfast2", "play setSpeed 2"},
      {3, C::PreviousFrame, 3, "previousframe", "playPreviousFrame"},
      {4, C::Slow, 6, "playslow2", "play setSpeed 0.5"},
      {4, C::Pause, 2, "pause", "pause"},
      {5, C::Play, 1, "playing", "play"},
      {5, C::PlayPause, 1, "playing", "play"},
      {5, C::Fast, 5, "playfast4", "setSpeed 4"},
      {5, C::Slow, 6, "playslow2", "setSpeed 0.5"},
      {5, C::Pause, 2, "pause", "pause"},
      {6, C::Slow, 6, "playslow3", "setSpeed 0.333333"},
      {6, C::Fast, 5, "playfast2", "setSpeed 2"},
      {6, C::Stop, 0, "readyplay", "stop closeFile"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string("from ") + std::to_string(test.from) + " " + name(test.command));
    controller.closeItem();
    reach(test.from);
    player.clearCalls();
    run(test.command);
    EXPECT_EQ(controller.playState(), test.to);
    EXPECT_EQ(view.stateKey, test.key);
    EXPECT_EQ(player.controlCalls(), test.calls);
  }
}

TEST_F(PlaybackControllerTest, SpeedStepsCycleAndStartFromNormalAfterResuming) {
  struct Case {
    std::vector<Command> presses;
    std::vector<std::string> speeds;
    std::string lastKey;
  };
  using C = Command;
  const Case cases[] = {
      {{C::Slow, C::Slow, C::Slow, C::Slow}, {"0.5", "0.333333", "0.25", "0.5"}, "playslow2"},
      {{C::Fast, C::Fast, C::Fast, C::Fast, C::Fast}, {"2", "4", "8", "16", "2"}, "playfast2"},
      // Play resumes at normal speed, so the next press is the first step again.
      {{C::Slow, C::Pause, C::Play, C::Slow}, {"0.5", "0.5"}, "playslow2"},
      {{C::Fast, C::Fast, C::PlayPause, C::PlayPause, C::Fast}, {"2", "4", "2"}, "playfast2"},
  };
  for (const Case& test : cases) {
    controller.closeItem();
    ASSERT_EQ(controller.openItem(1), 0);
    player.clearCalls();
    for (Command press : test.presses) run(press);
    std::vector<std::string> speeds;
    for (const std::string& call : player.calls()) {
      if (call.rfind("setSpeed ", 0) == 0) speeds.push_back(call.substr(9));
    }
    EXPECT_EQ(speeds, test.speeds);
    EXPECT_EQ(view.stateKey, test.lastKey);
    EXPECT_EQ(player.controlCalls().find("openFile"), std::string::npos) << "a speed step never re-opens";
  }
}

TEST_F(PlaybackControllerTest, EndOfItemMovesAlongTheListByPlayMode) {
  struct Case {
    int mode;
    int playing;
    int opened;  // 0: nothing opened, the window is ready again
  };
  const Case cases[] = {
      {app::PLAY_MODE_SINGLE, 1, 0},        {app::PLAY_MODE_SINGLE, 3, 0},
      {app::PLAY_MODE_CIRCLE, 1, 2},        {app::PLAY_MODE_CIRCLE, 2, 3},
      {app::PLAY_MODE_CIRCLE, 3, 1},        {app::PLAY_MODE_ORDER, 1, 2},
      {app::PLAY_MODE_ORDER, 2, 3},         {app::PLAY_MODE_ORDER, 3, 0},
      {app::PLAY_MODE_SINGLE_CIRCLE, 1, 1}, {app::PLAY_MODE_SINGLE_CIRCLE, 3, 3},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE("mode " + std::to_string(test.mode) + " at item " + std::to_string(test.playing));
    controller.closeItem();
    controller.setPlayMode(test.mode);
    ASSERT_EQ(controller.openItem(test.playing), 0);
    player.clearCalls();
    controller.onFileEnd(static_cast<app::WPARAM>(player.lastWParam), 0);
    if (test.opened == 0) {
      EXPECT_EQ(controller.playState(), app::PLAY_STATE_READY) << "the window follows the stopped engine";
      EXPECT_EQ(player.controlCalls(), "stop closeFile");
      EXPECT_EQ(view.stateKey, "readyplay");
    } else {
      EXPECT_EQ(controller.playState(), app::PLAY_STATE_PLAYING);
      EXPECT_EQ(controller.currentItemId(), test.opened);
      EXPECT_EQ(player.controlCalls(), std::string("stop closeFile ") + kOpenCalls);
    }
  }
}

TEST_F(PlaybackControllerTest, PlayAfterTheEndStartsTheItemAgain) {
  ASSERT_EQ(controller.openItem(3), 0);
  controller.onFileEnd(static_cast<app::WPARAM>(player.lastWParam), 0);
  ASSERT_EQ(controller.playState(), app::PLAY_STATE_READY);
  view.selected = 3;
  player.clearCalls();
  controller.onPlayPause();  // Space
  EXPECT_EQ(controller.playState(), app::PLAY_STATE_PLAYING);
  EXPECT_EQ(player.controlCalls(), kOpenCalls);
}

TEST_F(PlaybackControllerTest, EndMessagesOfEarlierOpensAreIgnored) {
  controller.setPlayMode(app::PLAY_MODE_ORDER);
  ASSERT_EQ(controller.openItem(1), 0);
  const long first = player.lastWParam;
  ASSERT_EQ(controller.openItem(3), 0);  // the user opened another item meanwhile
  EXPECT_NE(player.lastWParam, first) << "each open is tagged anew";
  player.clearCalls();
  controller.onFileEnd(static_cast<app::WPARAM>(first), 0);
  EXPECT_EQ(controller.currentItemId(), 3);
  EXPECT_EQ(controller.playState(), app::PLAY_STATE_PLAYING);
  EXPECT_EQ(player.controlCalls(), "");

  const long third = player.lastWParam;
  controller.closeItem();
  player.clearCalls();
  controller.onFileEnd(static_cast<app::WPARAM>(third), 0);  // posted just before the user stopped
  EXPECT_EQ(player.controlCalls(), "");
  EXPECT_EQ(controller.playState(), app::PLAY_STATE_READY);
}

TEST_F(PlaybackControllerTest, FileOpenShowsDurationPositionTimeAndFrameTexts) {
  ASSERT_EQ(controller.openItem(2), 0);
  EXPECT_EQ(view.seekMaximum, 125);
  EXPECT_TRUE(view.timerRunning);
  EXPECT_TRUE(view.controls.seekEnabled);
  EXPECT_TRUE(view.controls.pauseShown);
  EXPECT_FALSE(view.controls.playShown);
  EXPECT_EQ(view.selectedItems, std::vector<int>{2});
  controller.onTimer(app::TIMER_PLAY_POSITION);
  EXPECT_EQ(view.seekPosition, 3725);
  EXPECT_EQ(view.timeTexts.back(), "01:02:05 / 00:02:05");
  EXPECT_EQ(view.frameTexts.back(), "40 / 3000");

  controller.onSeekSliderClick();
  player.position = 10;
  controller.onTimer(app::TIMER_PLAY_POSITION);
  EXPECT_EQ(view.seekPosition, 3725) << "the slider is not moved while dragged";
  view.seekPosition = 60;
  player.clearCalls();
  controller.onSeekReleased();
  EXPECT_EQ(player.controlCalls(), "setPlayPosByTime 60");
  EXPECT_FALSE(controller.isSeeking());

  player.results["getPlayedFrames"] = -6;
  controller.onTimer(app::TIMER_PLAY_POSITION);
  EXPECT_EQ(view.frameTexts.back(), "");
  controller.onTimer(app::TIMER_AUTO_SCROLL);
  EXPECT_EQ(view.timeTexts.size(), 3u) << "other timers show nothing";

  controller.onStop();
  EXPECT_FALSE(view.timerRunning);
  EXPECT_EQ(view.timeTexts.back(), "");
  EXPECT_EQ(view.frameTexts.back(), "");
  EXPECT_EQ(view.seekPosition, 0);
}

TEST_F(PlaybackControllerTest, SoundButtonFollowsThePlayer) {
  player.results["playSound"] = -605;
  ASSERT_EQ(controller.openItem(1), 0);
  EXPECT_TRUE(view.soundOff) << "no sound output: the button shows sound off";
  player.results["playSound"] = 0;
  controller.onSound();
  EXPECT_FALSE(view.soundOff);
  player.results["stopSound"] = -4;
  controller.onSound();
  EXPECT_FALSE(view.soundOff) << "a failed call leaves the button";
  player.results["stopSound"] = 0;
  controller.onSound();
  EXPECT_TRUE(view.soundOff);
}

TEST_F(PlaybackControllerTest, AFileTheFilePlayerRefusesPlaysAsAStreamFedAfterTheControlCalls) {
  player.results["openFile"] = -7;
  player.timeStamp = 5;
  controller.setPlayMode(app::PLAY_MODE_ORDER);
  ASSERT_EQ(controller.openItem(1), 0);
  EXPECT_EQ(controller.feedMode(), app::FEED_STREAM);
  EXPECT_FALSE(view.controls.seekEnabled) << "a stream has no position to seek";
  ASSERT_TRUE(waitFor([&] { return !posted().empty(); })) << "the feeder reports the end of its file";
  const std::vector<std::string> calls = player.calls();
  const auto firstPush = std::find(calls.begin(), calls.end(), "push");
  const auto sound = std::find(calls.begin(), calls.end(), "playSound");
  ASSERT_NE(firstPush, calls.end());
  EXPECT_LT(sound - calls.begin(), firstPush - calls.begin()) << "the feeder starts after every control call";
  EXPECT_EQ(player.overlaps.load(), 0);
  EXPECT_EQ(posted().front(), std::make_pair(controller.tag(), 0L));

  view.timeTexts.clear();
  controller.onTimer(app::TIMER_PLAY_POSITION);
  EXPECT_TRUE(view.timeTexts.empty()) << "stream playback shows no position";
  player.clearCalls();
  controller.onNextFrame();
  EXPECT_EQ(player.controlCalls(), "") << "no frame steps in stream mode";

  player.results["openFile"] = 0;
  deliverPosted();  // order mode: on to item 2, as a file
  EXPECT_EQ(controller.currentItemId(), 2);
  EXPECT_EQ(controller.feedMode(), app::FEED_FILE);
}

TEST_F(PlaybackControllerTest, ClosingAStreamStopsTheFeederBeforeThePlayer) {
  player.results["openFile"] = -7;
  player.queueFull = true;  // the feeder waits for room and never ends by itself
  ASSERT_EQ(controller.openItem(1), 0);
  ASSERT_TRUE(waitFor([&] { return player.calls().back() == "full"; }));
  player.clearCalls();
  EXPECT_EQ(controller.closeItem(), 0);
  EXPECT_EQ(player.controlCalls(), "stop closeStream");
  const std::vector<std::string> calls = player.calls();
  const auto stop = std::find(calls.begin(), calls.end(), "stop");
  EXPECT_EQ(std::count(stop, calls.end(), "full") + std::count(stop, calls.end(), "push"), 0)
      << "no feeder call once the player is stopped";
  EXPECT_EQ(player.overlaps.load(), 0);
  EXPECT_TRUE(posted().empty()) << "a stopped feeder reports nothing";
}

TEST_F(PlaybackControllerTest, ItemsThatCannotBePlayedShowTheErrorStateAndTheListMovesOn) {
  struct Case {
    const char* what;
    int item;
    std::map<std::string, int> results;
    const char* calls;
  };
  const Case cases[] = {
      {"a missing file is not tried as a stream", 4, {{"openFile", -103}}, "openFile"},
      {"neither player opens it", 1, {{"openFile", -7}, {"openStream", -2}}, "openFile openStream"},
      {"playing fails", 1, {{"play", -552}}, "openFile play stop closeFile"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    controller.closeItem();
    {
      std::lock_guard<std::mutex> lock(m_postMutex);
      m_posted.clear();
    }
    player.results = test.results;
    player.clearCalls();
    controller.setPlayMode(app::PLAY_MODE_ORDER);
    view.listIds = {test.item, 2};
    EXPECT_NE(controller.openItem(test.item), 0);
    EXPECT_EQ(player.controlCalls(), test.calls);
    EXPECT_EQ(controller.playState(), app::PLAY_STATE_ERROR);
    EXPECT_EQ(view.stateKey, "playerror");
    EXPECT_FALSE(view.controls.pauseShown);
    EXPECT_FALSE(view.controls.transportEnabled);
    EXPECT_FALSE(view.timerRunning);
    player.results.clear();
    deliverPosted();
    EXPECT_EQ(controller.currentItemId(), 2) << "order mode goes on with the next item";
    EXPECT_EQ(controller.playState(), app::PLAY_STATE_PLAYING);
  }
}

TEST_F(PlaybackControllerTest, AStreamWhoseBytesAreNeverTakenEndsInTheErrorState) {
  player.results["openFile"] = -7;
  player.results["push"] = -233;
  controller.setPlayMode(app::PLAY_MODE_SINGLE);
  ASSERT_EQ(controller.openItem(1), 0);
  ASSERT_TRUE(waitFor([&] { return !posted().empty(); })) << "the feeder gives up";
  EXPECT_EQ(posted().front().second, app::ReadLiveVideoThread::FeedFailed);
  std::size_t refusals = player.pushes();
  EXPECT_LE(refusals, 25u) << "refused input is retried with waits, not at full speed";
  deliverPosted();
  EXPECT_EQ(controller.playState(), app::PLAY_STATE_ERROR);
  EXPECT_EQ(view.stateKey, "playerror");
  EXPECT_FALSE(view.picturesShown);
}

TEST_F(PlaybackControllerTest, CirclingStopsOnceEveryItemFailed) {
  app::PlayList& store = app::PlayList::getInstance();
  store.clear();
  for (int id = 1; id <= 3; ++id) store.append(app::PlayListItem(id, u"/nowhere/missing" + std::u16string(1, u'0' + id)));
  controller.setPlayMode(app::PLAY_MODE_CIRCLE);
  player.results["openFile"] = -103;
  EXPECT_NE(controller.openItem(2), 0);
  std::vector<int> tried{controller.currentItemId()};
  for (int round = 0; round < 10 && !posted().empty(); ++round) {
    deliverPosted();
    tried.push_back(controller.currentItemId());
  }
  EXPECT_TRUE(posted().empty());
  EXPECT_EQ(tried, (std::vector<int>{2, 3, 1, 1}));
  EXPECT_EQ(controller.playState(), app::PLAY_STATE_ERROR);
}

TEST_F(PlaybackControllerTest, AnUnplayableItemIsSteppedOverInTheDirectionTheUserWent) {
  // Item 5 cannot be played (it names no file); the list is 1, 5, 3.
  app::PlayList::getInstance().append(app::PlayListItem(5, u""));
  view.listIds = {1, 5, 3};
  for (int mode : {app::PLAY_MODE_ORDER, app::PLAY_MODE_CIRCLE}) {
    SCOPED_TRACE(mode);
    controller.setPlayMode(mode);
    ASSERT_EQ(controller.openItem(3), 0);
    controller.onPreviousFile();
    EXPECT_EQ(controller.currentItemId(), 5);
    EXPECT_EQ(controller.playState(), app::PLAY_STATE_ERROR);
    deliverPosted();
    EXPECT_EQ(controller.currentItemId(), 1) << "Previous past the unplayable item lands before it";
    EXPECT_EQ(controller.playState(), app::PLAY_STATE_PLAYING);
    EXPECT_TRUE(posted().empty());

    // The end of item 1 goes forward again: the way back was that one step only.
    controller.onFileEnd(static_cast<app::WPARAM>(controller.tag()), app::ReadLiveVideoThread::FeedEnded);
    EXPECT_EQ(controller.currentItemId(), 5);
    deliverPosted();
    EXPECT_EQ(controller.currentItemId(), 3);
    EXPECT_EQ(controller.playState(), app::PLAY_STATE_PLAYING);

    controller.onNextFile();  // at the end of the list: nothing happens
    controller.openItem(1);
    controller.onNextFile();
    deliverPosted();
    EXPECT_EQ(controller.currentItemId(), 3) << "Next past the unplayable item lands after it";
    controller.closeItem();
  }

  // At the top of the list the walk back stops on the unplayable item, in both modes.
  view.listIds = {5, 3};
  for (int mode : {app::PLAY_MODE_ORDER, app::PLAY_MODE_CIRCLE}) {
    SCOPED_TRACE(mode);
    controller.setPlayMode(mode);
    ASSERT_EQ(controller.openItem(3), 0);
    controller.onPreviousFile();
    deliverPosted();
    EXPECT_EQ(controller.currentItemId(), 5);
    EXPECT_EQ(controller.playState(), app::PLAY_STATE_ERROR);
    EXPECT_TRUE(posted().empty());
  }
}

TEST_F(PlaybackControllerTest, PlayWithNothingSelectedDoesNothingAndFullScreenKeepsTheDisplay) {
  view.selected = 0;
  controller.onPlay();
  EXPECT_EQ(player.controlCalls(), "");
  controller.updateStateDisplay();
  EXPECT_FALSE(view.controls.playEnabled);
  view.selected = 1;
  controller.updateStateDisplay();
  EXPECT_TRUE(view.controls.playEnabled);
  view.panel = false;
  controller.updateStateDisplay();
  EXPECT_FALSE(view.controls.playEnabledKnown) << "without a panel the play button is left as it is";

  view.panel = true;
  ASSERT_EQ(controller.openItem(1), 0);
  view.fullScreen = true;
  controller.onPause();
  EXPECT_EQ(controller.playState(), app::PLAY_STATE_PAUSED);
  EXPECT_EQ(view.stateKey, "playing") << "full screen shows no state";
  EXPECT_EQ(controller.openItem(99), -1);
}

}  // namespace
