#include "player/render/VideoRender.h"

#include <strings.h>

#include <cstring>
#include <vector>

#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "player/decode/DecodedPicture.h"
#include "technic/KXMutexLocker.h"

using platform::DD_OK;
using platform::DDERR_INVALIDPIXELFORMAT;
using platform::DDERR_SURFACELOST;
using platform::DDERR_WASSTILLDRAWING;
using platform::Rect;

namespace {

// A lock or blit that keeps answering "still drawing" is given up after this many tries, so that a
// broken display cannot hold a decoder thread for ever.
constexpr int kMaxStillDrawingRetries = 1000;
constexpr size_t kMaxDriverName = 260;

void print(const char* format, platform::HRESULT hr) {
  platform::debugOutputFormat(format, static_cast<unsigned>(hr));
}

// The parts of area outside inner: the bands above and below across the whole width, left and right
// between them. Empty parts are left out.
std::vector<Rect> outsideOf(const Rect& area, const Rect& inner) {
  const Rect kept = inner.intersect(area);
  if (kept.isEmpty()) return {area};
  const Rect parts[] = {{area.left, area.top, area.right, kept.top},
                        {area.left, kept.bottom, area.right, area.bottom},
                        {area.left, kept.top, kept.left, kept.bottom},
                        {kept.right, kept.top, area.right, kept.bottom}};
  std::vector<Rect> out;
  for (const Rect& part : parts) {
    if (!part.isEmpty()) out.push_back(part);
  }
  return out;
}

}  // namespace

VideoRender::VideoRender(MicroClock clock) : m_fnNow(std::move(clock)) {}

VideoRender::~VideoRender() { release(); }

std::intptr_t VideoRender::getMonitorInfo(HWND window, Rect& rect, std::string& deviceName) const {
  rect = {};
  deviceName.clear();
  platform::Display* display = platform::windows().displayOf(window);
  if (display == nullptr) return 0;
  const std::vector<platform::MonitorInfo> monitors = display->monitors();
  if (monitors.size() <= 1) {
    rect = {0, 0, display->screenWidth(), display->screenHeight()};
    deviceName = "DISPLAY";
    return -1;
  }
  Rect client;
  platform::Point origin;
  if (!platform::windows().getClientRect(window, client) || !platform::windows().clientToScreen(window, origin)) {
    return 0;
  }
  client = client.offset(origin.x, origin.y);
  // The monitor that shows the largest part of the window (the first of equals).
  const platform::MonitorInfo* best = nullptr;
  long long bestArea = 0;
  for (const platform::MonitorInfo& monitor : monitors) {
    const long long area = monitor.rect.overlapArea(client);
    if (area > bestArea) {
      bestArea = area;
      best = &monitor;
    }
  }
  if (best == nullptr) return 0;
  rect = best->rect;
  deviceName = best->deviceName;
  return best->handle;
}

bool VideoRender::isOnOpenedMonitor(HWND window) {
  if (window != m_hWnd || !m_pGeometry || m_pDisplay == nullptr) {
    Rect monitor;
    std::string device;
    return getMonitorInfo(window, monitor, device) == m_hMonitor;
  }
  const std::uint64_t geometryChanges = m_pGeometry->changes(), monitorChanges = m_pDisplay->monitorChanges();
  if (!m_bMonitorKnown || geometryChanges != m_nMonitorGeometryChanges || monitorChanges != m_nMonitorListChanges) {
    Rect monitor;
    std::string device;
    m_bOnOpenedMonitor = getMonitorInfo(window, monitor, device) == m_hMonitor;
    m_nMonitorGeometryChanges = geometryChanges;
    m_nMonitorListChanges = monitorChanges;
    m_bMonitorKnown = true;
  }
  return m_bOnOpenedMonitor;
}

