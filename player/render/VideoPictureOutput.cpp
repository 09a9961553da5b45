#include "player/render/VideoPictureOutput.h"

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include "media/AVData.h"
#include "platform/WindowSystem.h"
#include "player/KXPlayerResult.h"
#include "player/decode/PictureAdjustFilter.h"
#include "player/decode/VideoFrameDecoder.h"
#include "player/render/ColorSpaceConvert.h"
#include "player/render/PictureSnapshot.h"
#include "technic/KXMutexLocker.h"

using platform::Rect;

namespace {

// Stored picture values close to neutral are passed as neutral to the RGB filters.
int rgbFilterValue(int stored) { return stored > 80 && stored < 120 ? 100 : stored; }

}  // namespace

VideoPictureOutput::VideoPictureOutput(const PlayerDebugLog& log, VideoFrameDecoder& decoder, MicroClock clock)
    : m_log(log), m_objDecoder(decoder), m_objRender(std::move(clock)) {
  // A decoder reopened for a new sequence leaves the zoom referring to no picture.
  m_objDecoder.setReopenListener([this] { m_objZoom.forgetPicture(); });
}

VideoPictureOutput::~VideoPictureOutput() {
  m_objDecoder.setReopenListener(nullptr);
  closeRender();
}

void VideoPictureOutput::setVideoWindow(HWND window) { m_hWnd.store(window); }

void VideoPictureOutput::setVideoWindow(HWND window, int x, int y, int w, int h) {
  resizeWindow(x, y, w, h);
  m_hWnd.store(window);
}

void VideoPictureOutput::resizeWindow(int x, int y, int w, int h) {
  KXMutexLocker locker(m_csSettings, __FILE__, __LINE__);
  const Rect rect{x, y, x + w, y + h};
  if (rect != m_rcWindow) m_bInvalidate.store(true);
  m_rcWindow = rect;
}

Rect VideoPictureOutput::windowRect() {
  KXMutexLocker locker(m_csSettings, __FILE__, __LINE__);
  return m_rcWindow;
}

Rect VideoPictureOutput::displayRect() {
  KXMutexLocker locker(m_csSettings, __FILE__, __LINE__);
  return m_rcDisplay;
}

void VideoPictureOutput::setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
  m_log.printMessage(3, "setDrawFuncForRender %p", reinterpret_cast<void*>(fn));
  m_objRender.render().setDrawCallback(port, fn, user, windowSizeSurface);
}

void VideoPictureOutput::clearDrawFunc() { m_objRender.render().clearDrawCallback(); }

void VideoPictureOutput::setDrawCallbackEnabled(bool enabled) { m_objRender.render().setCallbackEnabled(enabled); }

void VideoPictureOutput::setRgbAdjustValues(int brightness, int contrast, int hue, int saturation) {
  m_nBrightness.store(brightness);
  m_nContrast.store(contrast);
  m_nHue.store(hue);
  m_nSaturation.store(saturation);
}

int VideoPictureOutput::initColorSpaceConvertForDraw() {
  int source = AV_PIX_FMT_NONE;
  if (m_nRenderEncoderType == VideoFrameDecoder::kEncoderH264) {
    source = AV_PIX_FMT_YUV420P;
  } else if (m_nRenderEncoderType == VideoFrameDecoder::kEncoderMjpeg) {
    source = AV_PIX_FMT_RGB24;  // the JPEG glue's pixels: R, G, B
  } else {
    return -1;
  }
  const int target = m_objRender.render().imageFormatId();
  const int targetFormat = ColorSpaceConvert::pixelFormatOf(target);
  int result = -1;
  if (targetFormat == AV_PIX_FMT_NONE) {
    ColorSpaceConvert::freeContext(&m_pSwsDraw);
    m_log.printMessage(2, "initColorSpaceConvertForDraw no conversion to image format %d", target);
  } else {
    result = ColorSpaceConvert::initPixelFormatConvert(m_log, m_nRenderWidth, m_nRenderHeight, source, targetFormat,
                                                       &m_pSwsDraw);
  }
  m_log.printMessage(3, "decodeH264 initColorSpaceConvert ret %d in initColorSpaceConvertForDraw.", result);
  m_nSwsDrawFormat = result == 0 ? target : 0;
  return result == 0 ? 0 : -1;
}

