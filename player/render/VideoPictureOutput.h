#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/Geometry.h"
#include "player/EngineClock.h"
#include "player/PlayerDebugLog.h"
#include "player/PlayerTypes.h"
#include "player/render/RenderHolder.h"
#include "player/render/VideoZoom.h"
#include "technic/KXMutex.h"

class AVData;
class VideoFrameDecoder;
struct SwsContext;

// The output side of the H.264 video player: shows the decoding stage's current picture in the
// player's window. Opens the renderer for the picture's size and kind (YUV path for H.264, RGB for MJPEG
// and after the display refused YUV once), converts to the renderer's format, runs the RGB filters on
// MJPEG pictures in the RGB fallback, fits the picture into the window (or stretches it), applies the
// zoom and draws. Also the repaint request, the zoom operations and the snapshots.
//
// The player stores its display settings here. Drawing (playOneFrame, drawVideoFrame) and closeRender
// hold the decoder's decode lock, so the picture cannot change under them and the renderer is opened,
// drawn and released by one thread at a time. Settings may be changed from any thread.
class VideoPictureOutput {
 public:
  VideoPictureOutput(const PlayerDebugLog& log, VideoFrameDecoder& decoder, MicroClock clock = getMicroSeconds);
  ~VideoPictureOutput();
  VideoPictureOutput(const VideoPictureOutput&) = delete;
  VideoPictureOutput& operator=(const VideoPictureOutput&) = delete;

  // Settings.
  void setVideoWindow(HWND window);
  // The window and the rectangle (x, y, x + w, y + h) to draw into, in client coordinates.
  void setVideoWindow(HWND window, int x, int y, int w, int h);
  void resizeWindow(int x, int y, int w, int h);
  void setDrawVideoFlag(bool on) { m_bDrawVideo.store(on); }
  void setStretchMode(bool on) { m_bStretch.store(on); }
  void setAutoResizeFlag(bool on) { m_bAutoResize.store(on); }
  // Draw callback, kept in the renderer under its callback lock.
  void setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface);
  void clearDrawFunc();
  // Off while paused: redraws do not call the draw callback.
  void setDrawCallbackEnabled(bool enabled);
  // The stored picture parameters (0..200, 100 neutral) for the RGB filters of MJPEG pictures.
  void setRgbAdjustValues(int brightness, int contrast, int hue, int saturation);

  // Drawing.
  // Shows the decoder's current picture.
  void playOneFrame();
  // Draws a picture (the current one; also the redraw of a paused player).
  void drawVideoFrame(const AVData* picture);
  // The paused redraw: drawVideoFrame of the decoder's current picture, taken under the decode lock.
  void redrawCurrentPicture();
  // 0 or -552.
  int openRenderByImageFormatID(int width, int height, int encoderType);
  // 0 or -1.
  int initColorSpaceConvertForDraw();
  // Asks the window to repaint the video area.
  void refresh();
  // The player closes: renderer released, draw conversion freed, fallback forgotten.
  void closeRender();

  // Zoom (window coordinates for the rectangle form) and snapshots.
  int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h);
  int zoomInVideo();
  int zoomOutVideo();
  void restoreVideo();
  int snapShot(const char* path, const char* type);

  // Read-outs.
  HWND window() const { return m_hWnd.load(); }
  platform::Rect windowRect();
  platform::Rect displayRect();
  bool isRgbFallback() const { return m_bRgbFallback; }
  int renderEncoderType() const { return m_nRenderEncoderType; }
  RenderHolder& renderHolder() { return m_objRender; }
  VideoZoom& zoom() { return m_objZoom; }

 private:
  bool prepareRgbPicture(const AVData& picture, int encoderType);
  void runRgbFilters(int width, int height);
  int reopenRender(int width, int height, bool yuv);
  bool computeDisplayRect(const AVData& picture);
  static bool rectIsUsable(const PlayerDebugLog& log, const platform::Rect& rect, const char* what);

  const PlayerDebugLog& m_log;
  VideoFrameDecoder& m_objDecoder;

  RenderHolder m_objRender;
  bool m_bRenderOpened = false;
  int m_nRenderWidth = 0;
  int m_nRenderHeight = 0;
  int m_nRenderEncoderType = -1;
  bool m_bRgbFallback = false;
  SwsContext* m_pSwsDraw = nullptr;
  int m_nSwsDrawFormat = 0;  // the renderer format m_pSwsDraw converts to
  std::vector<uint8_t> m_vecRgbPicture;  // the picture in the renderer's RGB format

  KXMutex m_csSettings;  // the window rectangle and the display rectangle
  std::atomic<HWND> m_hWnd{0};
  platform::Rect m_rcWindow;
  platform::Rect m_rcDisplay;
  std::atomic<bool> m_bStretch{false};
  std::atomic<bool> m_bAutoResize{false};
  std::atomic<bool> m_bDrawVideo{true};
  std::atomic<bool> m_bInvalidate{true};
  std::atomic<int> m_nBrightness{100};
  std::atomic<int> m_nContrast{100};
  std::atomic<int> m_nHue{100};
  std::atomic<int> m_nSaturation{100};

  VideoZoom m_objZoom;
};
