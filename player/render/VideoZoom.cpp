#include "player/render/VideoZoom.h"

#include <algorithm>
#include <cmath>

#include "technic/KXMutexLocker.h"

using platform::Rect;

namespace {

double aspectOf(int pictureWidth, int pictureHeight) {
  return pictureWidth == 0 ? 0.75 : static_cast<double>(pictureHeight) / pictureWidth;
}

}  // namespace

Rect VideoZoom::fitInside(const Rect& rect, int pictureWidth, int pictureHeight) {
  const double r = aspectOf(pictureWidth, pictureHeight);
  const int w = rect.width(), h = rect.height();
  if (w <= 0 || h <= 0) return rect;
  Rect out = rect;
  if (r <= static_cast<double>(h) / w) {
    const int height = static_cast<int>(r * w);
    out.top = rect.top + (h - height) / 2;
    out.bottom = out.top + height;
  } else {
    const int width = static_cast<int>(h / r);
    out.left = rect.left + (w - width) / 2;
    out.right = out.left + width;
  }
  return out;
}

Rect VideoZoom::growToAspect(const Rect& rect, int pictureWidth, int pictureHeight) {
  const double r = aspectOf(pictureWidth, pictureHeight);
  const int w = rect.width(), h = rect.height();
  if (w <= 0 || h <= 0) return rect;
  Rect out = rect;
  if (r <= static_cast<double>(h) / w) {
    const int width = static_cast<int>(h / r);
    out.left = std::max(0, rect.left - (width - w) / 2);
    out.right = out.left + width;
  } else {
    const int height = static_cast<int>(r * w);
    out.top = std::max(0, rect.top - (height - h) / 2);
    out.bottom = out.top + height;
  }
  return out;
}

Rect VideoZoom::moveSidesSnapping(const Rect& zoom, const Rect& bounds, double dx, double dy, int inwards) {
  // The distance to the bound is compared with dx on all four sides.
  auto side = [dx](int from, int bound, double step) {
    return std::abs(from - bound) <= dx ? bound : static_cast<int>(from + step);
  };
  return {side(zoom.left, bounds.left, inwards * dx), side(zoom.top, bounds.top, inwards * dy),
          side(zoom.right, bounds.right, -inwards * dx), side(zoom.bottom, bounds.bottom, -inwards * dy)};
}

bool VideoZoom::within(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

int VideoZoom::zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h, const Rect& display) {
  if (w == 0 || h == 0) return -8;
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  if (m_nZoomPictureWidth == 0 || m_nZoomPictureHeight == 0) return -6;
  if (display.width() <= 0 || display.height() <= 0) return -8;
  // Window coordinates, clipped to where the picture is drawn, then relative to it (64-bit on the way,
  // so that huge values cannot wrap).
  const long long left = std::max<long long>(x, display.left), top = std::max<long long>(y, display.top);
  const long long width = static_cast<long long>(x) + w > display.right ? display.right - static_cast<long long>(x) : w;
  const long long height = static_cast<long long>(y) + h > display.bottom ? display.bottom - static_cast<long long>(y) : h;
  if (width <= 0 || height <= 0 || left - display.left > display.width() || top - display.top > display.height()) {
    return -8;
  }
  Rect chosen{static_cast<int>(left - display.left), static_cast<int>(top - display.top),
              static_cast<int>(left - display.left + width), static_cast<int>(top - display.top + height)};
  chosen = growToAspect(chosen, m_nZoomPictureWidth, m_nZoomPictureHeight);
  // Window pixels to picture pixels of what is shown now.
  const double s = static_cast<double>(m_nZoomWidth) / display.width();
  const int scaledLeft = static_cast<int>(chosen.left * s), scaledTop = static_cast<int>(chosen.top * s);
  const int scaledWidth = static_cast<int>(chosen.width() * s), scaledHeight = static_cast<int>(chosen.height() * s);
  if (scaledWidth <= kMinZoomPixels || scaledHeight <= kMinZoomPixels) return -8;
  Rect zoom{scaledLeft + m_rcZoom.left, scaledTop + m_rcZoom.top, 0, 0};
  zoom.right = std::min(zoom.left + scaledWidth, m_nZoomPictureWidth);
  zoom.bottom = std::min(zoom.top + scaledHeight, m_nZoomPictureHeight);
  m_rcZoom = fitInside(zoom, m_nZoomPictureWidth, m_nZoomPictureHeight);
  m_rcZoomBounds = m_rcZoom;
  m_nZoomWidth = m_rcZoom.width();
  m_nZoomHeight = m_rcZoom.height();
  m_bZoomActive = true;
  return 0;
}