platform::Point VideoRender::windowOrigin(HWND window) {
  platform::Point origin;
  if (window != m_hWnd || !m_pGeometry) {
    platform::windows().clientToScreen(window, origin);
    return origin;
  }
  const std::uint64_t changes = m_pGeometry->changes();
  if (!m_bOriginKnown || changes != m_nOriginChanges) {
    m_ptOrigin = m_pGeometry->read().origin;
    m_nOriginChanges = changes;
    m_bOriginKnown = true;
  }
  return m_ptOrigin;
}

bool VideoRender::findDDrawDevice(HWND window) {
  m_pDisplay = platform::windows().displayOf(window);
  m_pGeometry = platform::windows().geometryOf(window);
  m_bOriginKnown = false;
  m_bMonitorKnown = false;
  m_hMonitor = getMonitorInfo(window, m_rcMonitor, m_strDeviceName);
  if (m_hMonitor == 0 || m_pDisplay == nullptr) return false;
  for (const platform::DisplayDriver& driver : m_pDisplay->drivers()) {
    if (driver.name.empty() || driver.name.size() > kMaxDriverName) break;
    if (strcasecmp(driver.name.c_str(), m_strDeviceName.c_str()) == 0) {
      m_objDriver = driver;
      return true;
    }
  }
  return false;
}

int VideoRender::open(HWND window, int width, int height, bool yuv) {
  if (m_bDDrawWorked && m_fnNow() < m_nReopenNotBefore) return kFailed;
  m_nPictureWidth = width;
  m_nPictureHeight = height;
  m_rcMonitor = {};
  m_bYuv = yuv;
  if (!findDDrawDevice(window)) return kFailed;
  if (m_bUseD2D) return openD2D(window);
  return openDDraw(window, width, height, yuv);
}

int VideoRender::openD2D(HWND window) {
  const platform::HRESULT hr = m_pDisplay->createD2DFactory(m_pD2DFactory);
  if (hr != DD_OK) {
    print("Cannot create Direct2D factory err: %X\n", hr);
    return kFailed;
  }
  // This path draws 32-bit pictures only: the caller hands in RGB whatever it asked for.
  m_bYuv = false;
  m_nBytesPerPixel = 4;
  m_nImageFormatId = 1;
  m_hWnd = window;
  return kOk;
}

int VideoRender::openDDraw(HWND window, int width, int height, bool yuv) {
  platform::HRESULT hr = m_pDisplay->createDevice(m_objDriver.hasId ? &m_objDriver : nullptr, m_pDevice);
  if (hr != DD_OK) {
    print("DirectDrawCreateEx err: %X\n", hr);
    return kFailed;
  }
  hr = m_pDevice->setCooperativeLevel(window);
  if (hr != DD_OK) {
    print("SetCooperativeLevel err: %X\n", hr);
    m_pDevice.reset();
    return kFailed;
  }
  hr = m_pDevice->createPrimarySurface(m_pIPrimarySurface);
  if (hr != DD_OK) {
    print("Create the primary surface err: %X\n", hr);
    m_pDevice.reset();
    if (m_bDDrawWorked) {
      m_nReopenNotBefore = m_fnNow() + kReopenDelayUs;
      return kFailed;
    }
    m_bUseD2D = true;
    return DDERR_INVALIDPIXELFORMAT;
  }
  m_nReopenNotBefore = 0;
  m_bDDrawWorked = true;
  const char* failure = nullptr;
  hr = m_pDevice->createClipper(m_pClipper);
  if (hr != DD_OK) {
    failure = "CreateClipper err: %X\n";
  } else if ((hr = m_pClipper->setWindow(window)) != DD_OK) {
    failure = "SetHWnd err: %X\n";
  } else if ((hr = m_pIPrimarySurface->setClipper(m_pClipper.get())) != DD_OK) {
    failure = "SetClipper err: %X\n";
  }
  if (failure != nullptr) {
    print(failure, hr);
    releaseDDrawObjects();
    return kFailed;
  }
  int result = createOffscreenSurface(m_pIOffScreenSurfaceRGB, width, height, false);
  if (result == kOk && yuv) result = createOffscreenSurface(m_pIOffScreenSurfaceYUV, width, height, true);
  if (result != kOk) {
    releaseDDrawObjects();
    return result;
  }
  if (getVideoFormatFromSurface() != kOk) {
    releaseDDrawObjects();
    return kFailed;
  }
  m_objDisplaySettings = {};
  m_pDisplay->displaySettings(m_objDriver.name, m_objDisplaySettings);
  hr = m_pDevice->waitForVerticalBlank(platform::VerticalBlankWait::BlockEnd);
  if (hr != DD_OK) {
    print("WaitForVerticalBlank 1 err: %X\n", hr);
    m_bNoVerticalBlank = true;
  }
  if (!m_bNoVerticalBlank) {
    const uint32_t before = platform::tickCount();
    hr = m_pDevice->waitForVerticalBlank(platform::VerticalBlankWait::BlockBegin);
    if (hr != DD_OK) {
      print("WaitForVerticalBlank 2 err: %X\n", hr);
      releaseDDrawObjects();
      return kFailed;
    }
    const int lines = m_objDisplaySettings.heightPixels;
    m_dMsPerScanLine = lines > 0 ? static_cast<double>(platform::tickCount() - before) / lines : 0.0;
  }
  m_hWnd = window;
  return kOk;
}

