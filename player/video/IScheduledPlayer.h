#pragma once
#include "platform/Event.h"

// What a decoder thread needs of a video player to schedule it: whether it is paused, whether its
// input queue is empty, the event its pushes set, how long until its head frame is due, and the two
// things a pass does to it (show the due frame, redraw the paused picture). H264VideoPlayerImpl is the
// one implementation. A due frame may be shown by any thread of the pool (an idle one helping the
// player's own), never by two at once.
class IScheduledPlayer {
 public:
  virtual ~IScheduledPlayer() = default;

  virtual bool isPaused() const = 0;
  virtual bool isInputQueueEmpty() const = 0;
  // Set after every accepted push; idle players are waited on through it.
  virtual platform::Event* inputEvent() = 0;
  // Milliseconds until the head frame is due: 0 due now, -1 nothing queued.
  virtual int getNextSleepTime() = 0;
  // The player's draw lock, held by the pass around each serve below. Only tried: a step or a close on
  // another thread may hold it, and may be waiting for this pass to let go of the player.
  virtual bool tryLockDraw() = 0;
  virtual void unlockDraw() = 0;
  // Decodes the head frame and shows it; nothing when the player was paused meanwhile. True when a
  // frame was decoded. The draw lock is held.
  virtual bool serveDueFrame() = 0;
  // Draws the current picture again while paused; nothing once playing again. The draw lock is held.
  virtual void redrawPaused() = 0;
};
