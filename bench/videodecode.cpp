// Frames per second of the video player's decoding path (push into the input queue, decodeOneFrame
// with H.264 decoding, YUV adjustment and the packed I420 decode callback) on a 1080p stream, next to
// a plain libavcodec decode loop over the same access units in the same run.
//   bench_videodecode [stream.h264]   (default: the large 1080p fixture of make-fixtures.sh --large)
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "bench/PlainH264Decode.h"
#include "media/AVData.h"
#include "player/PlayerDebugLog.h"
#include "player/decode/H264Decoder.h"
#include "player/decode/VideoFrameDecoder.h"
#include "player/decode/VideoFrameInput.h"
#include "tests/player/H264Fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The outside reference: send every access unit, receive every picture, drain at the end.
long countPicture(long, const char* picture, long size, FRAME_INFO*, void* user) {
  // Touch the picture as a caller would (its first and last byte).
  auto* sum = static_cast<long*>(user);
  *sum += 1 + (picture[0] & 0) + (picture[size - 1] & 0);
  return 0;
}

int playerDecodeLoop(const std::vector<kxh264::AccessUnit>& units, bool adjust, double* elapsed) {
  PlayerDebugLog log;
  VideoFrameInput input(log);
  VideoFrameDecoder decoder(log, input, std::make_unique<H264Decoder>());
  input.setOpened(true);
  input.setUseTimestampForVideo(false);
  decoder.open();
  long pictures = 0;
  decoder.setDecodeCallBack(1, countPicture, &pictures);
  if (adjust) {
    YuvAdjustParams params;
    params.brightness = 1.1;
    params.contrast = 1.2;
    params.saturation = 1.3;
    params.hue = 10;
    decoder.setYuvAdjustParams(params);
  }
  std::vector<AVData> frames(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    frames[i].setData(units[i].data.data(), static_cast<unsigned>(units[i].data.size()));
    frames[i].setEncoderType(1);
    frames[i].setESStreamType(1);
    frames[i].setFrameType(units[i].key ? 1 : 2);
    frames[i].setSequenceId(static_cast<uint32_t>(i + 1));
    frames[i].setTimeStamp(static_cast<int64_t>(i) * 40000);
    frames[i].setFrameRate(25);
  }
  const Clock::time_point start = Clock::now();
  for (const AVData& frame : frames) {
    input.pushVideoFrame(frame);
    decoder.decodeOneFrame();
  }
  decoder.drainDecoder();
  *elapsed = seconds(start);
  return static_cast<int>(pictures);
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : std::string(KX_BENCH_FIXTURES) + "/h264_high_bframes_large_1920x1080_gop50.h264";
  std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(path);
  if (units.empty()) {
    std::fprintf(stderr, "no access units in %s (write it with scripts/make-fixtures.sh OUT --large)\n", path.c_str());
    return 1;
  }
  std::printf("stream: %s, %zu access units\n", path.c_str(), units.size());
  double bestPlain = 1e9, bestPlayer = 1e9, bestNeutral = 1e9;
  int plainPictures = 0, playerPictures = 0, neutralPictures = 0;
  for (int round = 0; round < 3; ++round) {
    double t = 0;
    plainPictures = kxbench::plainDecode(units, units.size(), &t);
    bestPlain = std::min(bestPlain, t);
    playerPictures = playerDecodeLoop(units, true, &t);
    bestPlayer = std::min(bestPlayer, t);
    neutralPictures = playerDecodeLoop(units, false, &t);
    bestNeutral = std::min(bestNeutral, t);
  }
  const double plainFps = plainPictures / bestPlain;
  const double playerFps = playerPictures / bestPlayer;
  const double neutralFps = neutralPictures / bestNeutral;
  std::printf("plain libavcodec decode loop:                         %8.1f frames/s (%d pictures)\n", plainFps,
              plainPictures);
  std::printf("push + decode + YUV adjustment + I420 callback:       %8.1f frames/s (%d pictures)  ratio %.3f\n",
              playerFps, playerPictures, playerFps / plainFps);
  std::printf("push + decode + I420 callback (neutral adjustment):   %8.1f frames/s (%d pictures)  ratio %.3f\n",
              neutralFps, neutralPictures, neutralFps / plainFps);
  return playerPictures == plainPictures && neutralPictures == plainPictures ? 0 : 2;
}