int VideoRender::createOffscreenSurface(std::unique_ptr<platform::Surface>& surface, int width, int height, bool yuv) {
  if (!m_pDevice) return kFailed;
  if (yuv) platform::debugOutput("create YUV off screen surface");
  const platform::HRESULT hr = m_pDevice->createOffscreenSurface(width, height, yuv, surface);
  if (hr == DD_OK) return kOk;
  print("createOffscreenSurface err: %X\n", hr);
  return hr == DDERR_INVALIDPIXELFORMAT ? DDERR_INVALIDPIXELFORMAT : kFailed;
}

int VideoRender::getVideoFormatFromSurface() {
  if (m_bUseD2D) {
    m_nBytesPerPixel = 4;
    m_nImageFormatId = 1;
    return kOk;
  }
  platform::SurfaceDesc desc;
  const platform::HRESULT hr = m_pIOffScreenSurfaceRGB->lock(desc, platform::LockMode::WriteOnly);
  if (hr != DD_OK) {
    print("getVideoFormatFromSurfac lock err: %X\n", hr);
    return kFailed;
  }
  m_pIOffScreenSurfaceRGB->unlock();
  if (m_bYuv) {
    m_nBytesPerPixel = 3;
    m_nImageFormatId = 2;
    return kOk;
  }
  switch (platform::bitsPerPixelOf(desc.format)) {
    case 32:
      m_nBytesPerPixel = 4;
      m_nImageFormatId = 1;
      break;
    case 24:
      m_nBytesPerPixel = 3;
      m_nImageFormatId = 2;
      break;
    case 16:
      m_nBytesPerPixel = 2;
      m_nImageFormatId = 3;
      break;
    case 8:
      platform::debugOutputFormat("dwRGBBitCount: %d\n", 8);
      return kFailed;
    default:
      break;
  }
  return kOk;
}

void VideoRender::releaseDDrawObjects() {
  m_pIPrimarySurface.reset();
  m_pClipper.reset();
  m_pIOffScreenSurfaceYUV.reset();
  m_pIOffScreenSurfaceRGB.reset();
  m_pIOffScreenSurfaceDest.reset();
  m_pDevice.reset();
}

