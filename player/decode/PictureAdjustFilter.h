#pragma once
#include <cstdint>

// One plane of a planar YUV picture: first byte, bytes from one row to the next, visible rows and
// visible bytes per row.
struct YuvPlane {
  uint8_t* data = nullptr;
  int pitch = 0;
  int lines = 0;
  int width = 0;
};

// A planar YUV picture: planes Y, U, V. For 4:2:0 the caller gives U and V half the lines and half the
// width of Y (both rounded down).
struct YuvPlanes {
  YuvPlane plane[3];
};

// The YUV filter's parameters, each neutral at 1.0 except the hue (degrees, neutral 0).
struct YuvAdjustParams {
  double contrast = 1.0;
  double brightness = 1.0;
  int hue = 0;
  double saturation = 1.0;
  double gamma = 1.0;

  bool isNeutral() const {
    return contrast == 1.0 && brightness == 1.0 && saturation == 1.0 && gamma == 1.0 && hue == 0;
  }
};

// Brightness, contrast, hue and saturation of decoded pictures: the YUV filter works on planar 4:2:0
// pictures, the RGB filters in place on packed 24- or 32-bit pictures (byte 0 blue, 1 green, 2 red; a
// fourth byte is never touched). The RGB filters take their values in the stored 0..200 form (100
// neutral) and leave 16-bit and 8-bit pictures alone.
class PictureAdjustFilter {
 public:
  // Writes every visible byte of out from the byte(s) of in at the same place; returns 0. A null in
  // does nothing.
  static int adjustYUVPicture(const YuvAdjustParams& params, const YuvPlanes* in, YuvPlanes* out);

  static void adjustRGBBrightness(int value, int height, int bitsPerPixel, int width, uint8_t* data);
  static void adjustRGBContrast(int bitsPerPixel, int height, int value, int width, uint8_t* data);
  static void adjustRGBHueSaturation(int bitsPerPixel, int height, int width, uint8_t* data, int hueValue,
                                     int saturationValue);

 private:
  static int bytesPerPixel(int bitsPerPixel);
};
