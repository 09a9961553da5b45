#include "player/decode/VideoFrameDecoder.h"

#include <climits>
#include <cstring>

#include "media/NalReader.h"
#include "media/SpsParser.h"
#include "platform/DebugOutput.h"
#include "player/decode/H264Decoder.h"
#include "player/decode/PictureSizeLimit.h"
#include "player/decode/VideoFrameInput.h"
#include "technic/KXMutexLocker.h"

namespace {

constexpr int kNalSps = 7;
// Pictures held back by the decoder for reordering: frames older than this many tokens will not come.
constexpr int64_t kMaxPendingFrames = 64;
constexpr int kDecoderOpenFailed = -605;

// Finds a sequence parameter set among the NAL units in front of the frame's first slice (an
// access-unit delimiter or SEI may come first) and gives its coded picture size.
bool findSequenceParameterSet(const uint8_t* data, int length, int* width, int* height) {
  for (int i = 0; i + 3 < length; ++i) {
    if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1) continue;
    const int type = data[i + 3] & 0x1F;
    if (type >= 1 && type <= 5) return false;  // a slice: no parameter set for this frame
    if (type == kNalSps) {
      SeqParameterSet sps{};
      // One reader per decoding thread: its unit buffer is large, and a reader made for every key
      // frame cost a zeroed allocation of that size each time.
      thread_local NalReader reader;
      if (!findSPS(reader, data + i, length - i, &sps)) return false;
      const int64_t w = sps.pictureWidth(), h = sps.pictureHeight();
      *width = static_cast<int>(w > INT_MAX ? INT_MAX : w);
      *height = static_cast<int>(h > INT_MAX ? INT_MAX : h);
      return true;
    }
    i += 2;
  }
  return false;
}

}  // namespace

VideoFrameDecoder::VideoFrameDecoder(const PlayerDebugLog& log, VideoFrameInput& input,
                                     std::unique_ptr<IVideoDecoder> decoder)
    : m_log(log), m_input(input), m_objDecoder(decoder ? std::move(decoder) : std::make_unique<H264Decoder>()) {}

VideoFrameDecoder::~VideoFrameDecoder() { close(); }

int VideoFrameDecoder::open() {
  if (m_objDecoder->open() != 0) {
    platform::debugOutput("m_objDecoder.open() fail\n");
    return kDecoderOpenFailed;
  }
  m_objJpeg.initJpegDecompress();
  KXMutexLocker locker(m_csDecode, __FILE__, __LINE__);
  m_pCurPicture.reset();
  m_pDecodedPicture = nullptr;
  m_mapPending.clear();
  m_bNeedSps = true;
  return 0;
}

void VideoFrameDecoder::close() {
  KXMutexLocker locker(m_csDecode, __FILE__, __LINE__);
  m_objDecoder->close();
  m_pDecodedPicture = nullptr;
  m_objJpeg.releaseJpegDecompress();
  m_pJpegRgb = nullptr;
  m_pCurPicture.reset();
  m_mapPending.clear();
  clearDecodeCallBackFunction();
  m_nCurrentTimestamp = -1;
  m_bNeedSps = false;
  m_pAdjustedPicture.reset();
  m_bYuvAdjustActive = false;
}

bool VideoFrameDecoder::decodeOneFrame() {
  std::unique_ptr<AVData> frame(m_input.takeFrame());
  if (!frame) return false;
  bool decoded = false;
  {
    KXMutexLocker locker(m_csDecode, __FILE__, __LINE__);
    switch (frame->getEncoderType()) {
      case kEncoderH264:
        decoded = decodeH264(*frame);
        break;
      case kEncoderMjpeg:
        decoded = decodeJPEG(*frame);
        break;
      default:
        platform::debugOutput("decodeAVData EncoderType err\n");
        break;
    }
    if (decoded && m_pCurPicture) {
      m_nCurrentFrameId = m_pCurPicture->getSequenceId();
      m_nCurrentTimestamp = m_pCurPicture->getTimeStamp();
    }
  }
  if (decoded) {
    m_log.printMessage(5, "decodeOneFrame success");
  } else {
    m_log.printMessage(2, "decodeOneFrame error !");
  }
  return decoded;
}

