#include "app/playback/PlaybackController.h"

#include <cstdio>

#include "app/playback/IPlaybackPlayer.h"
#include "app/playlist/PlayList.h"
#include "app/settings/AppSettings.h"
#include "app/settings/TextConversion.h"

namespace app {
namespace {

constexpr long kPlayModeFile = 1;
constexpr int kFileOpenFailed = -103;

struct StepKey {
  int step;
  const char* key;
};
constexpr StepKey kFastKeys[] = {{SPEED_DOUBLE, "playfast2"}, {SPEED_FOUR, "playfast4"},
                                 {SPEED_EIGHT, "playfast8"}, {SPEED_SIXTEEN, "playfast16"}};
constexpr StepKey kSlowKeys[] = {{SPEED_QUARTER, "playslow4"}, {SPEED_THIRD, "playslow3"}, {SPEED_HALF, "playslow2"}};

template <std::size_t N>
const char* keyOfStep(const StepKey (&keys)[N], int step, const char* otherwise) {
  for (const StepKey& entry : keys) {
    if (entry.step == step) return entry.key;
  }
  return otherwise;
}

}  // namespace

// One direction of speed steps: from -> to with the factor, and where any other step goes.
struct PlaybackController::SpeedCycle {
  struct Step {
    int from;
    int to;
    float speed;
  };
  Step steps[3];
  int firstStep;
  float firstSpeed;
  int state;
};

namespace {
const float kThird = 1.0f / 3.0f;
}

PlaybackController::PlaybackController(IPlaybackPlayer& player, IPlaybackView& view, EndPoster post)
    : m_player(player), m_view(view), m_post(std::move(post)) {
  m_feeder.setPlayer(&m_player);
  m_feeder.setEndReporter(m_post);
}

PlaybackController::~PlaybackController() { m_feeder.stop(); }

void PlaybackController::releasePlayer() {
  // The feeding thread goes first: the stream player takes no control call while it pushes.
  if (m_feedMode == FEED_STREAM) m_feeder.stop();
  m_player.stop();
  if (m_feedMode == FEED_STREAM) {
    m_player.closeStream();
  } else {
    m_player.closeFile();
  }
}

int PlaybackController::openItem(int id) { return openItemGoing(id, false); }

int PlaybackController::openItemGoing(int id, bool backward) {
  if (isItemOpen()) closeItem();
  m_reachedBackward = backward;
  PlayListItem item;
  if (!PlayList::getInstance().findById(id, item)) return -1;
  if (m_view.hasListPanel()) m_view.selectListItem(id);
  std::string path;
  toUtf8(item.getPath(), path);

  ++m_tag;
  m_player.setMessageEX(kPlayModeFile, m_notifyWindow, static_cast<long>(WM_FILE_END), m_tag,
                        ReadLiveVideoThread::FeedEnded);
  m_player.setUseTimeStamp(true);
  const int opened = path.empty() ? kFileOpenFailed : m_player.openFile(path.c_str());
  if (opened != 0) {
    // A file that is not there is not a stream either; anything else may be a raw transport stream.
    if (opened == kFileOpenFailed) return failItem(id, opened);
    const int streamed = m_player.openStream();
    if (streamed != 0) return failItem(id, streamed);
    m_feeder.setPath(path);
    m_feeder.setTag(m_tag);
    m_feedMode = FEED_STREAM;
    m_view.debugText(" m_objKXPlayer.open: PLAYMODE_STREAM");
  } else {
    long seconds = m_duration;
    if (m_player.getFileTime(seconds) == 0) m_duration = static_cast<int>(seconds);
    m_view.setSeekRange(m_duration);
    m_feedMode = FEED_FILE;
    m_view.debugText(" m_objKXPlayer.open: PLAYMODE_FILE");
  }
  m_playState = PLAY_STATE_PLAYING;
  m_lastPosition = 0;
  bool stretch = false;
  readVideoStretch(stretch);
  m_player.setStretchMode(stretch);
  const int played = m_player.play();
  if (played != 0) {
    releasePlayer();
    return failItem(id, played);
  }
  m_player.setSpeed(1.0f);
  m_view.setSoundButtonOff(m_player.playSound() != 0);
  if (m_feedMode == FEED_STREAM) {
    // Started last, once every control call of the open is done.
    m_feeder.setHeld(false);
    m_feeder.start();
  }
  m_view.showPictures(true);
  m_failedRunStart = 0;  // the run of items that could not be played ends with one that plays
  updateStateDisplay();
  m_currentItemId = id;
  m_view.startPositionTimer();
  return 0;
}

int PlaybackController::failItem(int id, int code) {
  m_view.stopPositionTimer();
  m_duration = 0;
  m_speedStep = SPEED_NORMAL;
  m_playState = PLAY_STATE_ERROR;
  m_view.setSeekPos(0);
  m_view.showPictures(false);
  m_currentItemId = id;
  updateStateDisplay();
  // Moving along the list happens from the message loop, never inside this open.
  if (m_post) m_post(m_tag, ReadLiveVideoThread::FeedFailed);
  return code;
}

int PlaybackController::closeItem() {
  if (m_feedMode == FEED_STREAM) m_feeder.stop();
  const int stopped = m_player.stop();
  if (stopped != 0) return stopped;
  ++m_tag;  // an end message of the closed item is stale from here on
  m_failedRunStart = 0;
  m_view.stopPositionTimer();
  m_duration = 0;
  m_playState = PLAY_STATE_READY;
  m_speedStep = SPEED_NORMAL;
  m_seeking = false;
  m_view.setSeekPos(0);
  m_view.showPictures(false);
  updateStateDisplay();
  if (m_feedMode == FEED_STREAM) {
    const int closed = m_player.closeStream();
    m_view.debugText(" m_objKXPlayer.close: PLAYMODE_STREAM");
    return closed;
  }
  const int closed = m_player.closeFile();
  m_view.debugText(" m_objKXPlayer.close: PLAYMODE_FILE");
  return closed;
}

void PlaybackController::onTimer(std::uint32_t id) {
  if (id != TIMER_PLAY_POSITION || m_feedMode != FEED_FILE || !isItemOpen()) return;
  long position = 0;
  if (m_player.getPlayPosByTime(position) == 0) {
    m_lastPosition = position;
    if (!m_seeking && !m_view.isFullScreen()) m_view.setSeekPos(static_cast<int>(position));
  }
  // When the position cannot be read (the engine stopped at the end) the last one read stays shown.
  const long pos = m_lastPosition;
  const long total = m_duration;
  char text[64];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld / %02ld:%02ld:%02ld", pos / 3600, pos % 3600 / 60,
                pos % 3600 % 60, total / 3600, total % 3600 / 60, total % 3600 % 60);
  if (m_view.hasVideoWindow()) m_view.setTimeText(text);
  long played = 0;
  long frames = 0;
  std::string frameText;
  if (m_player.getMode() == kPlayModeFile && m_player.getPlayedFrames(played) == 0 &&
      m_player.getFileTotalFrames(frames) == 0) {
    std::snprintf(text, sizeof text, "%ld / %ld", played, frames);
    frameText = text;
  }
  if (m_view.hasVideoWindow()) m_view.setFrameText(frameText);
}