int VideoZoom::zoomInVideo() {
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  const Rect z = m_rcZoom, b = m_rcZoomBounds;
  const double dx = z.width() * 0.1, dy = z.height() * 0.1;
  Rect next;
  if (within(z, b)) {
    next = {static_cast<int>(z.left + dx), static_cast<int>(z.top + dy), static_cast<int>(z.right - dx),
            static_cast<int>(z.bottom - dy)};
  } else {
    next = moveSidesSnapping(z, b, dx, dy, 1);  // back from beyond the bounds
  }
  applyStep(next);
  return 0;
}

int VideoZoom::zoomOutVideo() {
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  const Rect z = m_rcZoom, b = m_rcZoomBounds;
  const double dx = z.width() * 0.1, dy = z.height() * 0.1;
  Rect next;
  if (within(z, b) && z != b) {
    next = moveSidesSnapping(z, b, dx, dy, -1);
  } else {
    next.left = std::max(0, static_cast<int>(z.left - dx));
    next.right = std::min(m_nZoomPictureWidth, static_cast<int>(z.right + dx));
    next.top = std::max(0, static_cast<int>(z.top - dy));
    next.bottom = std::min(m_nZoomPictureHeight, static_cast<int>(z.bottom + dy));
  }
  applyStep(next);
  return 0;
}

void VideoZoom::applyStep(const Rect& next) {
  if (next.width() <= kMinZoomPixels || next.height() <= kMinZoomPixels) return;
  m_rcZoom = next == m_rcZoomBounds ? next : fitInside(next, m_nZoomPictureWidth, m_nZoomPictureHeight);
  m_nZoomWidth = m_rcZoom.width();
  m_nZoomHeight = m_rcZoom.height();
  m_bZoomActive = true;
}

void VideoZoom::restoreVideo() {
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  m_rcZoom = {0, 0, m_nZoomPictureWidth, m_nZoomPictureHeight};
  m_nZoomWidth = m_nZoomPictureWidth;
  m_nZoomHeight = m_nZoomPictureHeight;
  m_bZoomActive = false;
}

void VideoZoom::followPictureSize(int width, int height) {
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  if (width == m_nZoomPictureWidth && height == m_nZoomPictureHeight) return;
  m_rcZoom = m_rcZoomBounds = {0, 0, width, height};
  m_nZoomPictureWidth = m_nZoomWidth = width;
  m_nZoomPictureHeight = m_nZoomHeight = height;
}

void VideoZoom::forgetPicture() {
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  // A zoom into the old picture means nothing in the new one: the new sequence shows whole.
  m_bZoomActive = false;
  m_rcZoom = m_rcZoomBounds = {};
  m_nZoomPictureWidth = m_nZoomPictureHeight = 0;
  m_nZoomWidth = m_nZoomHeight = 0;
}

Rect VideoZoom::sourceRect(int width, int height) {
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  if (m_bZoomActive && !m_rcZoom.isEmpty()) return m_rcZoom;
  return {0, 0, width, height};
}

bool VideoZoom::isActive() {
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  return m_bZoomActive;
}

Rect VideoZoom::zoomRect() {
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  return m_rcZoom;
}

Rect VideoZoom::bounds() {
  KXMutexLocker locker(m_csZoom, __FILE__, __LINE__);
  return m_rcZoomBounds;
}
