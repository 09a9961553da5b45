#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Display.h"
#include "platform/SoftwareBackend.h"
#include "platform/SoftwareBlitter.h"

namespace platform {

// What the surfaces of one software device share: the backend, the monitor and whether the surfaces
// are lost.
struct SoftwareDeviceState {
  SoftwareBackend& backend;
  Rect monitor;  // virtual-screen coordinates
  SurfaceFormat rgbFormat = SurfaceFormat::Bgra32;
  std::atomic<bool> lost{false};
  SoftwareDeviceState(SoftwareBackend& b, const Rect& m, SurfaceFormat f) : backend(b), monitor(m), rgbFormat(f) {}
};

class SoftwareClipper : public Clipper {
 public:
  HRESULT setWindow(WindowId window) override {
    m_hWnd.store(window);
    return DD_OK;
  }
  WindowId window() const { return m_hWnd.load(); }

 private:
  std::atomic<WindowId> m_hWnd{0};
};

// A surface in memory. The primary surface has no pixels of its own: a blit to it lands in the
// clipper's window through the backend. A full-size blit from a YV12 surface onto a 32-bit RGB
// surface keeps the planes and converts only when the pixels are needed: blitted on, they are scaled
// and converted in one pass.
class SoftwareSurface : public Surface {
 public:
  enum class Kind { Primary, Offscreen };
  SoftwareSurface(std::shared_ptr<SoftwareDeviceState> device, Kind kind, int width, int height, SurfaceFormat format);

  int width() const override { return m_nWidth; }
  int height() const override { return m_nHeight; }
  SurfaceFormat format() const override { return m_eFormat; }
  HRESULT lock(SurfaceDesc& desc) override;
  HRESULT unlock() override { return DD_OK; }
  HRESULT blt(const Rect* dstRect, Surface& src, const Rect* srcRect) override;
  HRESULT getDC(SurfaceDesc& desc) override;
  HRESULT releaseDC() override { return DD_OK; }
  HRESULT setClipper(Clipper* clipper) override;

 private:
  // The failures every lock and blit may meet: lost surfaces, a busy blitter.
  HRESULT busyOrLost();
  PixelPlanes planes() const;
  PixelPlanes ownPlanes() const;
  bool materialize();
  HRESULT bltToWindow(const Rect& dstRect, const PixelPlanes& source, const Rect& srcRect);
  void describe(SurfaceDesc& desc) const;

  std::shared_ptr<SoftwareDeviceState> m_pDevice;
  Kind m_eKind;
  int m_nWidth;
  int m_nHeight;
  SurfaceFormat m_eFormat;
  int m_nPitch = 0;
  std::vector<std::uint8_t> m_vecPixels;
  SoftwareClipper* m_pClipper = nullptr;
  SoftwareBlitter m_objBlitter;
  // YV12 planes waiting to be converted into this surface (packed as a YV12 surface of this size).
  bool m_bPendingYuv = false;
  int m_nPendingPitch = 0;
  std::vector<std::uint8_t> m_vecPendingYuv;
};

}  // namespace platform
