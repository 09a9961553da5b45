#include "player/decode/H264Decoder.h"

#include <cstdio>
#include <mutex>

#include "technic/GlobalMutexes.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "platform/DebugOutput.h"
#include "player/decode/PictureSizeLimit.h"

static_assert(H264Decoder::kInputPadding >= AV_INPUT_BUFFER_PADDING_SIZE, "padding below libavcodec's");

namespace {

bool isPlanar420(int format) { return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P; }

}  // namespace

H264Decoder::~H264Decoder() { close(); }

int H264Decoder::open() {
  std::lock_guard<platform::Mutex> lock(gAvcodecMutex);
  if (m_bOpened) return 0;
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
  if (codec == nullptr) {
    std::fprintf(stderr, "codec not found\n");
    return -1;
  }
  m_pContext = avcodec_alloc_context3(codec);
  m_pFrame = av_frame_alloc();
  m_pPacket = av_packet_alloc();
  if (m_pContext != nullptr) {
    // One thread: every picture comes out as soon as the stream's reordering allows, with no
    // frame-threading delay (live sources are paced by their arrival).
    m_pContext->thread_count = 1;
    // A damaged parameter set may claim any size: libavcodec refuses pictures no camera makes
    // instead of allocating them.
    m_pContext->max_pixels = PictureSizeLimit::kMaxPixels;
  }
  if (m_pContext == nullptr || m_pFrame == nullptr || m_pPacket == nullptr ||
      avcodec_open2(m_pContext, codec, nullptr) < 0) {
    std::fprintf(stderr, "could not open codec\n");
    avcodec_free_context(&m_pContext);
    av_frame_free(&m_pFrame);
    av_packet_free(&m_pPacket);
    return -1;
  }
  m_bDraining = false;
  m_bOpened = true;
  return 0;
}

void H264Decoder::close() {
  std::lock_guard<platform::Mutex> lock(gAvcodecMutex);
  if (!m_bOpened) return;
  m_bOpened = false;
  avcodec_free_context(&m_pContext);
  av_frame_free(&m_pFrame);
  av_packet_free(&m_pPacket);
  av_frame_free(&m_pConverted);
  sws_freeContext(m_pConvert);
  m_pConvert = nullptr;
  m_objPicture = DecodedPicture();
  std::fputs("\n", stdout);  // a closed decoder ends its line of the console log
}

int H264Decoder::decode(const char* data, int size, int64_t token) {
  if (!m_bOpened) return AVERROR(EINVAL);
  if (m_bDraining) {
    // The last end of stream has been given out: start afresh for a new stream.
    avcodec_flush_buffers(m_pContext);
    m_bDraining = false;
  }
  int result = 0;
  if (data == nullptr || size <= 0) {
    m_bDraining = true;
    result = avcodec_send_packet(m_pContext, nullptr);
  } else {
    av_packet_unref(m_pPacket);
    m_pPacket->data = reinterpret_cast<uint8_t*>(const_cast<char*>(data));
    m_pPacket->size = size;
    m_pPacket->pts = token;
    m_pPacket->dts = AV_NOPTS_VALUE;
    result = avcodec_send_packet(m_pContext, m_pPacket);
    m_pPacket->data = nullptr;
    m_pPacket->size = 0;
  }
  if (result == AVERROR_EOF) result = 0;
  if (result < 0) std::fprintf(stderr, "Error while decoding frame %d\n", 0);
  return result;
}

int H264Decoder::nextPicture(DecodedPicture** picture, int64_t* token) {
  if (picture != nullptr) *picture = nullptr;
  if (!m_bOpened) return 0;
  for (;;) {
    const int result = avcodec_receive_frame(m_pContext, m_pFrame);
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return 0;
    if (result < 0) return result;
    if (!exposeFrame()) continue;  // a picture that cannot be shown is dropped, never misread
    if (token != nullptr) *token = m_pFrame->pts;
    if (picture != nullptr) *picture = &m_objPicture;
    return 1;
  }
}

bool H264Decoder::exposeFrame() {
  const int w = m_pFrame->width, h = m_pFrame->height;
  if (isPlanar420(m_pFrame->format)) {
    for (int i = 0; i < 3; ++i) {
      m_objPicture.data[i] = m_pFrame->data[i];
      m_objPicture.linesize[i] = m_pFrame->linesize[i];
    }
  } else {
    const AVPixelFormat from = static_cast<AVPixelFormat>(m_pFrame->format);
    // Bicubic, as ffmpeg itself converts by default.
    m_pConvert = sws_getCachedContext(m_pConvert, w, h, from, w, h, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
                                      nullptr, nullptr);
    if (m_pConvert == nullptr) {
      const char* name = av_get_pix_fmt_name(from);
      platform::debugOutputFormat("H264Decoder: picture format %s cannot be converted to 4:2:0, dropped\n",
                                  name != nullptr ? name : "unknown");
      return false;
    }
    if (m_pConverted == nullptr || m_pConverted->width != w || m_pConverted->height != h) {
      av_frame_free(&m_pConverted);
      m_pConverted = av_frame_alloc();
      if (m_pConverted == nullptr) return false;
      m_pConverted->format = AV_PIX_FMT_YUV420P;
      m_pConverted->width = w;
      m_pConverted->height = h;
      if (av_frame_get_buffer(m_pConverted, 0) < 0) {
        av_frame_free(&m_pConverted);
        return false;
      }
    }
    sws_scale(m_pConvert, m_pFrame->data, m_pFrame->linesize, 0, h, m_pConverted->data, m_pConverted->linesize);
    for (int i = 0; i < 3; ++i) {
      m_objPicture.data[i] = m_pConverted->data[i];
      m_objPicture.linesize[i] = m_pConverted->linesize[i];
    }
  }
  m_objPicture.data[3] = nullptr;
  m_objPicture.linesize[3] = 0;
  m_nWidth = w;
  m_nHeight = h;
  return true;
}
