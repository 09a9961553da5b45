#include "platform/SoftwareSurface.h"

#include <cstring>

namespace platform {

namespace {

int pitchOf(int width, SurfaceFormat format) {
  if (format == SurfaceFormat::Yv12) return (width + 1) & ~1;  // even, so that chroma rows are half of it
  return (width * bytesPerPixelOf(format) + 3) & ~3;
}

size_t storageOf(int pitch, int height, SurfaceFormat format) {
  const size_t luma = static_cast<size_t>(pitch) * height;
  if (format != SurfaceFormat::Yv12) return luma;
  return luma + 2 * static_cast<size_t>(pitch / 2) * ((height + 1) / 2);
}

// The planes of YV12 memory (Y, V, U in memory) in libswscale's order Y, U, V.
PixelPlanes yv12Planes(const std::uint8_t* base, int pitch, int width, int height) {
  PixelPlanes p;
  p.format = SurfaceFormat::Yv12;
  p.width = width;
  p.height = height;
  const size_t luma = static_cast<size_t>(pitch) * height;
  const size_t chroma = static_cast<size_t>(pitch / 2) * ((height + 1) / 2);
  p.data[0] = base;
  p.data[2] = base + luma;           // V
  p.data[1] = base + luma + chroma;  // U
  p.pitch[0] = pitch;
  p.pitch[1] = p.pitch[2] = pitch / 2;
  return p;
}

bool isWhole(const Rect* rect, int width, int height) {
  return rect == nullptr || (rect->left == 0 && rect->top == 0 && rect->right == width && rect->bottom == height);
}

}  // namespace

SoftwareSurface::SoftwareSurface(std::shared_ptr<SoftwareDeviceState> device, Kind kind, int width, int height,
                                 SurfaceFormat format)
    : m_pDevice(std::move(device)), m_eKind(kind), m_nWidth(width), m_nHeight(height), m_eFormat(format) {
  if (m_eKind == Kind::Offscreen) {
    m_nPitch = pitchOf(width, format);
    m_pPixels = std::make_shared<Pixels>(storageOf(m_nPitch, height, format) + kSwsPadding, 0);
  }
}

HRESULT SoftwareSurface::busyOrLost() {
  DisplayFailures& failures = m_pDevice->backend.failures();
  if (failures.surfaceLost.consume()) m_pDevice->lost.store(true);
  if (m_pDevice->lost.load()) return DDERR_SURFACELOST;
  if (failures.stillDrawing.consume()) return DDERR_WASSTILLDRAWING;
  return DD_OK;
}

void SoftwareSurface::describe(SurfaceDesc& desc) const {
  desc.bits = m_pPixels->data();
  desc.pitch = m_nPitch;
  desc.width = m_nWidth;
  desc.height = m_nHeight;
  desc.format = m_eFormat;
}

HRESULT SoftwareSurface::lock(SurfaceDesc& desc, LockMode mode) {
  if (m_eKind == Kind::Primary) return DDERR_UNSUPPORTED;
  const HRESULT state = busyOrLost();
  if (state != DD_OK) return state;
  if (mode == LockMode::WriteOnly) {
    m_pPendingYuv.reset();  // every pixel is written anew
  } else if (!materialize()) {
    return DDERR_GENERIC;
  }
  detach(mode);
  describe(desc);
  return DD_OK;
}

void SoftwareSurface::detach(LockMode mode) {
  if (m_pPixels.use_count() == 1) return;
  if (mode == LockMode::ReadWrite) {
    m_pPixels = std::make_shared<Pixels>(*m_pPixels);
    return;
  }
  // A decoded picture a frame enters this way every time: the two memories take turns.
  std::shared_ptr<Pixels> previous = std::move(m_pPixels);
  if (m_pSpare && m_pSpare.use_count() == 1) {
    m_pPixels = std::move(m_pSpare);
  } else {
    m_pPixels = std::make_shared<Pixels>(previous->size(), 0);
  }
  m_pSpare = std::move(previous);
}

HRESULT SoftwareSurface::getDC(SurfaceDesc& desc) {
  if (m_eKind == Kind::Primary || m_eFormat == SurfaceFormat::Yv12) return DDERR_CANTCREATEDC;
  if (m_pDevice->backend.failures().deviceContext.consume()) return DDERR_CANTCREATEDC;
  if (!materialize()) return DDERR_CANTCREATEDC;
  detach(LockMode::ReadWrite);  // the callback draws on the pixels
  describe(desc);
  return DD_OK;
}

HRESULT SoftwareSurface::setClipper(Clipper* clipper) {
  m_pClipper = dynamic_cast<SoftwareClipper*>(clipper);
  return clipper == nullptr || m_pClipper != nullptr ? DD_OK : DDERR_GENERIC;
}

PixelPlanes SoftwareSurface::ownPlanes() const {
  if (m_eFormat == SurfaceFormat::Yv12) return yv12Planes(m_pPixels->data(), m_nPitch, m_nWidth, m_nHeight);
  PixelPlanes p;
  p.format = m_eFormat;
  p.width = m_nWidth;
  p.height = m_nHeight;
  p.data[0] = m_pPixels->data();
  p.pitch[0] = m_nPitch;
  return p;
}

PixelPlanes SoftwareSurface::planes() const {
  if (m_pPendingYuv) return yv12Planes(m_pPendingYuv->data(), m_nPendingPitch, m_nWidth, m_nHeight);
  return ownPlanes();
}

bool SoftwareSurface::materialize() {
  if (!m_pPendingYuv) return true;
  const std::shared_ptr<const Pixels> pending = std::move(m_pPendingYuv);
  const PixelPlanes source = yv12Planes(pending->data(), m_nPendingPitch, m_nWidth, m_nHeight);
  const Rect whole{0, 0, m_nWidth, m_nHeight};
  detach(LockMode::WriteOnly);  // the conversion writes every pixel
  return m_objBlitter.blit(source, whole, m_pPixels->data(), m_nPitch, m_eFormat, whole, whole);
}

HRESULT SoftwareSurface::blt(const Rect* dstRect, Surface& src, const Rect* srcRect) {
  const HRESULT state = busyOrLost();
  if (state != DD_OK) return state;
  auto* source = dynamic_cast<SoftwareSurface*>(&src);
  if (source == nullptr || source->m_eKind == Kind::Primary || source == this) return DDERR_GENERIC;
  DisplayFailures& failures = m_pDevice->backend.failures();
  if (source->m_eFormat == SurfaceFormat::Yv12 && failures.yuvBlit.consume()) return DDERR_GENERIC;
  const Rect from = srcRect != nullptr ? *srcRect : Rect{0, 0, source->m_nWidth, source->m_nHeight};
  const Rect to = dstRect != nullptr ? *dstRect : Rect{0, 0, m_nWidth, m_nHeight};
  if (m_eKind == Kind::Primary) {
    if (failures.primaryBlit.consume()) return DDERR_GENERIC;
    return bltToWindow(to, source->planes(), from);
  }
  // Onto 8 bits a channel only: a 16-bit surface must show its own rounding.
  const bool fullDepth = m_eFormat == SurfaceFormat::Bgra32 || m_eFormat == SurfaceFormat::Bgr24;
  if (source->m_eFormat == SurfaceFormat::Yv12 && fullDepth &&
      source->m_nWidth == m_nWidth && source->m_nHeight == m_nHeight && isWhole(srcRect, m_nWidth, m_nHeight) &&
      isWhole(dstRect, m_nWidth, m_nHeight)) {
    // Kept as planes (the source's memory, shared); converted when the pixels are needed.
    m_pPendingYuv = source->m_pPixels;
    m_nPendingPitch = source->m_nPitch;
    return DD_OK;
  }
  if (!materialize()) return DDERR_GENERIC;
  detach(LockMode::ReadWrite);
  const Rect whole{0, 0, m_nWidth, m_nHeight};
  return m_objBlitter.blit(source->planes(), from, m_pPixels->data(), m_nPitch, m_eFormat, to, whole)
             ? DD_OK
             : DDERR_GENERIC;
}

bool SoftwareSurface::windowTarget(const Rect& dstRect, WindowId& window, Rect& client) const {
  Point origin;
  if (m_pClipper == nullptr || !m_pClipper->windowOrigin(window, origin)) return false;
  // Monitor coordinates to the window's client coordinates.
  client = dstRect.offset(m_pDevice->monitor.left - origin.x, m_pDevice->monitor.top - origin.y);
  return true;
}

HRESULT SoftwareSurface::colorFill(const Rect& dstRect, std::uint32_t bgra) {
  // Lost surfaces fail it; the failures injected for locks and blits are the picture's, not taken here.
  if (m_pDevice->lost.load()) return DDERR_SURFACELOST;
  if (m_eKind != Kind::Primary) return DDERR_UNSUPPORTED;
  WindowId window = 0;
  Rect client;
  if (!windowTarget(dstRect, window, client)) return DDERR_GENERIC;
  const bool known = m_pDevice->backend.withWindowPixels(window, [&](std::uint8_t* bits, int pitch, int width, int height) {
    SoftwareBlitter::fill(bits, pitch, client, Rect{0, 0, width, height}, bgra);
  });
  return known ? DD_OK : DDERR_GENERIC;
}

HRESULT SoftwareSurface::bltToWindow(const Rect& dstRect, const PixelPlanes& source, const Rect& srcRect) {
  WindowId window = 0;
  Rect client;
  if (!windowTarget(dstRect, window, client)) return DDERR_GENERIC;
  bool drawn = false;
  Rect written;
  const bool known = m_pDevice->backend.withWindowPixels(
      window, [&](std::uint8_t* bits, int pitch, int width, int height) {
        const Rect area{0, 0, width, height};
        written = client.intersect(area);
        drawn = m_objBlitter.blit(source, srcRect, bits, pitch, SurfaceFormat::Bgra32, client, area);
      });
  if (!known || !drawn) return DDERR_GENERIC;
  if (!written.isEmpty()) m_pDevice->backend.pictureReached(window, written);
  return DD_OK;
}

}  // namespace platform
