#pragma once
// The outside reference of the playback benchmarks: a plain libavcodec loop (one thread) that sends
// access units and receives every picture, draining at the end.
#include <chrono>
#include <cstdint>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "tests/player/H264Fixture.h"

namespace kxbench {

// Decodes the first count access units; the pictures received, and the decoding time in seconds
// (the set-up of the decoder and of the padded copies not counted).
inline int plainDecode(const std::vector<kxh264::AccessUnit>& units, size_t count, double* seconds) {
  count = std::min(count, units.size());
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  context->thread_count = 1;
  avcodec_open2(context, codec, nullptr);
  AVFrame* frame = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  std::vector<std::vector<uint8_t>> padded;
  for (size_t i = 0; i < count; ++i) {
    padded.emplace_back(units[i].data.begin(), units[i].data.end());
    padded.back().resize(units[i].data.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  }
  int pictures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (size_t i = 0; i <= count; ++i) {
    if (i < count) {
      packet->data = padded[i].data();
      packet->size = static_cast<int>(units[i].data.size());
      avcodec_send_packet(context, packet);
    } else {
      avcodec_send_packet(context, nullptr);
    }
    while (avcodec_receive_frame(context, frame) == 0) ++pictures;
  }
  *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&context);
  return pictures;
}

}  // namespace kxbench
