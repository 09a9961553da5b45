#pragma once
#include <memory>

#include "platform/Display.h"
#include "platform/SoftwareSurface.h"

namespace platform {

// A software display device for one monitor.
class SoftwareDevice : public DisplayDevice {
 public:
  SoftwareDevice(SoftwareBackend& backend, const Rect& monitor, int bitsPerPixel);

  HRESULT setCooperativeLevel(WindowId window) override;
  HRESULT createPrimarySurface(std::unique_ptr<Surface>& surface) override;
  HRESULT createOffscreenSurface(int width, int height, bool yv12, std::unique_ptr<Surface>& surface) override;
  HRESULT createClipper(std::unique_ptr<Clipper>& clipper) override;
  HRESULT restoreAllSurfaces() override;
  HRESULT waitForVerticalBlank(VerticalBlankWait wait) override;
  HRESULT getScanLine(std::uint32_t& line) override;
  HRESULT restoreDisplayMode() override { return DD_OK; }

  static SurfaceFormat rgbFormatOf(int bitsPerPixel);

 private:
  std::shared_ptr<SoftwareDeviceState> m_pState;
};

}  // namespace platform
