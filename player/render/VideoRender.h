#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Display.h"
#include "player/EngineClock.h"
#include "player/PlayerTypes.h"
#include "technic/KXMutex.h"

// The video renderer: shows one picture at a time in a window through the display layer. It draws on
// the device of the monitor that holds the window; when the first primary surface is refused it takes
// the fallback render target for the rest of its life.
//
// Two pixel paths: RGB (the caller hands in a picture in the format the renderer reports) and YUV (the
// caller hands in a DecodedPicture; the planes go into a YV12 surface and are converted by a blit).
// The picture then reaches the draw callback and is blitted, scaled and clipped, to the window.
//
// Results of open and draw: 0, 1 (failure) or platform::DDERR_INVALIDPIXELFORMAT (open again without
// the YUV path). The owner serialises open, draw and release; the callback lock guards only the
// draw-callback fields and is held while the callback runs.
class VideoRender {
 public:
  static constexpr int kOk = 0;
  static constexpr int kFailed = 1;
  // The window's background around the picture: black (B, G, R, A).
  static constexpr std::uint32_t kBackgroundColour = 0xFF000000u;
  // Sources taller than this are paced against the vertical blank.
  static constexpr int kVerticalBlankMinLines = 600;
  // After the primary surface was refused once the display had worked: no open for this long.
  static constexpr int64_t kReopenDelayUs = 1000000;

  explicit VideoRender(MicroClock clock = getMicroSeconds);
  virtual ~VideoRender();
  VideoRender(const VideoRender&) = delete;
  VideoRender& operator=(const VideoRender&) = delete;

  int open(HWND window, int width, int height, bool yuv);
  // pixels: the converted picture (rows of width x bytesPerPixel()), or on the YUV path a DecodedPicture.
  int draw(HWND window, const platform::Rect& dstRect, const void* pixels, int width, int height,
           const platform::Rect& srcRect);
  void release();

  // The monitor that holds the largest part of the window's client area: its handle (-1 for a single
  // display, 0 when the window lies on no monitor), rectangle and device name.
  std::intptr_t getMonitorInfo(HWND window, platform::Rect& rect, std::string& deviceName) const;
  // Whether getMonitorInfo still gives the monitor of the last open. Looked up again only after the
  // window moved or was resized or the monitors changed: every picture asks.
  bool isOnOpenedMonitor(HWND window);

  // Draw-callback fields: written under the callback lock.
  void setDrawCallback(long port, DrawCallBack fn, void* user, bool windowSizeSurface);
  void clearDrawCallback();
  // Cleared on pause, set again on play: redraws while paused do not call back.
  void setCallbackEnabled(bool enabled);
  KXMutex& callbackLock() { return m_csCallback; }

  int bytesPerPixel() const { return m_nBytesPerPixel; }
  int imageFormatId() const { return m_nImageFormatId; }
  bool isYuv() const { return m_bYuv; }
  bool usesD2D() const { return m_bUseD2D; }
  bool hasDDrawWorked() const { return m_bDDrawWorked; }
  bool isNoVerticalBlank() const { return m_bNoVerticalBlank; }
  std::intptr_t monitorHandle() const { return m_hMonitor; }
  HWND window() const { return m_hWnd; }

 private:
  using HRESULT = platform::HRESULT;

  bool findDDrawDevice(HWND window);
  int openD2D(HWND window);
  int openDDraw(HWND window, int width, int height, bool yuv);
  int createOffscreenSurface(std::unique_ptr<platform::Surface>& surface, int width, int height, bool yuv);
  int getVideoFormatFromSurface();
  void releaseDDrawObjects();