int VideoPictureOutput::openRenderByImageFormatID(int width, int height, int encoderType) {
  VideoRender& render = m_objRender.render();
  const HWND window = m_hWnd.load();
  if (m_objRender.isOpened() && m_bRenderOpened && width == m_nRenderWidth && height == m_nRenderHeight &&
      encoderType == m_nRenderEncoderType && render.window() == window) {
    if (window == 0 || render.isOnOpenedMonitor(window)) return 0;
  }
  m_objRender.close();
  m_bRenderOpened = false;
  const bool yuv = encoderType == VideoFrameDecoder::kEncoderH264 && !m_bRgbFallback;
  int result = m_objRender.open(window, width, height, yuv);
  if (result == platform::DDERR_INVALIDPIXELFORMAT) {
    m_bRgbFallback = true;
    m_objRender.close();
    result = m_objRender.open(window, width, height, false);
  }
  if (result != 0) return KXPLAYER_RENDERER_FAILED;
  // The fallback target draws RGB only, whatever was asked.
  if (yuv && !render.isYuv()) m_bRgbFallback = true;
  m_nRenderWidth = width;
  m_nRenderHeight = height;
  m_nRenderEncoderType = encoderType;
  m_bRenderOpened = true;
  const bool needsConversion = encoderType != VideoFrameDecoder::kEncoderH264 || m_bRgbFallback;
  if (initColorSpaceConvertForDraw() != 0 && needsConversion) {
    m_log.printMessage(2, "openRenderByImageFormatID no conversion for the renderer");
    m_objRender.close();
    m_bRenderOpened = false;
    return KXPLAYER_RENDERER_FAILED;
  }
  refresh();
  return 0;
}

void VideoPictureOutput::playOneFrame() {
  KXMutexLocker locker(m_objDecoder.decodeLock(), __FILE__, __LINE__);
  const AVData* picture = m_objDecoder.currentPicture();
  if (picture == nullptr || m_hWnd.load() == 0) {
    m_log.printMessage(2, "playOneFrame  data or displaywnd null !");
    return;
  }
  const int type = picture->getEncoderType();
  if (openRenderByImageFormatID(picture->getImageWidth(), picture->getImageHeight(), type) != 0) {
    m_log.printMessage(2, "playOneFrame  openRenderByImageFormatID error !");
    return;
  }
  const bool rgb = type == VideoFrameDecoder::kEncoderMjpeg || (type == VideoFrameDecoder::kEncoderH264 && m_bRgbFallback);
  if (rgb && !prepareRgbPicture(*picture, type)) return;
  if (m_bDrawVideo.load()) drawVideoFrame(picture);
}