void VideoRender::release() {
  if (m_pDevice) {
    m_pDevice->restoreDisplayMode();
    m_pDevice->setCooperativeLevel(0);
  }
  releaseDDrawObjects();
  m_nDestWidth = 0;
  m_nDestHeight = 0;
  m_hWnd = 0;
  m_pGeometry.reset();
  m_bOriginKnown = false;
  m_bMonitorKnown = false;
  m_bBandsCleared = false;
  m_pD2DBitmap.reset();
  m_pD2DRenderTarget.reset();
  m_pD2DFactory.reset();
}

void VideoRender::setDrawCallback(long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
  KXMutexLocker locker(m_csCallback, __FILE__, __LINE__);
  m_nCallbackPort = port;
  m_pfnDraw = fn;
  m_pCallbackUser = user;
  m_bWindowSizeSurface = windowSizeSurface;
}

void VideoRender::clearDrawCallback() { setDrawCallback(0, nullptr, nullptr, false); }

void VideoRender::setCallbackEnabled(bool enabled) { m_bCallbackEnabled.store(enabled); }

bool VideoRender::drawsOnWindowSizeSurface() {
  KXMutexLocker locker(m_csCallback, __FILE__, __LINE__);
  return m_bWindowSizeSurface && m_bCallbackEnabled.load() && m_pfnDraw != nullptr;
}

int VideoRender::draw(HWND window, const Rect& dstRect, const void* pixels, int width, int height,
                      const Rect& srcRect) {
  if (window == 0) return kFailed;
  if (dstRect.width() != m_nDestWidth || dstRect.height() != m_nDestHeight) {
    if (m_pIOffScreenSurfaceDest) {
      platform::debugOutput("m_pIOffScreenSurfaceDest->Release");
      m_pIOffScreenSurfaceDest.reset();
    }
    if (m_bUseD2D && m_pD2DRenderTarget) {
      Rect client;
      platform::windows().getClientRect(window, client);
      const platform::HRESULT hr = m_pD2DRenderTarget->resize(client.width(), client.height());
      if (hr != DD_OK) {
        m_pD2DBitmap.reset();
        m_pD2DRenderTarget.reset();
        platform::debugOutputFormat("Cannot resize render target (width = %d, height = %d, hr = 0x%x)!",
                                    client.width(), client.height(), static_cast<unsigned>(hr));
        return kFailed;
      }
    }
    m_nDestWidth = dstRect.width();
    m_nDestHeight = dstRect.height();
  }
  if (pixels == nullptr) return kFailed;
  if (m_bUseD2D) return drawD2D(window, dstRect, pixels, width, height, srcRect);
  return drawDDraw(window, dstRect, pixels, width, height, srcRect);
}

int VideoRender::drawD2D(HWND window, const Rect& dstRect, const void* pixels, int width, int height,
                         const Rect& srcRect) {
  // The bitmap has the size of the open: never read another picture size into it.
  if (!m_pD2DFactory || width != m_nPictureWidth || height != m_nPictureHeight) return kFailed;
  platform::HRESULT hr = DD_OK;
  if (!m_pD2DRenderTarget) {
    Rect client;
    platform::windows().getClientRect(window, client);
    hr = m_pD2DFactory->createWindowRenderTarget(window, client.width(), client.height(), m_pD2DRenderTarget);
    if (hr != DD_OK) {
      print("Cannot create render target err: %X\n", hr);
      return kFailed;
    }
    hr = m_pD2DRenderTarget->createBitmap(width, height, m_pD2DBitmap);
    if (hr != DD_OK) {
      m_pD2DRenderTarget.reset();
      print("Failed to create bitmap err: %X\n", hr);
      return kFailed;
    }
  }
  hr = m_pD2DBitmap->copyFromMemory(static_cast<const uint8_t*>(pixels), width * 4);
  if (hr != DD_OK) {
    print("d2_bitmap->CopyFromMemory err: %X\n", hr);
    return kFailed;
  }
  {
    // The draw callback sees the picture on this path too.
    KXMutexLocker locker(m_csCallback, __FILE__, __LINE__);
    platform::SurfaceDesc desc;
    if (m_bCallbackEnabled.load() && m_pfnDraw != nullptr && m_pD2DBitmap->lockPixels(desc) == DD_OK) {
      callDrawCallbackWith(desc);
      m_pD2DBitmap->unlockPixels();
    }
  }
  Rect client;
  const bool clearing = bandsToClear(window, dstRect, client);
  m_pD2DRenderTarget->beginDraw();
  if (clearing) m_pD2DRenderTarget->clear(kBackgroundColour);
  m_pD2DRenderTarget->drawBitmap(*m_pD2DBitmap, dstRect, srcRect);
  hr = m_pD2DRenderTarget->endDraw();
  if (hr != DD_OK) {
    m_pD2DBitmap.reset();
    m_pD2DRenderTarget.reset();
    print("d2_render_target->EndDraw err: %X\n", hr);
    return kFailed;
  }
  if (clearing) bandsCleared(dstRect);
  return kOk;
}

