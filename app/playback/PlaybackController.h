#pragma once
#include <cstdint>
#include <functional>

#include "app/controls/AppIds.h"
#include "app/playback/IPlaybackView.h"
#include "app/playback/ReadLiveVideoThread.h"

namespace app {

class IPlaybackPlayer;

// Play states of the main window.
enum PlayState : int {
  PLAY_STATE_READY = 0,
  PLAY_STATE_PLAYING = 1,
  PLAY_STATE_PAUSED = 2,
  PLAY_STATE_PREVIOUS_FRAME = 3,
  PLAY_STATE_NEXT_FRAME = 4,
  PLAY_STATE_FAST = 5,
  PLAY_STATE_SLOW = 6,
  // The last item could not be played; nothing is open.
  PLAY_STATE_ERROR = 7,
};

// Speed steps: 0 normal, 1 quarter, 2 third, 3 half, 4 double, 5 four times, 6 eight, 7 sixteen times.
enum SpeedStep : int { SPEED_NORMAL = 0, SPEED_QUARTER = 1, SPEED_THIRD = 2, SPEED_HALF = 3,
                       SPEED_DOUBLE = 4, SPEED_FOUR = 5, SPEED_EIGHT = 6, SPEED_SIXTEEN = 7 };

enum FeedMode : int { FEED_FILE = 1, FEED_STREAM = 2 };

// The main window's play-state machine over its player: opens play-list items (as recording files, or
// as transport streams fed by the stream feeding thread when the file player refuses them), plays,
// pauses, steps speed and frames, seeks, switches sound, shows the position once a second and moves
// along the play list at the end of an item. Runs on the user-interface thread.
//
// Every open is tagged: the end-of-item message carries the tag in wParam (ReadLiveVideoThread's
// FeedResult in lParam), so a message of an item that is no longer open is ignored.
class PlaybackController {
 public:
  // Posts the end-of-item message (tag, FeedResult) to the window's own queue; safe from any thread.
  using EndPoster = std::function<void(long tag, long result)>;

  PlaybackController(IPlaybackPlayer& player, IPlaybackView& view, EndPoster post);
  ~PlaybackController();
  PlaybackController(const PlaybackController&) = delete;
  PlaybackController& operator=(const PlaybackController&) = delete;

  // The window the file player posts its end-of-file message to.
  void setNotifyWindow(long window) { m_notifyWindow = window; }

  int openItem(int id);
  int closeItem();
  void onTimer(std::uint32_t id);
  LRESULT onFileEnd(WPARAM tag, LPARAM result);
  void onPlay();
  void onPause();
  void onPlayPause();
  void onStop();
  void onSlow();
  void onFast();
  void onPreviousFrame();
  void onNextFrame();
  void onPreviousFile();
  void onNextFile();
  void onSound();
  void onSeekSliderClick() { m_seeking = true; }
  void onSeekReleased();
  void updateStateDisplay();

  int playState() const { return m_playState; }
  int speedStep() const { return m_speedStep; }
  int feedMode() const { return m_feedMode; }
  int currentItemId() const { return m_currentItemId; }
  int duration() const { return m_duration; }
  bool isSeeking() const { return m_seeking; }
  int playMode() const { return m_playMode; }
  void setPlayMode(int mode) { m_playMode = mode; }
  long tag() const { return m_tag; }
  // An item is open (playing, paused, stepped or at a changed speed).
  bool isItemOpen() const { return m_playState >= PLAY_STATE_PLAYING && m_playState <= PLAY_STATE_SLOW; }
  // The state text's language key of the present state.
  const char* stateTextKey() const;

  ReadLiveVideoThread& feeder() { return m_feeder; }

 private:
  struct SpeedCycle;
  void resume();
  void stepSpeed(const SpeedCycle& cycle);
  // openItem, remembering which way along the list the user went to reach the item.
  int openItemGoing(int id, bool backward);
  int failItem(int id, int code);
  void moveOnAfterFailure();
  // Stops the feeding thread and closes whatever the player has open.
  void releasePlayer();

  IPlaybackPlayer& m_player;
  IPlaybackView& m_view;
  EndPoster m_post;
  ReadLiveVideoThread m_feeder;
  long m_notifyWindow = 0;
  int m_playState = PLAY_STATE_READY;
  int m_speedStep = SPEED_NORMAL;
  int m_playMode = 0;
  int m_currentItemId = 1;
  int m_duration = 0;
  long m_lastPosition = 0;
  bool m_seeking = false;
  int m_feedMode = FEED_FILE;
  long m_tag = 0;
  // First item of a run of items that could not be played, so that circling stops once every one failed.
  int m_failedRunStart = 0;
  // The open item was reached with "Previous": when it cannot be played, the list is walked further
  // back, so that the user can step past it.
  bool m_reachedBackward = false;
};

}  // namespace app
