#include "player/render/PictureSnapshot.h"

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <cstring>
#include <string>

#include "player/KXPlayerResult.h"
#include "player/decode/VideoFrameDecoder.h"
#include "player/render/ColorSpaceConvert.h"
#include "player/render/JpegWriter.h"
#include "technic/BinaryFile.h"
#include "technic/KXMutexLocker.h"

namespace {

constexpr size_t kMaxPath = 260;
constexpr int kBmpHeaderSize = 54;

void putU16(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}

void putU32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

// The current picture as it was when the snapshot was asked for: I420 planes packed at their widths for
// H.264, or the JPEG glue's R, G, B pixels for MJPEG. Copied under the decode lock so that converting
// and writing the file run without it: the decoder reuses its memory for the next picture meanwhile.
struct PictureSnapshot::Copy {
  int width = 0;
  int height = 0;
  bool yuv = false;
  std::vector<uint8_t> pixels;
  int linesize[3] = {0, 0, 0};
  size_t offset[3] = {0, 0, 0};
};

int PictureSnapshot::copyCurrentPicture(VideoFrameDecoder& decoder, Copy& copy) {
  KXMutexLocker locker(decoder.decodeLock(), __FILE__, __LINE__);
  const AVData* picture = decoder.currentPicture();
  if (picture == nullptr) return KXPLAYER_WRONG_STATE;
  copy.width = picture->getImageWidth();
  copy.height = picture->getImageHeight();
  if (copy.width <= 0 || copy.height <= 0) return KXPLAYER_WRONG_STATE;
  const size_t w = static_cast<size_t>(copy.width), h = static_cast<size_t>(copy.height);
  if (picture->getEncoderType() == VideoFrameDecoder::kEncoderH264) {
    const DecodedPicture* planes = decoder.decodedPicture();
    if (planes == nullptr || planes->data[0] == nullptr) return KXPLAYER_WRONG_STATE;
    copy.yuv = true;
    const size_t cw = (w + 1) / 2, ch = (h + 1) / 2;
    copy.pixels.resize(w * h + 2 * cw * ch);
    const size_t widths[3] = {w, cw, cw}, rows[3] = {h, ch, ch};
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
      copy.offset[i] = at;
      copy.linesize[i] = static_cast<int>(widths[i]);
      for (size_t r = 0; r < rows[i]; ++r) {
        std::memcpy(copy.pixels.data() + at + r * widths[i],
                    planes->data[i] + r * static_cast<size_t>(planes->linesize[i]), widths[i]);
      }
      at += widths[i] * rows[i];
    }
    return 0;
  }
  if (picture->getEncoderType() == VideoFrameDecoder::kEncoderMjpeg) {
    const uint8_t* rgb = decoder.jpegRgb();
    if (rgb == nullptr) return KXPLAYER_WRONG_STATE;
    copy.pixels.assign(rgb, rgb + w * h * 3);
    copy.linesize[0] = static_cast<int>(w * 3);
    return 0;
  }
  return KXPLAYER_WRONG_STATE;
}

bool PictureSnapshot::convert(const PlayerDebugLog& log, const Copy& copy, bool toBgr, std::vector<uint8_t>& out) {
  const int w = copy.width, h = copy.height;
  if (!copy.yuv && !toBgr) {
    out = copy.pixels;  // the JPEG glue's pixels are R, G, B already
    return true;
  }
  out.resize(static_cast<size_t>(w) * h * 3 + ColorSpaceConvert::kPadding);
  SwsContext* context = nullptr;
  const int source = copy.yuv ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_RGB24;
  const int target = toBgr ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_RGB24;
  if (ColorSpaceConvert::initPixelFormatConvert(log, w, h, source, target, &context) != 0) return false;
  const uint8_t* planes[4] = {nullptr, nullptr, nullptr, nullptr};
  int strides[4] = {0, 0, 0, 0};
  for (int i = 0; i < (copy.yuv ? 3 : 1); ++i) {
    planes[i] = copy.pixels.data() + copy.offset[i];
    strides[i] = copy.linesize[i];
  }
  uint8_t* dst[4] = {out.data(), nullptr, nullptr, nullptr};
  int dstStrides[4] = {w * 3, 0, 0, 0};
  const bool converted = sws_scale(context, planes, strides, 0, h, dst, dstStrides) == h;
  ColorSpaceConvert::freeContext(&context);
  return converted;
}

int PictureSnapshot::snapShot(const PlayerDebugLog& log, VideoFrameDecoder& decoder, const char* path,
                              const char* type) {
  Copy copy;
  const int copied = copyCurrentPicture(decoder, copy);
  if (copied != 0) return copied;
  const bool jpeg = type != nullptr && std::strcmp(type, "JPG") == 0;
  const bool bmp = type != nullptr && std::strcmp(type, "BMP") == 0;
  if (!jpeg && !bmp) return KXPLAYER_WRONG_FORMAT;
  std::vector<uint8_t> pixels;
  if (!convert(log, copy, bmp, pixels)) return jpeg ? KXPLAYER_JPEG_WRITE_FAILED : KXPLAYER_OUT_OF_RANGE;
  if (bmp) return writeBmpFile(copy.height, copy.width, path, pixels.data());
  if (path == nullptr) return KXPLAYER_JPEG_WRITE_FAILED;
  JpegWriter writer;
  if (writer.initJpegCompress() != 0) return KXPLAYER_JPEG_WRITE_FAILED;
  return writer.writeJpegFile(path, copy.width, pixels.data(), copy.height) ? 0 : KXPLAYER_JPEG_WRITE_FAILED;
}

int PictureSnapshot::writeBmpFile(int height, int width, const char* pathUtf8, const unsigned char* bgr) {
  if (bgr == nullptr || pathUtf8 == nullptr) return KXPLAYER_OUT_OF_RANGE;
  const size_t pathLength = std::strlen(pathUtf8);
  if (pathLength == 0 || pathLength > kMaxPath) return KXPLAYER_OUT_OF_RANGE;
  // Sizes whose file would not fit the header's 32-bit fields are refused.
  const unsigned long long stride = (static_cast<unsigned long long>(width > 0 ? width : 0) * 3 + 3) & ~3ULL;
  const unsigned long long imageSize = stride * static_cast<unsigned long long>(height > 0 ? height : 0);
  if (width <= 0 || height <= 0 || imageSize + kBmpHeaderSize > 0xFFFFFFFFULL) return KXPLAYER_OUT_OF_RANGE;
  std::FILE* file = BinaryFile::createStream(pathUtf8);
  if (file == nullptr) return KXPLAYER_FILE_OPEN_FAILED;
  uint8_t header[kBmpHeaderSize] = {};
  header[0] = 'B';
  header[1] = 'M';
  putU32(header + 2, static_cast<uint32_t>(kBmpHeaderSize + imageSize));
  putU32(header + 10, kBmpHeaderSize);
  putU32(header + 14, 40);
  putU32(header + 18, static_cast<uint32_t>(width));
  putU32(header + 22, static_cast<uint32_t>(height));
  putU16(header + 26, 1);
  putU16(header + 28, 24);
  putU32(header + 34, static_cast<uint32_t>(imageSize));
  bool written = std::fwrite(header, 1, sizeof(header), file) == sizeof(header);
  std::vector<uint8_t> row(stride, 0);
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  for (int y = height - 1; y >= 0 && written; --y) {
    std::memcpy(row.data(), bgr + static_cast<size_t>(y) * rowBytes, rowBytes);
    written = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  written = std::fclose(file) == 0 && written;
  return written ? 0 : KXPLAYER_FILE_OPEN_FAILED;
}
