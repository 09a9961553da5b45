#include "platform/SoftwareDevice.h"

namespace platform {

SurfaceFormat SoftwareDevice::rgbFormatOf(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8:
      return SurfaceFormat::Palette8;
    case 16:
      return SurfaceFormat::Rgb565;
    case 24:
      return SurfaceFormat::Bgr24;
    default:
      return SurfaceFormat::Bgra32;
  }
}

SoftwareDevice::SoftwareDevice(SoftwareBackend& backend, const Rect& monitor, int bitsPerPixel)
    : m_pState(std::make_shared<SoftwareDeviceState>(backend, monitor, rgbFormatOf(bitsPerPixel))) {}

HRESULT SoftwareDevice::setCooperativeLevel(WindowId window) {
  return window == 0 || windows().isWindow(window) ? DD_OK : DDERR_GENERIC;
}

HRESULT SoftwareDevice::createPrimarySurface(std::unique_ptr<Surface>& surface) {
  if (m_pState->backend.failures().primarySurface.consume()) return DDERR_GENERIC;
  surface = std::make_unique<SoftwareSurface>(m_pState, SoftwareSurface::Kind::Primary, m_pState->monitor.width(),
                                              m_pState->monitor.height(), m_pState->rgbFormat);
  return DD_OK;
}

HRESULT SoftwareDevice::createOffscreenSurface(int width, int height, bool yv12, std::unique_ptr<Surface>& surface) {
  if (width <= 0 || height <= 0) return DDERR_GENERIC;
  if (yv12 && m_pState->backend.failures().yv12Surface.consume()) return DDERR_INVALIDPIXELFORMAT;
  surface = std::make_unique<SoftwareSurface>(m_pState, SoftwareSurface::Kind::Offscreen, width, height,
                                              yv12 ? SurfaceFormat::Yv12 : m_pState->rgbFormat);
  return DD_OK;
}

HRESULT SoftwareDevice::createClipper(std::unique_ptr<Clipper>& clipper) {
  clipper = std::make_unique<SoftwareClipper>();
  return DD_OK;
}

HRESULT SoftwareDevice::restoreAllSurfaces() {
  m_pState->lost.store(false);
  return DD_OK;
}

HRESULT SoftwareDevice::waitForVerticalBlank(VerticalBlankWait) { return DDERR_UNSUPPORTED; }

HRESULT SoftwareDevice::getScanLine(std::uint32_t& line) {
  line = 0;
  return DDERR_UNSUPPORTED;
}

}  // namespace platform
