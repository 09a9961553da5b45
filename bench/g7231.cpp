// G.723.1 speed next to libavcodec's g723_1 decoder and encoder on the same signal, in the same
// run: the speech vector of the tests (8 s), repeated to the asked length. Figures are seconds of
// 8000 Hz audio coded per second of wall time (best of five runs), and the ratio ours /
// libavcodec (goal: at least 1 for decoding). Decoding goes one 24-byte frame per call, as the audio player calls it.
//
// bench_g7231 [SECONDS] [PCM]: length of the signal (default 120 s) and the 16-bit mono PCM to
// repeat (default tests/fixtures/g7231/speech1.pcm).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "codec/G7231Codec.h"

namespace {

constexpr int kRate = 8000;
constexpr int kBlockBytes = 480;
constexpr int kFrameBytes = 24;

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

AVCodecContext* openContext(const AVCodec* codec, bool encoder) {
  if (codec == nullptr) return nullptr;
  AVCodecContext* context = avcodec_alloc_context3(codec);
  context->sample_rate = kRate;
  av_channel_layout_default(&context->ch_layout, 1);
  if (encoder) {
    context->sample_fmt = AV_SAMPLE_FMT_S16;
    context->bit_rate = 6300;
  }
  if (avcodec_open2(context, codec, nullptr) < 0) avcodec_free_context(&context);
  return context;
}

// libavcodec's encoder over the PCM, one 240-sample frame per call; returns the time and fills
// the stream.
double referenceEncode(const std::string& pcm, std::string& stream) {
  AVCodecContext* context = openContext(avcodec_find_encoder(AV_CODEC_ID_G723_1), true);
  if (context == nullptr) return -1;
  AVFrame* frame = av_frame_alloc();
  frame->nb_samples = kBlockBytes / 2;
  frame->format = AV_SAMPLE_FMT_S16;
  av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
  av_frame_get_buffer(frame, 0);
  AVPacket* packet = av_packet_alloc();
  stream.clear();
  const auto start = std::chrono::steady_clock::now();
  for (size_t pos = 0; pos + kBlockBytes <= pcm.size(); pos += kBlockBytes) {
    av_frame_make_writable(frame);
    std::memcpy(frame->data[0], pcm.data() + pos, kBlockBytes);
    if (avcodec_send_frame(context, frame) == 0)
      while (avcodec_receive_packet(context, packet) == 0) {
        stream.append(reinterpret_cast<const char*>(packet->data), static_cast<size_t>(packet->size));
        av_packet_unref(packet);
      }
  }
  const double elapsed = seconds(start);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&context);
  return elapsed;
}

double referenceDecode(const std::string& stream, size_t& samplesOut) {
  AVCodecContext* context = openContext(avcodec_find_decoder(AV_CODEC_ID_G723_1), false);
  if (context == nullptr) return -1;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  samplesOut = 0;
  const auto start = std::chrono::steady_clock::now();
  for (size_t pos = 0; pos + kFrameBytes <= stream.size(); pos += kFrameBytes) {
    av_new_packet(packet, kFrameBytes);
    std::memcpy(packet->data, stream.data() + pos, kFrameBytes);
    if (avcodec_send_packet(context, packet) == 0)
      while (avcodec_receive_frame(context, frame) == 0) samplesOut += static_cast<size_t>(frame->nb_samples);
    av_packet_unref(packet);
  }
  const double elapsed = seconds(start);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return elapsed;
}

double oursEncode(const std::string& pcm, std::string& stream) {
  G7231Codec codec;
  stream.assign(pcm.size() / kBlockBytes * kFrameBytes, '\0');
  size_t written = 0;
  const auto start = std::chrono::steady_clock::now();
  for (size_t pos = 0; pos + kBlockBytes <= pcm.size(); pos += kBlockBytes) {
    int outLen = kFrameBytes;
    if (codec.encode(pcm.data() + pos, kBlockBytes, stream.data() + written, outLen)) written += static_cast<size_t>(outLen);
  }
  const double elapsed = seconds(start);
  stream.resize(written);
  return elapsed;
}

double oursDecode(const std::string& stream, size_t& samplesOut) {
  G7231Codec codec;
  char pcm[kBlockBytes];
  samplesOut = 0;
  const auto start = std::chrono::steady_clock::now();
  for (size_t pos = 0; pos + kFrameBytes <= stream.size(); pos += kFrameBytes) {
    int outLen = kBlockBytes;
    if (codec.decode(stream.data() + pos, kFrameBytes, pcm, outLen)) samplesOut += static_cast<size_t>(outLen / 2);
  }
  return seconds(start);
}

void report(const char* what, double audioSeconds, double ours, double reference) {
  std::printf("%-16s ours %7.0f x real time", what, audioSeconds / ours);
  if (reference > 0)
    std::printf("   libavcodec g723_1 %7.0f x real time   ours/libavcodec %.2f\n", audioSeconds / reference,
                reference / ours);
  else
    std::printf("   libavcodec g723_1: not available\n");
}

}  // namespace

int main(int argc, char** argv) {
  const int audioSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 120;
  const std::string path = argc > 2 ? argv[2] : std::string(KX_SOURCE_DIR) + "/tests/fixtures/g7231/speech1.pcm";
  std::ifstream file(path, std::ios::binary);
  const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (source.size() < kBlockBytes) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  const size_t wanted = static_cast<size_t>(audioSeconds) * kRate * 2 / kBlockBytes * kBlockBytes;
  std::string pcm;
  while (pcm.size() < wanted) pcm.append(source, 0, std::min(source.size() / kBlockBytes * kBlockBytes, wanted - pcm.size()));
  const double length = static_cast<double>(pcm.size()) / (2.0 * kRate);
  std::printf("G.723.1 6.3 kbit/s, %.0f s of 8000 Hz speech (%s repeated)\n", length, path.c_str());

  // Each measurement runs several times, alternating ours and libavcodec, and the fastest run
  // counts: on a shared machine that is the figure least disturbed by other load.
  constexpr int kRounds = 5;
  std::string ours;
  std::string theirs;
  size_t oursSamples = 0;
  size_t referenceSamples = 0;
  double oursEncodeTime = 1e9, referenceEncodeTime = 1e9, oursDecodeTime = 1e9, referenceDecodeTime = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    oursEncodeTime = std::min(oursEncodeTime, oursEncode(pcm, ours));
    referenceEncodeTime = std::min(referenceEncodeTime, referenceEncode(pcm, theirs));
    // Both decoders get our stream (libavcodec decodes it bit-exactly too).
    oursDecodeTime = std::min(oursDecodeTime, oursDecode(ours, oursSamples));
    referenceDecodeTime = std::min(referenceDecodeTime, referenceDecode(ours, referenceSamples));
  }
  report("encode", length, oursEncodeTime, referenceEncodeTime);
  report("decode", length, oursDecodeTime, referenceDecodeTime);
  std::printf("frames %zu (ours) / %zu (libavcodec encoder); samples decoded %zu (ours) / %zu (libavcodec)\n",
              ours.size() / kFrameBytes, theirs.size() / kFrameBytes, oursSamples, referenceSamples);
  return 0;
}