int VideoRender::drawDDraw(HWND window, const Rect& dstRect, const void* pixels, int width, int height,
                           const Rect& srcRect) {
  if (!m_pDevice) return kFailed;
  const platform::Point origin = windowOrigin(window);
  const Rect onPrimary = dstRect.offset(origin.x - m_rcMonitor.left, origin.y - m_rcMonitor.top);
  platform::HRESULT hr = copyPixelToSurface(pixels, width, height);
  if (hr == DD_OK) hr = bltYuvToRgb();
  if (hr == DD_OK) hr = callDrawCallback(dstRect);
  if (hr == DD_OK && m_pClipper->setWindow(window) != DD_OK) hr = kFailed;
  if (hr == DD_OK) {
    if (drawsOnWindowSizeSurface() && m_pIOffScreenSurfaceDest) {
      hr = bltToPrimarySurface(*m_pIOffScreenSurfaceDest, Rect{0, 0, m_nDestWidth, m_nDestHeight}, onPrimary);
    } else {
      hr = bltToPrimarySurface(*m_pIOffScreenSurfaceRGB, srcRect, onPrimary);
    }
  }
  if (hr == DD_OK) clearAroundPicture(window, dstRect, origin);
  // Lost surfaces were restored on the way: the picture is dropped, the next one draws.
  if (hr == DDERR_SURFACELOST) return kOk;
  return hr;
}

bool VideoRender::bandsToClear(HWND window, const Rect& dstRect, Rect& client) {
  if (window != m_hWnd || !m_pGeometry) return platform::windows().getClientRect(window, client);
  const std::uint64_t changes = m_pGeometry->changes();
  if (m_bBandsCleared && changes == m_nBandsChanges && dstRect == m_rcBandsPicture) return false;
  const platform::WindowGeometry::State state = m_pGeometry->read();
  client = Rect{0, 0, state.width, state.height};
  m_nBandsChangesSeen = changes;
  return true;
}

void VideoRender::bandsCleared(const Rect& dstRect) {
  m_bBandsCleared = true;
  m_rcBandsPicture = dstRect;
  m_nBandsChanges = m_nBandsChangesSeen;
}

void VideoRender::clearAroundPicture(HWND window, const Rect& dstRect, const platform::Point& origin) {
  Rect client;
  if (!bandsToClear(window, dstRect, client)) return;
  for (const Rect& band : outsideOf(client, dstRect)) {
    const Rect onPrimary = band.offset(origin.x - m_rcMonitor.left, origin.y - m_rcMonitor.top);
    // A fill that fails is tried again with the next picture; the picture itself is on the screen.
    if (m_pIPrimarySurface->colorFill(onPrimary, kBackgroundColour) != DD_OK) return;
  }
  bandsCleared(dstRect);
}

platform::HRESULT VideoRender::restoreAfterLost(const char* failureMessage) {
  const platform::HRESULT hr = m_pDevice->restoreAllSurfaces();
  if (hr != DD_OK) {
    print(failureMessage, hr);
    return kFailed;
  }
  return DDERR_SURFACELOST;
}