LRESULT PlaybackController::onFileEnd(WPARAM tag, LPARAM result) {
  if (static_cast<long>(tag) != m_tag) return 1;  // from an item that is no longer open
  if (result == ReadLiveVideoThread::FeedFailed) {
    if (isItemOpen()) {
      // Shown now; the message failItem posts moves along the list.
      releasePlayer();
      failItem(m_currentItemId, -1);
      return 1;
    }
    moveOnAfterFailure();
    return 1;
  }
  m_failedRunStart = 0;
  const bool hasPanel = m_view.hasListPanel();
  int next = 0;
  switch (m_playMode) {
    case PLAY_MODE_CIRCLE:
      if (!hasPanel) break;
      next = m_view.nextListId(m_currentItemId);
      if (next <= 0) next = m_view.firstListId();
      if (next > 0) openItem(next);
      return 1;
    case PLAY_MODE_ORDER:
      next = hasPanel ? m_view.nextListId(m_currentItemId) : 0;
      if (next > 0) {
        openItem(next);
        return 1;
      }
      break;
    case PLAY_MODE_SINGLE_CIRCLE:
      openItem(m_currentItemId);
      return 1;
    default:
      break;
  }
  // Nothing follows: the engine has stopped, and so does the window, ready to play the item again.
  closeItem();
  return 1;
}

void PlaybackController::moveOnAfterFailure() {
  if (m_failedRunStart == 0) m_failedRunStart = m_currentItemId;
  if (!m_view.hasListPanel()) return;
  if (m_playMode != PLAY_MODE_CIRCLE && m_playMode != PLAY_MODE_ORDER) return;
  int next = 0;
  if (m_reachedBackward) {
    // On the way back the walk stops at the top of the list, as "Previous" does.
    next = m_view.previousListId(m_currentItemId);
  } else {
    next = m_view.nextListId(m_currentItemId);
    if (next <= 0 && m_playMode == PLAY_MODE_CIRCLE) next = m_view.firstListId();
  }
  // Once every item of the list has failed in a row, circling stops.
  if (next > 0 && next != m_failedRunStart) openItemGoing(next, m_reachedBackward);
}

void PlaybackController::resume() {
  m_player.play();  // the player resumes at normal speed
  m_speedStep = SPEED_NORMAL;
  m_playState = PLAY_STATE_PLAYING;
  m_feeder.setHeld(false);
}

void PlaybackController::onPlay() {
  if (isItemOpen()) {
    resume();
    updateStateDisplay();
    return;
  }
  if (!m_view.hasListPanel()) return;
  m_currentItemId = m_view.selectedListId();
  if (m_currentItemId > 0) openItem(m_currentItemId);
}

void PlaybackController::onPause() {
  if (!isItemOpen()) return;
  if (m_player.pause() != 0) return;
  m_playState = PLAY_STATE_PAUSED;
  m_feeder.setHeld(true);
  updateStateDisplay();
}

