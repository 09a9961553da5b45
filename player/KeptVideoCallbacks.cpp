#include "player/KeptVideoCallbacks.h"

#include "player/AVPlayer.h"

void KeptVideoCallbacks::setDecodeCallBack(AVPlayer& video, long port, DecodeCallBack fn, void* user) {
  m_decodePort = port;
  m_decodeCallback = fn;
  m_decodeUser = user;
  video.setDecodeCallBack(port, fn, user);
}

void KeptVideoCallbacks::setDrawFuncForRender(AVPlayer& video, long port, DrawCallBack fn, void* user,
                                              bool windowSizeSurface) {
  m_drawPort = port;
  m_drawCallback = fn;
  m_drawUser = user;
  m_drawWindowSizeSurface = windowSizeSurface;
  video.setDrawFuncForRender(port, fn, user, windowSizeSurface);
}

void KeptVideoCallbacks::restore(AVPlayer& video) const {
  video.setDecodeCallBack(m_decodePort, m_decodeCallback, m_decodeUser);
  video.setDrawFuncForRender(m_drawPort, m_drawCallback, m_drawUser, m_drawWindowSizeSurface);
}