platform::HRESULT VideoRender::copyPixelToSurface(const void* pixels, int width, int height) {
  platform::Surface* target = m_bYuv ? m_pIOffScreenSurfaceYUV.get() : m_pIOffScreenSurfaceRGB.get();
  if (target == nullptr) return kFailed;
  platform::SurfaceDesc desc;
  for (int tries = 0;; ++tries) {
    const platform::HRESULT hr = target->lock(desc, platform::LockMode::WriteOnly);
    if (hr == DD_OK) break;
    if (hr == DDERR_SURFACELOST) return restoreAfterLost("copyPixelToSurface lock  RestoreAllSurfaces err: %X\n");
    print("copyPixelToSurface lock err: %X\n", hr);
    if (hr != DDERR_WASSTILLDRAWING || tries >= kMaxStillDrawingRetries) return kFailed;
  }
  // The one copy of the picture on its way to the window: the decoder's memory is reused by the next
  // decode, while the surface must keep this picture for the blits below and the draw callback. A
  // paused redraw copies the same picture again: it draws through the whole chain, like any picture,
  // so that a changed window size, zoom or callback applies to it. Never more than the surface holds.
  const int rows = height < desc.height ? height : desc.height;
  if (m_bYuv) {
    const auto* picture = static_cast<const DecodedPicture*>(pixels);
    const int columns = width < desc.width ? width : desc.width;
    for (int y = 0; y < rows; ++y) {
      std::memcpy(desc.bits + static_cast<size_t>(y) * desc.pitch,
                  picture->data[0] + static_cast<size_t>(y) * picture->linesize[0], static_cast<size_t>(columns));
    }
    // Y, then V, then U, each chroma plane at half the pitch (odd sizes round up, as the planes do).
    const int chromaPitch = desc.pitch / 2, chromaRows = (rows + 1) / 2, chromaColumns = (columns + 1) / 2;
    uint8_t* chroma = desc.bits + static_cast<size_t>(desc.pitch) * desc.height;
    for (int plane : {2, 1}) {
      for (int y = 0; y < chromaRows; ++y) {
        std::memcpy(chroma + static_cast<size_t>(y) * chromaPitch,
                    picture->data[plane] + static_cast<size_t>(y) * picture->linesize[plane],
                    static_cast<size_t>(chromaColumns));
      }
      chroma += static_cast<size_t>(chromaPitch) * ((desc.height + 1) / 2);
    }
  } else {
    const auto* source = static_cast<const uint8_t*>(pixels);
    const size_t rowBytes = static_cast<size_t>(width) * m_nBytesPerPixel;
    if (static_cast<int>(rowBytes) == desc.pitch && height == desc.height) {
      std::memcpy(desc.bits, source, rowBytes * height);
    } else {
      const size_t copyBytes = rowBytes < static_cast<size_t>(desc.pitch) ? rowBytes : static_cast<size_t>(desc.pitch);
      for (int y = 0; y < rows; ++y) {
        std::memcpy(desc.bits + static_cast<size_t>(y) * desc.pitch, source + y * rowBytes, copyBytes);
      }
    }
  }
  target->unlock();
  return DD_OK;
}

platform::HRESULT VideoRender::bltYuvToRgb() {
  if (!m_bYuv || !m_pIOffScreenSurfaceYUV || !m_pIOffScreenSurfaceRGB) return DD_OK;
  const platform::HRESULT hr = m_pIOffScreenSurfaceRGB->blt(nullptr, *m_pIOffScreenSurfaceYUV, nullptr);
  if (hr == DD_OK) return DD_OK;
  if (hr == DDERR_SURFACELOST) return restoreAfterLost("m_pIOffScreenSurfaceRGB Blt RestoreAllSurfaces err: %X\n");
  print("m_pIOffScreenSurfaceRGB Blt2 err: %X\n", hr);
  return DDERR_INVALIDPIXELFORMAT;
}

