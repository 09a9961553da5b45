#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/WindowSystem.h"

namespace platform {

// The display layer, in the shape of the drawing interface the renderer was written against: a device
// per monitor, a primary surface that covers the monitor and is clipped to a window, off-screen RGB and
// YV12 surfaces, lock and unlock, a scaling and colour-converting blit, lost surfaces and their
// restore; and a second, simpler target (a window render target drawing bitmaps) for the fallback path.
// Backends: the memory display (tests, headless) and the Qt display.

using HRESULT = std::int32_t;
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = static_cast<HRESULT>(0x88760091u);
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
constexpr HRESULT DDERR_WASSTILLDRAWING = static_cast<HRESULT>(0x8876021Cu);
constexpr HRESULT DDERR_CANTCREATEDC = static_cast<HRESULT>(0x88760259u);

// Pixel layouts of surfaces. The 24-bit layout is B, G, R in memory (byte 0 blue), like every other
// RGB layout here; 16 bits is 5-6-5 little-endian; 8 bits is palettised; YV12 is planar 4:2:0 with the
// V plane before the U plane, each chroma plane at half the pitch.
enum class SurfaceFormat { Bgra32, Bgr24, Rgb565, Palette8, Yv12 };

int bitsPerPixelOf(SurfaceFormat format);

// What a lock or a device context gives: valid until the matching unlock or release.
struct SurfaceDesc {
  std::uint8_t* bits = nullptr;
  int pitch = 0;  // bytes from one row to the next (of the Y plane for YV12)
  int width = 0;
  int height = 0;
  SurfaceFormat format = SurfaceFormat::Bgra32;
};

class Clipper {
 public:
  virtual ~Clipper() = default;
  // Binds the clipper to a window: blits to a surface carrying it land in that window's client area.
  virtual HRESULT setWindow(WindowId window) = 0;
};

enum class LockMode { ReadWrite, WriteOnly };

class Surface {
 public:
  virtual ~Surface() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual SurfaceFormat format() const = 0;
  // Write access to the pixels. DDERR_SURFACELOST until the device restores its surfaces,
  // DDERR_WASSTILLDRAWING while a blit is busy (try again). WriteOnly (DDLOCK_WRITEONLY): the caller
  // writes every pixel it needs and reads none, so the pixels it finds are undefined.
  virtual HRESULT lock(SurfaceDesc& desc, LockMode mode = LockMode::ReadWrite) = 0;
  virtual HRESULT unlock() = 0;
  // Copies srcRect of src (null: all of it) into dstRect of this surface (null: all of it), scaled and
  // converted to this surface's format. On the primary surface, dstRect is in the surface's (the
  // monitor's) coordinates and the result is clipped to the clipper's window.
  virtual HRESULT blt(const Rect* dstRect, Surface& src, const Rect* srcRect) = 0;
  // Fills dstRect with one colour (B, G, R, A bytes of a 32-bit value), as a colour-fill blit; on the
  // primary surface in the monitor's coordinates, clipped to the clipper's window.
  virtual HRESULT colorFill(const Rect& dstRect, std::uint32_t bgra) = 0;
  // The drawn picture for the draw callback (RGB surfaces only); release it before the next lock or blit.
  virtual HRESULT getDC(SurfaceDesc& desc) = 0;
  virtual HRESULT releaseDC() = 0;
  virtual HRESULT setClipper(Clipper* clipper) = 0;
};

enum class VerticalBlankWait { BlockBegin, BlockEnd };

// One monitor's device.
class DisplayDevice {
 public:
  virtual ~DisplayDevice() = default;
  virtual HRESULT setCooperativeLevel(WindowId window) = 0;
  // The primary surface: the monitor's whole area, in the monitor's pixel format.
  virtual HRESULT createPrimarySurface(std::unique_ptr<Surface>& surface) = 0;
  // An off-screen surface in the monitor's RGB format, or a YV12 one (DDERR_INVALIDPIXELFORMAT when the
  // display refuses it).
  virtual HRESULT createOffscreenSurface(int width, int height, bool yv12, std::unique_ptr<Surface>& surface) = 0;
  virtual HRESULT createClipper(std::unique_ptr<Clipper>& clipper) = 0;
  virtual HRESULT restoreAllSurfaces() = 0;
  // Neither backend can wait for the vertical blank: both answer DDERR_UNSUPPORTED.
  virtual HRESULT waitForVerticalBlank(VerticalBlankWait wait) = 0;
  virtual HRESULT getScanLine(std::uint32_t& line) = 0;
  virtual HRESULT restoreDisplayMode() = 0;
};

// The fallback path: a bitmap of the picture's size in 32-bit B, G, R, A.
class D2DBitmap {
 public:
  virtual ~D2DBitmap() = default;
  virtual HRESULT copyFromMemory(const std::uint8_t* pixels, int pitch) = 0;
  // The bitmap's pixels, for the draw callback.
  virtual HRESULT lockPixels(SurfaceDesc& desc) = 0;
  virtual void unlockPixels() = 0;
};

// A render target drawing into a window's client area.
class D2DRenderTarget {
 public:
  virtual ~D2DRenderTarget() = default;
  virtual HRESULT resize(int width, int height) = 0;
  virtual HRESULT createBitmap(int width, int height, std::unique_ptr<D2DBitmap>& bitmap) = 0;
  virtual void beginDraw() = 0;
  // Fills the whole target with one colour (B, G, R, A bytes of a 32-bit value); what is drawn after it
  // in the same draw lies on top.
  virtual void clear(std::uint32_t bgra) = 0;
  // Draws srcRect of the bitmap into dstRect (client coordinates), linear interpolation, opaque.
  virtual void drawBitmap(D2DBitmap& bitmap, const Rect& dstRect, const Rect& srcRect) = 0;
  virtual HRESULT endDraw() = 0;
};

class D2DFactory {
 public:
  virtual ~D2DFactory() = default;
  virtual HRESULT createWindowRenderTarget(WindowId window, int width, int height,
                                           std::unique_ptr<D2DRenderTarget>& target) = 0;
};

// A monitor in virtual-screen coordinates; handle is never 0.
struct MonitorInfo {
  std::intptr_t handle = 0;
  Rect rect;
  std::string deviceName;
};

// A display driver as enumerated: the name matches a monitor's device name; the primary display's
// driver is listed without an id (hasId false).
struct DisplayDriver {
  std::string name;
  bool hasId = false;
  std::uint32_t id = 0;
};

struct DisplaySettings {
  int widthPixels = 0;
  int heightPixels = 0;
  int bitsPerPixel = 0;
};

class Display {
 public:
  virtual ~Display() = default;
  virtual std::vector<MonitorInfo> monitors() const = 0;
  // Grows whenever the monitors change: a window's monitor found before stays valid while this and the
  // window's geometry stay the same.
  virtual std::uint64_t monitorChanges() const = 0;
  // The primary monitor's size (what a single display reports as the screen).
  virtual int screenWidth() const = 0;
  virtual int screenHeight() const = 0;
  virtual std::vector<DisplayDriver> drivers() const = 0;
  // A device for a driver of drivers(), or for the primary display (null).
  virtual HRESULT createDevice(const DisplayDriver* driver, std::unique_ptr<DisplayDevice>& device) = 0;
  virtual bool displaySettings(const std::string& deviceName, DisplaySettings& settings) const = 0;
  virtual HRESULT createD2DFactory(std::unique_ptr<D2DFactory>& factory) = 0;
};

}  // namespace platform
