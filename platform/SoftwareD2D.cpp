#include "platform/SoftwareD2D.h"

#include <cstring>

namespace platform {

SoftwareD2DBitmap::SoftwareD2DBitmap(int width, int height)
    : m_nWidth(width), m_nHeight(height), m_vecPixels(static_cast<size_t>(width) * height * 4, 0) {}

HRESULT SoftwareD2DBitmap::copyFromMemory(const std::uint8_t* pixels, int pitch) {
  if (pixels == nullptr || pitch < m_nWidth * 4) return DDERR_GENERIC;
  const size_t row = static_cast<size_t>(m_nWidth) * 4;
  for (int y = 0; y < m_nHeight; ++y) std::memcpy(m_vecPixels.data() + y * row, pixels + static_cast<size_t>(y) * pitch, row);
  return DD_OK;
}

HRESULT SoftwareD2DBitmap::lockPixels(SurfaceDesc& desc) {
  desc.bits = m_vecPixels.data();
  desc.pitch = m_nWidth * 4;
  desc.width = m_nWidth;
  desc.height = m_nHeight;
  desc.format = SurfaceFormat::Bgra32;
  return DD_OK;
}

PixelPlanes SoftwareD2DBitmap::planes() const {
  PixelPlanes p;
  p.format = SurfaceFormat::Bgra32;
  p.width = m_nWidth;
  p.height = m_nHeight;
  p.data[0] = m_vecPixels.data();
  p.pitch[0] = m_nWidth * 4;
  return p;
}

SoftwareD2DRenderTarget::SoftwareD2DRenderTarget(SoftwareBackend& backend, WindowId window, int width, int height)
    : m_rBackend(backend), m_hWnd(window), m_nWidth(width), m_nHeight(height) {}

HRESULT SoftwareD2DRenderTarget::resize(int width, int height) {
  if (width < 0 || height < 0) return DDERR_GENERIC;
  m_nWidth = width;
  m_nHeight = height;
  return DD_OK;
}

HRESULT SoftwareD2DRenderTarget::createBitmap(int width, int height, std::unique_ptr<D2DBitmap>& bitmap) {
  if (width <= 0 || height <= 0) return DDERR_GENERIC;
  bitmap = std::make_unique<SoftwareD2DBitmap>(width, height);
  return DD_OK;
}

Rect SoftwareD2DRenderTarget::area(int windowWidth, int windowHeight) const {
  return Rect{0, 0, windowWidth < m_nWidth ? windowWidth : m_nWidth, windowHeight < m_nHeight ? windowHeight : m_nHeight};
}

bool SoftwareD2DRenderTarget::clearNow() {
  m_bClearPending = false;
  return m_rBackend.withWindowPixels(m_hWnd, [&](std::uint8_t* bits, int pitch, int width, int height) {
    const Rect covered = area(width, height);
    SoftwareBlitter::fill(bits, pitch, covered, covered, m_nClearColour);
  });
}

void SoftwareD2DRenderTarget::drawBitmap(D2DBitmap& bitmap, const Rect& dstRect, const Rect& srcRect) {
  auto* source = dynamic_cast<SoftwareD2DBitmap*>(&bitmap);
  if (source == nullptr) {
    m_bFailed = true;
    return;
  }
  Rect written;
  bool drawn = false;
  const bool known = m_rBackend.withWindowPixels(m_hWnd, [&](std::uint8_t* bits, int pitch, int width, int height) {
    const Rect covered = area(width, height);
    if (m_bClearPending) SoftwareBlitter::fill(bits, pitch, covered, covered, m_nClearColour);
    m_bClearPending = false;
    written = dstRect.intersect(covered);
    drawn = m_objBlitter.blit(source->planes(), srcRect, bits, pitch, SurfaceFormat::Bgra32, dstRect, covered,
                              SoftwareBlitter::Filter::Bilinear);
  });
  if (!known || !drawn) {
    m_bFailed = true;
    return;
  }
  if (!written.isEmpty()) m_rBackend.pictureReached(m_hWnd, written);
}

HRESULT SoftwareD2DRenderTarget::endDraw() {
  // A clear with no bitmap after it.
  if (m_bClearPending && !clearNow()) m_bFailed = true;
  if (m_rBackend.failures().renderTarget.consume()) return DDERR_GENERIC;
  return m_bFailed ? DDERR_GENERIC : DD_OK;
}

HRESULT SoftwareD2DFactory::createWindowRenderTarget(WindowId window, int width, int height,
                                                     std::unique_ptr<D2DRenderTarget>& target) {
  if (!windows().isWindow(window)) return DDERR_GENERIC;
  target = std::make_unique<SoftwareD2DRenderTarget>(m_rBackend, window, width, height);
  return DD_OK;
}

}  // namespace platform
