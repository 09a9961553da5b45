#pragma once
#include "player/video/IScheduledPlayer.h"

class PlayerDebugLog;

// What a player's own decode thread (PlayerDecodeThread) needs of it: the queries a pool thread
// schedules it by, and the two serves with the draw lock taken for the caller, since no pool pass holds
// it there. H264VideoPlayerImpl is the one implementation.
class IDecodeThreadPlayer : public IScheduledPlayer {
 public:
  virtual void decodeAndShowFrame() = 0;
  virtual void redrawPausedPicture() = 0;
  virtual const PlayerDebugLog& debugLog() const = 0;
};
