// Decoding speed of the audio codecs next to libavcodec's decoders of the same streams (the
// reference): G.711 A-law and mu-law in 160-byte frames against pcm_alaw / pcm_mulaw, AMR-NB MR67
// frames against libavcodec's amrnb decoder. Figures are seconds of 8000 Hz audio decoded per
// second of CPU time, and the ratio ours / reference. AMR encoding has no reference in Debian's
// libavcodec and is printed alone.
//
// bench_audio_codecs [SECONDS]: length of the synthetic signal (default 600 s of audio).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "codec/AMRCodec.h"
#include "codec/G711_ALAW_Codec.h"
#include "codec/G711_ULAW_Codec.h"

namespace {

constexpr int kRate = 8000;

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Speech-like test signal: a few gliding partials under a syllable envelope, with some noise.
std::vector<int16_t> signal(int audioSeconds) {
  std::mt19937 random(11);
  std::normal_distribution<double> noise(0.0, 300.0);
  std::vector<int16_t> samples(static_cast<size_t>(audioSeconds) * kRate);
  for (size_t i = 0; i < samples.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double pitch = 140.0 + 30.0 * std::sin(2 * M_PI * 0.7 * t);
    const double envelope = 0.5 + 0.5 * std::sin(2 * M_PI * 3.0 * t);
    double v = 0;
    for (int h = 1; h <= 6; ++h) v += std::sin(2 * M_PI * pitch * h * t) / h;
    samples[i] = static_cast<int16_t>(std::lround(std::clamp(6000.0 * envelope * v + noise(random), -32768.0, 32767.0)));
  }
  return samples;
}

// Decodes frames (one packet each) with a libavcodec decoder; returns the CPU-side wall time.
double referenceDecode(AVCodecID id, const std::vector<std::string>& frames, size_t& samplesOut) {
  const AVCodec* decoder = avcodec_find_decoder(id);
  if (decoder == nullptr) return -1;
  AVCodecContext* context = avcodec_alloc_context3(decoder);
  context->sample_rate = kRate;
  av_channel_layout_default(&context->ch_layout, 1);
  if (avcodec_open2(context, decoder, nullptr) < 0) return -1;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  samplesOut = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& bytes : frames) {
    av_new_packet(packet, static_cast<int>(bytes.size()));
    std::memcpy(packet->data, bytes.data(), bytes.size());
    if (avcodec_send_packet(context, packet) == 0) {
      while (avcodec_receive_frame(context, frame) == 0) samplesOut += static_cast<size_t>(frame->nb_samples);
    }
    av_packet_unref(packet);
  }
  const double elapsed = seconds(start);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return elapsed;
}

double oursDecode(AudioCodec& codec, const std::vector<std::string>& frames, size_t& samplesOut) {
  std::vector<char> pcm(102400);
  samplesOut = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& bytes : frames) {
    int outLen = static_cast<int>(pcm.size());
    if (codec.decode(bytes.data(), static_cast<int>(bytes.size()), pcm.data(), outLen)) samplesOut += outLen / 2;
  }
  return seconds(start);
}

void report(const char* name, double audioSeconds, double ours, size_t oursSamples, double reference,
            size_t referenceSamples) {
  std::printf("%-14s ours %9.0f x real time (%zu samples)", name, audioSeconds / ours, oursSamples);
  if (reference > 0) {
    std::printf("   libavcodec %9.0f x real time (%zu samples)   ours/reference %.2f\n", audioSeconds / reference,
                referenceSamples, reference / ours);
  } else {
    std::printf("   libavcodec: no decoder\n");
  }
}

std::vector<std::string> cut(const std::string& bytes, size_t frameSize) {
  std::vector<std::string> frames;
  for (size_t pos = 0; pos + frameSize <= bytes.size(); pos += frameSize) frames.push_back(bytes.substr(pos, frameSize));
  return frames;
}

}  // namespace

int main(int argc, char** argv) {
  const int audioSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
  const std::vector<int16_t> samples = signal(audioSeconds);
  std::string pcm(samples.size() * 2, '\0');
  std::memcpy(pcm.data(), samples.data(), pcm.size());
  std::printf("%d s of 8000 Hz speech-like signal\n", audioSeconds);

  struct Law {
    const char* name;
    AudioCodec* codec;
    AVCodecID reference;
  };
  G711_ALAW_Codec alaw;
  G711_ULAW_Codec ulaw;
  for (const Law& law : {Law{"G.711 A-law", &alaw, AV_CODEC_ID_PCM_ALAW}, Law{"G.711 mu-law", &ulaw, AV_CODEC_ID_PCM_MULAW}}) {
    std::string codes(samples.size(), '\0');
    int outLen = static_cast<int>(codes.size());
    law.codec->encode(pcm.data(), static_cast<int>(pcm.size()), codes.data(), outLen);
    const std::vector<std::string> frames = cut(codes, 160);
    size_t oursSamples = 0, referenceSamples = 0;
    const double ours = oursDecode(*law.codec, frames, oursSamples);
    const double reference = referenceDecode(law.reference, frames, referenceSamples);
    report(law.name, audioSeconds, ours, oursSamples, reference, referenceSamples);
  }

  AMRCodec encoder;
  std::string coded(pcm.size() / AMRCodec::kPcmBlockBytes * AMRCodec::kFrameBytes, '\0');
  int codedLen = static_cast<int>(coded.size());
  const auto encodeStart = std::chrono::steady_clock::now();
  encoder.encode(pcm.data(), static_cast<int>(pcm.size()), coded.data(), codedLen);
  const double encodeTime = seconds(encodeStart);
  std::printf("%-14s ours %9.0f x real time (%d bytes)   libavcodec: no encoder\n", "AMR encode", audioSeconds / encodeTime,
              codedLen);
  AMRCodec decoder;
  const std::vector<std::string> frames = cut(coded.substr(0, static_cast<size_t>(codedLen)), AMRCodec::kFrameBytes);
  size_t oursSamples = 0, referenceSamples = 0;
  const double ours = oursDecode(decoder, frames, oursSamples);
  const double reference = referenceDecode(AV_CODEC_ID_AMR_NB, frames, referenceSamples);
  report("AMR decode", audioSeconds, ours, oursSamples, reference, referenceSamples);
  return 0;
}
