#pragma once
#include "player/PlayerTypes.h"

// The decode and draw callbacks a player was given, kept beside the player they go to: a stop of the
// video player forgets both, and a file engine made later has none, so the keeper hands them over
// again. A target is anything that takes both callbacks: the video player, a file player or a live
// player.
class KeptVideoCallbacks {
 public:
  // Keeps the callback only.
  void keepDecodeCallBack(long port, DecodeCallBack fn, void* user);
  void keepDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface);

  // Keeps the callback and gives it to the target at once.
  template <typename Target>
  void setDecodeCallBack(Target& target, long port, DecodeCallBack fn, void* user) {
    keepDecodeCallBack(port, fn, user);
    target.setDecodeCallBack(port, fn, user);
  }
  template <typename Target>
  void setDrawFuncForRender(Target& target, long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
    keepDrawFuncForRender(port, fn, user, windowSizeSurface);
    target.setDrawFuncForRender(port, fn, user, windowSizeSurface);
  }

  // Gives both kept callbacks to the target again.
  template <typename Target>
  void restore(Target& target) const {
    target.setDecodeCallBack(m_decodePort, m_decodeCallback, m_decodeUser);
    target.setDrawFuncForRender(m_drawPort, m_drawCallback, m_drawUser, m_drawWindowSizeSurface);
  }

 private:
  long m_decodePort = 0;
  DecodeCallBack m_decodeCallback = nullptr;
  void* m_decodeUser = nullptr;
  long m_drawPort = 0;
  DrawCallBack m_drawCallback = nullptr;
  void* m_drawUser = nullptr;
  bool m_drawWindowSizeSurface = false;
};