bool VideoFrameDecoder::reopenForNewSequence() {
  // The pictures of the old sequence come out first, then the decoder starts anew.
  drainDecoder();
  m_objDecoder->close();
  m_pDecodedPicture = nullptr;  // it pointed into the closed decoder
  m_mapPending.clear();
  if (m_objDecoder->open() != 0) {
    platform::debugOutput("------------------open Failed 2.1----------------------\n");
    m_bNeedSps = true;
    return false;
  }
  if (m_fnOnReopen) m_fnOnReopen();
  return true;
}

bool VideoFrameDecoder::decodeH264(const AVData& frame) {
  const auto* data = reinterpret_cast<const uint8_t*>(frame.getData());
  const int length = data != nullptr ? frame.getDataLength() : 0;
  int width = 0, height = 0;
  if (findSequenceParameterSet(data, length, &width, &height)) {
    if (!PictureSizeLimit::accepts(width, height)) {
      // Damaged data: nothing of that size is allocated; the frames up to the next good parameter
      // set are dropped, as after any decode error.
      m_log.printMessage(2, "decodeH264 picture size %dx%d refused", width, height);
      m_bNeedSps = true;
      return false;
    }
    if ((m_nPictureWidth != 0 && width != m_nPictureWidth) || (m_nPictureHeight != 0 && height != m_nPictureHeight) ||
        m_bNeedSps) {
      if (!reopenForNewSequence()) return false;
    }
    m_nPictureWidth = width;
    m_nPictureHeight = height;
    m_bNeedSps = false;
  }
  if (m_bNeedSps) {
    m_log.printMessage(3, "decodeH264 NeedFoundSPS");
    return false;
  }
  m_pDecodedPicture = nullptr;
  const int64_t token = ++m_nNextToken;
  AVData attributes;
  copyAttributes(frame, attributes);
  m_mapPending.emplace(token, attributes);
  while (!m_mapPending.empty() && m_mapPending.begin()->first <= token - kMaxPendingFrames) {
    m_mapPending.erase(m_mapPending.begin());
  }
  int result = baseDecodeH264(frame.getData(), length, token);
  const int pictures = result < 0 ? 0 : deliverPictures();
  if (pictures < 0) result = pictures;
  if (result < 0) {
    m_log.printMessage(2, "baseDecodeH264 err return %d", result);
    m_bNeedSps = true;
    return false;
  }
  if (pictures == 0) {
    m_log.printMessage(3, "decodeH264 do not get picture !");
    return false;
  }
  return true;
}

int VideoFrameDecoder::baseDecodeH264(const char* data, int size, int64_t token) {
  try {
    return m_objDecoder->decode(data, size, token);
  } catch (...) {
    platform::debugOutput("baseDecodeH264 EXCEPTION_EXECUTE_HANDLER\n");
    return kDecoderFault;
  }
}

int VideoFrameDecoder::guardedNextPicture(DecodedPicture** picture, int64_t* token) {
  try {
    return m_objDecoder->nextPicture(picture, token);
  } catch (...) {
    platform::debugOutput("baseDecodeH264 EXCEPTION_EXECUTE_HANDLER\n");
    *picture = nullptr;
    return kDecoderFault;
  }
}

int VideoFrameDecoder::deliverPictures() {
  int count = 0;
  for (;;) {
    DecodedPicture* picture = nullptr;
    int64_t token = 0;
    const int result = guardedNextPicture(&picture, &token);
    if (result < 0) return result;
    if (result == 0 || picture == nullptr) return count;
    presentPicture(picture, token);
    ++count;
  }
}

int VideoFrameDecoder::drainDecoder() {
  KXMutexLocker locker(m_csDecode, __FILE__, __LINE__);
  if (!m_objDecoder->isOpened()) return 0;
  const int result = baseDecodeH264(nullptr, 0, 0);
  const int pictures = result < 0 ? result : deliverPictures();
  m_mapPending.clear();
  if (pictures < 0) m_bNeedSps = true;
  return pictures;
}