bool VideoPictureOutput::prepareRgbPicture(const AVData& picture, int encoderType) {
  const int w = picture.getImageWidth(), h = picture.getImageHeight();
  // The conversion follows the renderer's format, which a reopen may have changed.
  if ((m_pSwsDraw == nullptr || m_nSwsDrawFormat != m_objRender.render().imageFormatId()) &&
      initColorSpaceConvertForDraw() != 0) {
    m_log.printMessage(2, "playOneFrame no conversion to the renderer's format");
    return false;
  }
  const int bytes = m_objRender.render().bytesPerPixel();
  const size_t size = static_cast<size_t>(w) * h * 4 + ColorSpaceConvert::kPadding;
  if (m_vecRgbPicture.size() != size) m_vecRgbPicture.assign(size, 0);
  uint8_t* dst[4] = {m_vecRgbPicture.data(), nullptr, nullptr, nullptr};
  int dstStrides[4] = {bytes * w, 0, 0, 0};
  if (encoderType == VideoFrameDecoder::kEncoderH264) {
    const DecodedPicture* planes = m_objDecoder.decodedPicture();
    if (planes == nullptr || planes->data[0] == nullptr) {
      m_log.printMessage(2, "playOneFrame no decoded planes to convert");
      return false;
    }
    sws_scale(m_pSwsDraw, planes->data, planes->linesize, 0, h, dst, dstStrides);
    return true;
  }
  const uint8_t* rgb = m_objDecoder.jpegRgb();
  if (rgb == nullptr) {
    m_log.printMessage(2, "playOneFrame no decoded pixels to convert");
    return false;
  }
  const uint8_t* src[4] = {rgb, nullptr, nullptr, nullptr};
  int srcStrides[4] = {w * 3, 0, 0, 0};
  sws_scale(m_pSwsDraw, src, srcStrides, 0, h, dst, dstStrides);
  if (m_bRgbFallback && !m_objDecoder.isYuvAdjustActive()) runRgbFilters(w, h);
  return true;
}

void VideoPictureOutput::runRgbFilters(int width, int height) {
  const int format = m_objRender.render().imageFormatId();
  const int bits = format == IMAGE_FORMAT_RGB24 ? 24 : (format == IMAGE_FORMAT_RGB565 || format == IMAGE_FORMAT_RGB555) ? 16 : 32;
  uint8_t* data = m_vecRgbPicture.data();
  PictureAdjustFilter::adjustRGBBrightness(rgbFilterValue(m_nBrightness.load()), height, bits, width, data);
  PictureAdjustFilter::adjustRGBContrast(bits, height, rgbFilterValue(m_nContrast.load()), width, data);
  PictureAdjustFilter::adjustRGBHueSaturation(bits, height, width, data, rgbFilterValue(m_nHue.load()),
                                              rgbFilterValue(m_nSaturation.load()));
}

bool VideoPictureOutput::rectIsUsable(const PlayerDebugLog& log, const Rect& rect, const char* what) {
  if (rect.left < 0 || rect.top < 0 || rect.right < 0 || rect.bottom < 0) {
    log.printMessage(2, "drawVideoFrame %s error1 left(%d) right(%d) top(%d) bottom(%d) !", what, rect.left,
                     rect.right, rect.top, rect.bottom);
    return false;
  }
  if (rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0) {
    log.printMessage(2, "drawVideoFrame %s error2 left(%d) right(%d) top(%d) bottom(%d) !", what, rect.left,
                     rect.right, rect.top, rect.bottom);
    return false;
  }
  return true;
}

bool VideoPictureOutput::computeDisplayRect(const AVData& picture) {
  KXMutexLocker locker(m_csSettings, __FILE__, __LINE__);
  if (m_bAutoResize.load()) {
    Rect client;
    platform::windows().getClientRect(m_hWnd.load(), client);
    if (!rectIsUsable(m_log, client, "AutoResize")) return false;
    m_rcWindow.right = client.right;
    m_rcWindow.bottom = client.bottom;
  }
  if (!rectIsUsable(m_log, m_rcWindow, "BakDisplayRect")) return false;
  m_rcDisplay = m_bStretch.load() ? m_rcWindow
                                  : VideoZoom::fitInside(m_rcWindow, picture.getImageWidth(), picture.getImageHeight());
  return true;
}

