#pragma once
#include "player/PlayerTypes.h"

class AVPlayer;

// The decode and draw callbacks a player was given, kept beside its video player: a stop of the video
// player forgets both, so the player hands them over again before it plays.
class KeptVideoCallbacks {
 public:
  // Keeps the callback and gives it to the video player at once.
  void setDecodeCallBack(AVPlayer& video, long port, DecodeCallBack fn, void* user);
  void setDrawFuncForRender(AVPlayer& video, long port, DrawCallBack fn, void* user, bool windowSizeSurface);
  // Gives both kept callbacks to the video player again.
  void restore(AVPlayer& video) const;

 private:
  long m_decodePort = 0;
  DecodeCallBack m_decodeCallback = nullptr;
  void* m_decodeUser = nullptr;
  long m_drawPort = 0;
  DrawCallBack m_drawCallback = nullptr;
  void* m_drawUser = nullptr;
  bool m_drawWindowSizeSurface = false;
};
