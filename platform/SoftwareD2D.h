#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Display.h"
#include "platform/SoftwareBackend.h"
#include "platform/SoftwareBlitter.h"

namespace platform {

// The fallback path in software: bitmaps in memory, drawn with bilinear scaling into the window's
// pixels through the backend.
class SoftwareD2DBitmap : public D2DBitmap {
 public:
  SoftwareD2DBitmap(int width, int height);
  HRESULT copyFromMemory(const std::uint8_t* pixels, int pitch) override;
  HRESULT lockPixels(SurfaceDesc& desc) override;
  void unlockPixels() override {}
  PixelPlanes planes() const;

 private:
  int m_nWidth;
  int m_nHeight;
  std::vector<std::uint8_t> m_vecPixels;
};

class SoftwareD2DRenderTarget : public D2DRenderTarget {
 public:
  SoftwareD2DRenderTarget(SoftwareBackend& backend, WindowId window, int width, int height);
  HRESULT resize(int width, int height) override;
  HRESULT createBitmap(int width, int height, std::unique_ptr<D2DBitmap>& bitmap) override;
  void beginDraw() override {
    m_bFailed = false;
    m_bClearPending = false;
  }
  // Kept until the draw's bitmap lands, then done with it under the same lock of the window's pixels:
  // a repaint between the two would show the background where the picture belongs.
  void clear(std::uint32_t bgra) override {
    m_bClearPending = true;
    m_nClearColour = bgra;
  }
  void drawBitmap(D2DBitmap& bitmap, const Rect& dstRect, const Rect& srcRect) override;
  HRESULT endDraw() override;

 private:
  SoftwareBackend& m_rBackend;
  WindowId m_hWnd;
  int m_nWidth;
  int m_nHeight;
  bool m_bFailed = false;
  bool m_bClearPending = false;
  std::uint32_t m_nClearColour = 0;
  SoftwareBlitter m_objBlitter;
  // The client area the target covers: up to its own size.
  Rect area(int windowWidth, int windowHeight) const;
  bool clearNow();
};

class SoftwareD2DFactory : public D2DFactory {
 public:
  explicit SoftwareD2DFactory(SoftwareBackend& backend) : m_rBackend(backend) {}
  HRESULT createWindowRenderTarget(WindowId window, int width, int height,
                                   std::unique_ptr<D2DRenderTarget>& target) override;

 private:
  SoftwareBackend& m_rBackend;
};

}  // namespace platform