void VideoFrameDecoder::presentPicture(DecodedPicture* picture, int64_t token) {
  m_pDecodedPicture = picture;
  if (!m_pCurPicture) m_pCurPicture = std::make_unique<AVData>();
  auto pending = m_mapPending.find(token);
  if (pending != m_mapPending.end()) {
    copyAttributes(pending->second, *m_pCurPicture);
    m_mapPending.erase(pending);
  }
  const int w = m_objDecoder->width(), h = m_objDecoder->height();
  m_pCurPicture->setImageWidth(w);
  m_pCurPicture->setImageHeight(h);
  m_nCurrentFrameId = m_pCurPicture->getSequenceId();
  m_nCurrentTimestamp = m_pCurPicture->getTimeStamp();
  // The callback lock is held from the adjustment on: with a callback set, an adjusted picture of
  // even size is written straight into the packed I420 buffer the callback gets, saving a copy.
  KXMutexLocker locker(m_csDecodeCallback, __FILE__, __LINE__);
  const bool packed = m_pfnDecode != nullptr && w > 0 && h > 0 && w % 2 == 0 && h % 2 == 0;
  adjustPicture(w, h, packed);
  callDecodeCallback(w, h);
}

char* VideoFrameDecoder::i420Buffer(int w, int h) {
  const size_t bufferSize = static_cast<size_t>(static_cast<long long>(w) * h * 1.5);
  if (m_objI420.size() != bufferSize) m_objI420.assign(bufferSize, 0);
  return m_objI420.data();
}

void VideoFrameDecoder::adjustPicture(int w, int h, bool intoI420) {
  if (m_objYuvParams.isNeutral()) {
    if (m_bYuvAdjustActive) {
      m_bYuvAdjustActive = false;
      m_log.printMessage(3, "end YUV pic adjust ...");
    }
    return;
  }
  if (!m_bYuvAdjustActive) {
    m_bYuvAdjustActive = true;
    m_log.printMessage(3, "start YUV pic adjust ...");
  }
  const DecodedPicture& in = *m_pDecodedPicture;
  DecodedPicture* target = nullptr;
  if (intoI420) {
    char* buffer = i420Buffer(w, h);
    const size_t luma = static_cast<size_t>(w) * h;
    m_objI420Planes.data[0] = reinterpret_cast<uint8_t*>(buffer);
    m_objI420Planes.data[1] = reinterpret_cast<uint8_t*>(buffer + luma);
    m_objI420Planes.data[2] = reinterpret_cast<uint8_t*>(buffer + luma + luma / 4);
    m_objI420Planes.linesize[0] = w;
    m_objI420Planes.linesize[1] = m_objI420Planes.linesize[2] = w / 2;
    target = &m_objI420Planes;
  } else {
    target = adjustedPlanes(w, h, in);
  }
  YuvPlanes source, output;
  for (int i = 0; i < 3; ++i) {
    const int rows = i == 0 ? h : h / 2;
    const int width = i == 0 ? w : w / 2;
    source.plane[i] = {in.data[i], in.linesize[i], rows, width};
    output.plane[i] = {target->data[i], target->linesize[i], rows, width};
  }
  PictureAdjustFilter::adjustYUVPicture(m_objYuvParams, &source, &output);
  m_pDecodedPicture = target;
}

DecodedPicture* VideoFrameDecoder::adjustedPlanes(int w, int h, const DecodedPicture& in) {
  // The planes follow the decoded picture's size and line sizes, whatever changed them.
  AdjustedPicture* out = m_pAdjustedPicture.get();
  if (out == nullptr || out->width != w || out->height != h ||
      std::memcmp(out->planes.linesize, in.linesize, sizeof(int) * 3) != 0) {
    m_pAdjustedPicture = std::make_unique<AdjustedPicture>();
    out = m_pAdjustedPicture.get();
    out->width = w;
    out->height = h;
    for (int i = 0; i < 3; ++i) {
      const int rows = i == 0 ? h : h / 2;
      out->buffer[i].assign(static_cast<size_t>(in.linesize[i]) * rows, 0);
      out->planes.data[i] = out->buffer[i].data();
      out->planes.linesize[i] = in.linesize[i];
    }
  }
  return &out->planes;
}

