#pragma once
#include "platform/Geometry.h"
#include "technic/KXMutex.h"

// The zoom state of a video player: the part of the picture shown (in picture pixels), the bounds the
// steps snap to, and the picture size they refer to. Window rectangles come in window coordinates and
// are mapped through the rectangle the picture is drawn to. All arithmetic that divides is done in
// floating point and truncated. Every field is read and written under m_csZoom.
class VideoZoom {
 public:
  // Results of 20 pixels or less in width or height are refused.
  static constexpr int kMinZoomPixels = 20;

  // A rectangle of the video window (window coordinates): 0, -6 before the first picture, -8 empty or too
  // small. display: where the picture is drawn.
  int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h, const platform::Rect& display);
  // One 10 % step in or out: 0.
  int zoomInVideo();
  int zoomOutVideo();
  void restoreVideo();

  // The draw path: a new picture size returns both rectangles to the whole picture (the active flag
  // stays as it is).
  void followPictureSize(int width, int height);
  // A decoder reopen: the zoom refers to no picture any more and is switched off.
  void forgetPicture();
  // The source rectangle to draw from a width x height picture.
  platform::Rect sourceRect(int width, int height);

  // The aspect fit of a picture into a rectangle, centred; a width of 0 counts as 4:3.
  static platform::Rect fitInside(const platform::Rect& rect, int pictureWidth, int pictureHeight);
  // Grows the rectangle to the picture's aspect, keeping it centred; left and top stay >= 0.
  static platform::Rect growToAspect(const platform::Rect& rect, int pictureWidth, int pictureHeight);

  bool isActive();
  platform::Rect zoomRect();
  platform::Rect bounds();

 private:
  // The last step of zoomIn/zoomOut: the 20-pixel rule, fitting and storing (m_csZoom held).
  void applyStep(const platform::Rect& next);
  static bool within(const platform::Rect& inner, const platform::Rect& outer);
  // Every side moves by dx (left, right) or dy (top, bottom), inwards (1) or outwards (-1), except that
  // a side within dx of its bound takes the bound.
  static platform::Rect moveSidesSnapping(const platform::Rect& zoom, const platform::Rect& bounds, double dx,
                                          double dy, int inwards);

  KXMutex m_csZoom;
  bool m_bZoomActive = false;
  platform::Rect m_rcZoom;
  platform::Rect m_rcZoomBounds;
  int m_nZoomPictureWidth = 0;
  int m_nZoomPictureHeight = 0;
  int m_nZoomWidth = 0;
  int m_nZoomHeight = 0;
};
