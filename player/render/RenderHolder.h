#pragma once
#include "player/render/VideoRender.h"

// A video player's renderer and whether it is open. The picture output also sets and clears the
// opened flag itself.
class RenderHolder {
 public:
  explicit RenderHolder(MicroClock clock = getMicroSeconds) : m_objRender(clock) {}
  virtual ~RenderHolder() = default;

  // VideoRender::open's result; the opened flag is set when it is 0.
  int open(HWND window, int width, int height, bool yuv);
  // Clears the opened flag and releases the renderer; 0.
  int close();

  VideoRender& render() { return m_objRender; }
  const VideoRender& render() const { return m_objRender; }
  bool isOpened() const { return m_bOpened; }
  void setOpened(bool opened) { m_bOpened = opened; }

 private:
  VideoRender m_objRender;
  bool m_bOpened = false;
};