void VideoFrameDecoder::callDecodeCallback(int w, int h) {
  if (m_pfnDecode == nullptr || w <= 0 || h <= 0) return;
  const long long lumaSize = static_cast<long long>(w) * h;
  const long size = static_cast<long>(lumaSize + 2 * (lumaSize / 4));
  char* out = i420Buffer(w, h);
  if (m_pDecodedPicture == &m_objI420Planes) {
    callWithInfo(out, size, w, h);  // adjusted straight into the buffer
    return;
  }
  const DecodedPicture& picture = *m_pDecodedPicture;
  for (int r = 0; r < h; ++r) {
    std::memcpy(out + static_cast<size_t>(r) * w, picture.data[0] + static_cast<size_t>(r) * picture.linesize[0],
                static_cast<size_t>(w));
  }
  const size_t uOffset = static_cast<size_t>(lumaSize), vOffset = static_cast<size_t>(lumaSize + lumaSize / 4);
  for (int r = 0; r < h / 2; ++r) {
    const size_t at = static_cast<size_t>(r) * w / 2;
    std::memcpy(out + uOffset + at, picture.data[1] + static_cast<size_t>(r) * picture.linesize[1],
                static_cast<size_t>(w / 2));
    std::memcpy(out + vOffset + at, picture.data[2] + static_cast<size_t>(r) * picture.linesize[2],
                static_cast<size_t>(w / 2));
  }
  callWithInfo(out, size, w, h);
}

void VideoFrameDecoder::callWithInfo(const char* picture, long size, int w, int h) {
  FRAME_INFO info;
  info.width = w;
  info.height = h;
  info.timeStamp = static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(m_pCurPicture->getTimeStamp() / 90)));
  info.type = FRAME_TYPE_I420;
  info.frameRate = m_pCurPicture->getFrameRate();
  m_pfnDecode(m_nDecodePort, picture, size, &info, m_pDecodeUser);
}

bool VideoFrameDecoder::decodeJPEG(const AVData& frame) {
  const uint8_t* rgb = nullptr;
  int rgbLength = 0;
  if (!m_objJpeg.decodeJpegFrame(reinterpret_cast<const uint8_t*>(frame.getData()), frame.getDataLength(), &rgb,
                                 &rgbLength)) {
    // A frame that failed halfway may have freed or overwritten the pixels of the current picture:
    // only what the decoder still holds may be drawn or copied.
    m_pJpegRgb = m_objJpeg.picture();
    return false;
  }
  m_pJpegRgb = rgb;
  if (!m_pCurPicture) m_pCurPicture = std::make_unique<AVData>();
  copyAttributes(frame, *m_pCurPicture);
  m_pCurPicture->setImageWidth(m_objJpeg.width());
  m_pCurPicture->setImageHeight(m_objJpeg.height());
  return true;
}

void VideoFrameDecoder::setDecodeCallBack(long port, DecodeCallBack fn, void* user) {
  m_log.printMessage(3, "setDecodeCallBack %p", reinterpret_cast<void*>(fn));
  KXMutexLocker locker(m_csDecodeCallback, __FILE__, __LINE__);
  m_nDecodePort = port;
  m_pfnDecode = fn;
  m_pDecodeUser = user;
}

void VideoFrameDecoder::clearDecodeCallBackFunction() {
  KXMutexLocker locker(m_csDecodeCallback, __FILE__, __LINE__);
  m_pfnDecode = nullptr;
}

void VideoFrameDecoder::setYuvAdjustParams(const YuvAdjustParams& params) {
  KXMutexLocker locker(m_csDecode, __FILE__, __LINE__);
  m_objYuvParams = params;
}

void VideoFrameDecoder::copyAttributes(const AVData& from, AVData& to) {
  to.setStreamFormat(from.getStreamFormat());
  to.setESStreamType(from.getESStreamType());
  to.setBitRate(from.getBitRate());
  to.setCameraNo(from.getCameraNo());
  to.setEncoderType(from.getEncoderType());
  to.setFrameType(from.getFrameType());
  to.setFrameRate(from.getFrameRate());
  to.setImageFormatId(from.getImageFormatId());
  to.setSequenceId(from.getSequenceId());
  to.setTimeStamp(from.getTimeStamp());
  to.setVideoSystem(from.getVideoSystem());
  to.setImageWidth(from.getImageWidth());
  to.setImageHeight(from.getImageHeight());
}