void VideoRender::callDrawCallbackWith(const platform::SurfaceDesc& desc) {
  // The format of the pixels handed out, which on the YUV path differs from the one reported.
  const int format = desc.format == platform::SurfaceFormat::Bgr24 ? 2 : desc.format == platform::SurfaceFormat::Rgb565 ? 3 : 1;
  DrawContext context{desc.bits, desc.pitch, desc.width, desc.height, format};
  m_pfnDraw(m_nCallbackPort, &context, m_pCallbackUser);
}

platform::HRESULT VideoRender::callDrawCallback(const Rect& dstRect) {
  KXMutexLocker locker(m_csCallback, __FILE__, __LINE__);
  if (!m_bCallbackEnabled.load() || m_pfnDraw == nullptr) return DD_OK;
  platform::Surface* surface = m_pIOffScreenSurfaceRGB.get();
  if (m_bWindowSizeSurface) {
    if (!m_pIOffScreenSurfaceDest) {
      platform::debugOutput("m_pIOffScreenSurfaceDest->create");
      const int result = createOffscreenSurface(m_pIOffScreenSurfaceDest, dstRect.width(), dstRect.height(), false);
      if (result != kOk) {
        m_pIPrimarySurface.reset();
        m_pClipper.reset();
        m_pIOffScreenSurfaceDest.reset();
        m_pDevice.reset();
        return result;
      }
    }
    const platform::HRESULT hr = m_pIOffScreenSurfaceDest->blt(nullptr, *m_pIOffScreenSurfaceRGB, nullptr);
    if (hr == DDERR_SURFACELOST) return restoreAfterLost("m_pIOffScreenSurfaceRGB Blt RestoreAllSurfaces err: %X\n");
    if (hr != DD_OK) {
      print("m_pIOffScreenSurfaceRGB Blt2 err: %X\n", hr);
      return DDERR_INVALIDPIXELFORMAT;
    }
    surface = m_pIOffScreenSurfaceDest.get();
  }
  platform::SurfaceDesc desc;
  if (surface->getDC(desc) == DD_OK) {
    callDrawCallbackWith(desc);
    surface->releaseDC();
  }
  return DD_OK;
}

platform::HRESULT VideoRender::bltToPrimarySurface(platform::Surface& source, const Rect& srcRect,
                                                   const Rect& dstRect) {
  if (!m_pDevice || !m_pIPrimarySurface) return kFailed;
  for (int tries = 0;; ++tries) {
    if (srcRect.height() > kVerticalBlankMinLines) waitForVerticalBlank();
    const platform::HRESULT hr = m_pIPrimarySurface->blt(&dstRect, source, &srcRect);
    if (hr == DD_OK) return DD_OK;
    if (hr == DDERR_SURFACELOST) return restoreAfterLost("bltToPrimarySurface Blt RestoreAllSurfaces err: %X\n");
    print("m_pIPrimarySurface->Blt err: %X\n", hr);
    if (hr != DDERR_WASSTILLDRAWING || tries >= kMaxStillDrawingRetries) return kFailed;
  }
}

void VideoRender::waitForVerticalBlank() {
  if (m_bNoVerticalBlank || !m_pDevice) return;
  uint32_t line = 0;
  if (m_pDevice->getScanLine(line) != DD_OK) return;
  const int screenLines = m_objDisplaySettings.heightPixels;
  if (static_cast<int>(line) >= screenLines) return;
  const int sleepMs = static_cast<int>((screenLines - static_cast<int>(line)) * m_dMsPerScanLine - 2);
  if (sleepMs > 0) platform::sleepMilliseconds(static_cast<uint32_t>(sleepMs));
  m_pDevice->waitForVerticalBlank(platform::VerticalBlankWait::BlockEnd);
}
