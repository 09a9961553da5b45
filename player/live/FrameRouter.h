#pragma once

class AVData;

// Where the live player's frames go: video to the video player, audio to the audio player.
class FrameRouter {
 public:
  virtual ~FrameRouter() = default;
  // 0 when taken or dropped, -13 when a queue is full (the frame is to be offered again), another
  // negative code when the frame cannot be taken at all.
  virtual int routeFrame(const AVData& frame) = 0;
  // True while the video queue, or the audio queue of an existing audio player, is full.
  virtual bool queuesFull() = 0;
};
