#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Display.h"
#include "platform/SoftwareBackend.h"
#include "platform/SoftwareBlitter.h"
#include "platform/SoftwareClipper.h"

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

// A surface in memory. The primary surface has no pixels of its own: a blit to it lands in the
// clipper's window through the backend. A full-size blit from a YV12 surface onto a 32-bit or 24-bit
// RGB surface keeps the planes and converts only when the pixels are needed: blitted on, they are
// scaled and converted in one pass. The planes are kept by sharing the YV12 surface's memory, not by a copy:
// a later write to the YV12 surface first gives it other memory (its spare, when nobody else holds
// that), so the RGB surface still shows the picture it was given.
class SoftwareSurface : public Surface {
 public:
  enum class Kind { Primary, Offscreen };
  SoftwareSurface(std::shared_ptr<SoftwareDeviceState> device, Kind kind, int width, int height, SurfaceFormat format);

  int width() const override { return m_nWidth; }
  int height() const override { return m_nHeight; }
  SurfaceFormat format() const override { return m_eFormat; }
  HRESULT lock(SurfaceDesc& desc, LockMode mode = LockMode::ReadWrite) override;
  HRESULT unlock() override { return DD_OK; }
  HRESULT blt(const Rect* dstRect, Surface& src, const Rect* srcRect) override;
  // The primary surface only: what the renderer fills is the part of its window around the picture.
  HRESULT colorFill(const Rect& dstRect, std::uint32_t bgra) override;
  HRESULT getDC(SurfaceDesc& desc) override;
  HRESULT releaseDC() override { return DD_OK; }
  HRESULT setClipper(Clipper* clipper) override;

 private:
  // The failures every lock and blit may meet: lost surfaces, a busy blitter.
  HRESULT busyOrLost();
  PixelPlanes planes() const;
  PixelPlanes ownPlanes() const;
  bool materialize();
  // Before a write: memory that no pending conversion of another surface reads. WriteOnly takes the
  // spare (or new memory) without copying the pixels.
  void detach(LockMode mode);
  HRESULT bltToWindow(const Rect& dstRect, const PixelPlanes& source, const Rect& srcRect);
  // The clipper's window and dstRect (monitor coordinates) in its client coordinates.
  bool windowTarget(const Rect& dstRect, WindowId& window, Rect& client) const;
  void describe(SurfaceDesc& desc) const;

  std::shared_ptr<SoftwareDeviceState> m_pDevice;
  Kind m_eKind;
  int m_nWidth;
  int m_nHeight;
  SurfaceFormat m_eFormat;
  int m_nPitch = 0;
  using Pixels = std::vector<std::uint8_t>;
  std::shared_ptr<Pixels> m_pPixels;
  std::shared_ptr<Pixels> m_pSpare;  // the memory given up by the last detach
  SoftwareClipper* m_pClipper = nullptr;
  SoftwareBlitter m_objBlitter;
  // YV12 planes waiting to be converted into this surface (the memory of a YV12 surface of this size).
  std::shared_ptr<const Pixels> m_pPendingYuv;
  int m_nPendingPitch = 0;
};

}  // namespace platform