void PlaybackController::onPlayPause() {
  if (m_playState == PLAY_STATE_PLAYING) {
    onPause();
  } else {
    onPlay();
  }
}

void PlaybackController::onStop() { closeItem(); }

void PlaybackController::stepSpeed(const SpeedCycle& cycle) {
  if (!isItemOpen()) return;
  if (m_playState == PLAY_STATE_PAUSED || m_playState == PLAY_STATE_PREVIOUS_FRAME ||
      m_playState == PLAY_STATE_NEXT_FRAME) {
    // Play on from where the picture stands, at normal speed; the first step follows.
    resume();
  }
  int step = cycle.firstStep;
  float speed = cycle.firstSpeed;
  for (const SpeedCycle::Step& entry : cycle.steps) {
    if (entry.from == m_speedStep) {
      step = entry.to;
      speed = entry.speed;
    }
  }
  m_player.setSpeed(speed);
  m_speedStep = step;
  m_playState = cycle.state;
  updateStateDisplay();
}

void PlaybackController::onSlow() {
  static const SpeedCycle slow{{{SPEED_THIRD, SPEED_QUARTER, 0.25f}, {SPEED_HALF, SPEED_THIRD, kThird},
                                {-1, -1, 0.0f}},
                               SPEED_HALF, 0.5f, PLAY_STATE_SLOW};
  stepSpeed(slow);
}

void PlaybackController::onFast() {
  static const SpeedCycle fast{{{SPEED_DOUBLE, SPEED_FOUR, 4.0f}, {SPEED_FOUR, SPEED_EIGHT, 8.0f},
                                {SPEED_EIGHT, SPEED_SIXTEEN, 16.0f}},
                               SPEED_DOUBLE, 2.0f, PLAY_STATE_FAST};
  stepSpeed(fast);
}

void PlaybackController::onPreviousFrame() {
  if (m_player.getMode() != kPlayModeFile || !m_player.hasFileEngine()) return;
  if (m_player.playPreviousFrame() == 0 && m_playState != PLAY_STATE_PREVIOUS_FRAME) {
    m_playState = PLAY_STATE_PREVIOUS_FRAME;
    updateStateDisplay();
  }
}

void PlaybackController::onNextFrame() {
  if (m_player.getMode() != kPlayModeFile || !m_player.hasFileEngine()) return;
  if (m_player.playNextFrame() == 0 && m_playState != PLAY_STATE_NEXT_FRAME) {
    m_playState = PLAY_STATE_NEXT_FRAME;
    updateStateDisplay();
  }
}

void PlaybackController::onPreviousFile() {
  if (!m_view.hasListPanel()) return;
  const int id = m_view.previousListId(m_currentItemId);
  if (id > 0) openItemGoing(id, true);
}

void PlaybackController::onNextFile() {
  if (!m_view.hasListPanel()) return;
  const int id = m_view.nextListId(m_currentItemId);
  if (id > 0) openItem(id);
}

void PlaybackController::onSound() {
  if (!m_player.isOnSound()) {
    if (m_player.playSound() == 0) m_view.setSoundButtonOff(false);
  } else if (m_player.stopSound() == 0) {
    m_view.setSoundButtonOff(true);
  }
}

void PlaybackController::onSeekReleased() {
  if (isItemOpen()) m_player.setPlayPosByTime(m_view.seekPos());
  m_seeking = false;
}

const char* PlaybackController::stateTextKey() const {
  switch (m_playState) {
    case PLAY_STATE_READY: return "readyplay";
    case PLAY_STATE_PLAYING: return "playing";
    case PLAY_STATE_PAUSED: return "pause";
    case PLAY_STATE_PREVIOUS_FRAME: return "previousframe";
    case PLAY_STATE_NEXT_FRAME: return "nextframe";
    case PLAY_STATE_FAST: return keyOfStep(kFastKeys, m_speedStep, "playfast");
    case PLAY_STATE_SLOW: return keyOfStep(kSlowKeys, m_speedStep, "playslow");
    case PLAY_STATE_ERROR: return "playerror";
    default: return nullptr;
  }
}

void PlaybackController::updateStateDisplay() {
  if (m_view.isFullScreen()) return;
  const char* key = stateTextKey();
  if (key == nullptr) return;
  ControlStates states;
  if (isItemOpen()) {
    const bool playing = m_playState == PLAY_STATE_PLAYING;
    states.playShown = !playing;
    states.playEnabled = true;
    states.pauseShown = playing;
    states.transportEnabled = true;
    states.snapshotEnabled = true;
    states.seekEnabled = m_feedMode != FEED_STREAM;
  } else {
    states.playShown = true;
    states.playEnabledKnown = m_view.hasListPanel();
    states.playEnabled = states.playEnabledKnown && m_view.selectedListId() > 0;
  }
  m_view.showControls(states);
  if (!m_view.hasVideoWindow()) return;
  m_view.setStateTextKey(key);
  if (!isItemOpen()) {
    m_view.setTimeText(std::string());
    m_view.setFrameText(std::string());
  }
}

}  // namespace app