  int drawD2D(HWND window, const platform::Rect& dstRect, const void* pixels, int width, int height,
              const platform::Rect& srcRect);
  int drawDDraw(HWND window, const platform::Rect& dstRect, const void* pixels, int width, int height,
                const platform::Rect& srcRect);
  HRESULT copyPixelToSurface(const void* pixels, int width, int height);
  HRESULT bltYuvToRgb();
  HRESULT callDrawCallback(const platform::Rect& dstRect);
  void callDrawCallbackWith(const platform::SurfaceDesc& desc);
  // The callback draws on a window-size surface, which is then what reaches the screen.
  bool drawsOnWindowSizeSurface();
  HRESULT bltToPrimarySurface(platform::Surface& source, const platform::Rect& srcRect, const platform::Rect& dstRect);
  void waitForVerticalBlank();
  // The window's client origin on the screen, read again only when the window's geometry changed.
  platform::Point windowOrigin(HWND window);
  // On DDERR_SURFACELOST: restores the surfaces and gives DDERR_SURFACELOST, or 1 when that fails.
  HRESULT restoreAfterLost(const char* failureMessage);
  // Whatever lies outside the picture shows the window's background, never an earlier picture of
  // another shape or place. The window's client area when the parts outside dstRect must be cleared:
  // not yet since the open, or the picture's place or the window changed since they were.
  bool bandsToClear(HWND window, const platform::Rect& dstRect, platform::Rect& client);
  void bandsCleared(const platform::Rect& dstRect);
  // DirectDraw: colour fills of the window around the picture (after the picture's blit).
  void clearAroundPicture(HWND window, const platform::Rect& dstRect, const platform::Point& origin);

  MicroClock m_fnNow;
  platform::Display* m_pDisplay = nullptr;
  std::unique_ptr<platform::DisplayDevice> m_pDevice;
  std::unique_ptr<platform::Surface> m_pIPrimarySurface;
  std::unique_ptr<platform::Clipper> m_pClipper;
  std::unique_ptr<platform::Surface> m_pIOffScreenSurfaceYUV;
  std::unique_ptr<platform::Surface> m_pIOffScreenSurfaceRGB;
  std::unique_ptr<platform::Surface> m_pIOffScreenSurfaceDest;
  std::unique_ptr<platform::D2DFactory> m_pD2DFactory;
  std::unique_ptr<platform::D2DRenderTarget> m_pD2DRenderTarget;
  std::unique_ptr<platform::D2DBitmap> m_pD2DBitmap;
  bool m_bDDrawWorked = false;
  bool m_bUseD2D = false;
  bool m_bNoVerticalBlank = false;
  int m_nDestWidth = 0;
  int m_nDestHeight = 0;
  int m_nBytesPerPixel = 4;
  int m_nImageFormatId = 0;
  bool m_bYuv = false;
  int64_t m_nReopenNotBefore = 0;
  platform::DisplaySettings m_objDisplaySettings;
  double m_dMsPerScanLine = 0.0;
  HWND m_hWnd = 0;
  platform::Rect m_rcMonitor;
  std::intptr_t m_hMonitor = 0;
  std::string m_strDeviceName;
  platform::DisplayDriver m_objDriver;
  int m_nPictureWidth = 0;
  int m_nPictureHeight = 0;
  // Per-picture look-ups kept for the window of the last open (its backend keeps the geometry current).
  std::shared_ptr<const platform::WindowGeometry> m_pGeometry;
  std::uint64_t m_nOriginChanges = 0;
  platform::Point m_ptOrigin;
  bool m_bOriginKnown = false;
  std::uint64_t m_nMonitorGeometryChanges = 0;
  std::uint64_t m_nMonitorListChanges = 0;
  bool m_bMonitorKnown = false;
  bool m_bOnOpenedMonitor = false;
  // Where the picture stood, and the window's geometry changes, when the window around it was last
  // cleared (false: not since the open).
  bool m_bBandsCleared = false;
  platform::Rect m_rcBandsPicture;
  std::uint64_t m_nBandsChanges = 0;
  std::uint64_t m_nBandsChangesSeen = 0;

  KXMutex m_csCallback;
  long m_nCallbackPort = 0;
  DrawCallBack m_pfnDraw = nullptr;
  void* m_pCallbackUser = nullptr;
  std::atomic<bool> m_bCallbackEnabled{true};
  bool m_bWindowSizeSurface = false;
};
