#include "player/render/RenderHolder.h"

int RenderHolder::open(HWND window, int width, int height, bool yuv) {
  const int result = m_objRender.open(window, width, height, yuv);
  if (result == 0) m_bOpened = true;
  return result;
}

int RenderHolder::close() {
  m_bOpened = false;
  m_objRender.release();
  return 0;
}
