#include "player/KeptVideoCallbacks.h"

void KeptVideoCallbacks::keepDecodeCallBack(long port, DecodeCallBack fn, void* user) {
  m_decodePort = port;
  m_decodeCallback = fn;
  m_decodeUser = user;
}

void KeptVideoCallbacks::keepDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
  m_drawPort = port;
  m_drawCallback = fn;
  m_drawUser = user;
  m_drawWindowSizeSurface = windowSizeSurface;
}