void VideoPictureOutput::drawVideoFrame(const AVData* picture) {
  KXMutexLocker locker(m_objDecoder.decodeLock(), __FILE__, __LINE__);
  const bool yuvPixels = m_nRenderEncoderType == VideoFrameDecoder::kEncoderH264 && !m_bRgbFallback;
  if (picture == nullptr || (yuvPixels && m_objDecoder.decodedPicture() == nullptr)) {
    m_log.printMessage(3, "drawVideoFrame do not get pic");
    return;
  }
  if (!computeDisplayRect(*picture)) return;
  if (m_bInvalidate.exchange(false)) refresh();
  const int w = picture->getImageWidth(), h = picture->getImageHeight();
  m_objZoom.followPictureSize(w, h);
  const Rect source = m_objZoom.sourceRect(w, h);
  const void* pixels = m_objDecoder.decodedPicture();
  if (!yuvPixels) {
    // Only a converted picture of this size may be drawn as RGB.
    if (m_vecRgbPicture.size() < static_cast<size_t>(w) * h * m_objRender.render().bytesPerPixel()) {
      m_log.printMessage(3, "drawVideoFrame do not get pic");
      return;
    }
    pixels = m_vecRgbPicture.data();
  }
  const HWND window = m_hWnd.load();
  const int result = m_objRender.render().draw(window, displayRect(), pixels, w, h, source);
  if (result == 0) {
    m_log.printMessage(5, "drawVideoFrame success");
    return;
  }
  // The picture is dropped; the renderer is reopened for the next one.
  if (result == platform::DDERR_INVALIDPIXELFORMAT) m_bRgbFallback = true;
  if (reopenRender(w, h, m_nRenderEncoderType == VideoFrameDecoder::kEncoderH264 && !m_bRgbFallback) != 0) {
    m_log.printMessage(2, "drawVideoFrame Render open error !");
  }
}

void VideoPictureOutput::redrawCurrentPicture() {
  KXMutexLocker locker(m_objDecoder.decodeLock(), __FILE__, __LINE__);
  drawVideoFrame(m_objDecoder.currentPicture());
}

int VideoPictureOutput::reopenRender(int width, int height, bool yuv) {
  m_objRender.close();
  const int result = m_objRender.open(m_hWnd.load(), width, height, yuv);
  if (result != 0) {
    if (result == platform::DDERR_INVALIDPIXELFORMAT) m_bRgbFallback = true;
    m_bRenderOpened = false;
    return result;
  }
  if (yuv && !m_objRender.render().isYuv()) m_bRgbFallback = true;
  // The renderer's format may differ now: the draw conversion follows it.
  initColorSpaceConvertForDraw();
  return 0;
}

void VideoPictureOutput::refresh() {
  const HWND window = m_hWnd.load();
  if (window == 0) return;
  platform::WindowSystem& windows = platform::windows();
  const platform::WindowId parent = windows.getParent(window);
  if (parent != 0) {
    Rect rect;
    platform::Point origin;
    if (!windows.getWindowRect(window, rect) || !windows.clientToScreen(parent, origin)) return;
    const Rect inParent = rect.offset(-origin.x, -origin.y);
    windows.invalidateRect(parent, &inParent, true);
    return;
  }
  Rect client;
  if (windows.getClientRect(window, client)) windows.invalidateRect(window, &client, true);
}

void VideoPictureOutput::closeRender() {
  KXMutexLocker locker(m_objDecoder.decodeLock(), __FILE__, __LINE__);
  m_objRender.close();
  m_bRenderOpened = false;
  m_nRenderWidth = 0;
  m_nRenderHeight = 0;
  m_nRenderEncoderType = -1;
  m_bRgbFallback = false;
  ColorSpaceConvert::freeContext(&m_pSwsDraw);
  m_nSwsDrawFormat = 0;
  m_vecRgbPicture.clear();
}

int VideoPictureOutput::zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) {
  return m_objZoom.zoomInVideo(x, y, w, h, displayRect());
}

int VideoPictureOutput::zoomInVideo() { return m_objZoom.zoomInVideo(); }

int VideoPictureOutput::zoomOutVideo() { return m_objZoom.zoomOutVideo(); }

void VideoPictureOutput::restoreVideo() { m_objZoom.restoreVideo(); }

int VideoPictureOutput::snapShot(const char* path, const char* type) {
  return PictureSnapshot::snapShot(m_log, m_objDecoder, path, type);
}
