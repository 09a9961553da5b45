#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Display.h"
#include "platform/InjectedFailures.h"

namespace platform {

// Failures a test can arm on a software display; each count makes that many of the next attempts fail.
struct DisplayFailures {
  InjectedFailures primarySurface;  // createPrimarySurface: DDERR_GENERIC
  InjectedFailures yv12Surface;     // createOffscreenSurface for YV12: DDERR_INVALIDPIXELFORMAT
  InjectedFailures yuvBlit;         // blits from a YV12 surface: DDERR_GENERIC
  InjectedFailures surfaceLost;     // lock and blit: DDERR_SURFACELOST, and the device's surfaces stay
                                    // lost until restoreAllSurfaces
  InjectedFailures stillDrawing;    // lock and blit: DDERR_WASSTILLDRAWING
  InjectedFailures primaryBlit;     // blits to the primary surface: DDERR_GENERIC
  InjectedFailures deviceContext;   // getDC: DDERR_CANTCREATEDC
  InjectedFailures renderTarget;    // the fallback path's endDraw: DDERR_GENERIC
  void clear();
};

// What the software surfaces, devices and render targets need of the display they belong to: the
// monitor of a device, the window's pixels and a note of every picture that reached a window.
class SoftwareBackend {
 public:
  virtual ~SoftwareBackend() = default;
  virtual DisplayFailures& failures() = 0;
  // Rectangle (virtual screen) and bit depth of a monitor by device name (empty or "display": the primary
  // monitor).
  virtual bool monitorOf(const std::string& deviceName, Rect& rect, int& bitsPerPixel) const = 0;
  // Runs fn on the window's client-area pixels (32-bit B, G, R, A, rows top-down) with the window's
  // pixels locked; false for an unknown window.
  virtual bool withWindowPixels(WindowId window,
                                const std::function<void(std::uint8_t* bits, int pitch, int width, int height)>& fn) = 0;
  // A picture reached the window's client area at rect (client coordinates).
  virtual void windowDrawn(WindowId window, const Rect& rect) = 0;
  // What the surfaces call when a picture reached a window: the backend's windowDrawn, then the draw
  // observer if one is set.
  virtual void pictureReached(WindowId window, const Rect& rect) = 0;
};

}  // namespace platform
