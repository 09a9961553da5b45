// Push-to-draw latency of one live player (704x576 25 fps H.264 into a 352x288 offscreen window of the
// memory display) for maximum delays of 0, 100, 300 and 1000 ms. Frames arrive 40 ms apart with a
// uniform jitter of +-20 ms; once, after a third of the run, the feed stalls for 500 ms and the held
// frames arrive in a burst. From the blit log it prints p50/p95/p99/max latency, the recovery time
// after the burst (until the frames are drawn within the maximum delay + 40 ms for 5 s), and p99 in
// the first and the last minute (or tenth) of the run, to show the delay does not grow. The outside
// reference measured in the same run is libavcodec's own decode time of a frame of this stream
// (latency can be no better than that).
//   bench_livelatency [seconds (default 30; 600 for the ten-minute run)] [max delays, e.g. 0,100]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "LiveStreamRig.h"

namespace {

constexpr int64_t kFrameUs = 40000;
constexpr int64_t kJitterUs = 20000;
constexpr int64_t kStallUs = 500000;
constexpr int64_t kSettledUs = 5000000;

// Mean libavcodec decode time of one frame of the stream, in ms.
double plainDecodeMs(const std::vector<kxh264::AccessUnit>& units) {
  kxbench::PlainH264Decoder decoder(units);
  const auto start = std::chrono::steady_clock::now();
  decoder.decodeAll();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return ms / static_cast<double>(decoder.units());
}

void runDelay(unsigned maxDelayMs, double seconds, const std::vector<kxh264::AccessUnit>& units) {
  platform::MemoryDisplay::instance().reset();
  kxbench::LivePlayerUnderTest live(352, 288, maxDelayMs);
  std::mt19937 random(maxDelayMs + 7);
  std::uniform_int_distribution<int64_t> jitter(-kJitterUs, kJitterUs);
  const int frames = static_cast<int>(seconds * 25);
  const int stallAt = frames / 3;
  const int64_t start = getMicroSeconds() + 100000;
  int64_t burstTime = 0;
  for (int i = 0; i < frames; ++i) {
    int64_t arrival = start + i * kFrameUs + jitter(random);
    const int64_t stallEnd = start + stallAt * kFrameUs + kStallUs;
    if (i >= stallAt && arrival < stallEnd) arrival = stallEnd;  // held back, then all at once
    const int64_t wait = arrival - getMicroSeconds();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
    if (i == stallAt) burstTime = getMicroSeconds();
    // A refused frame (queue full) is offered again shortly, as the live player does.
    while (!live.push(units[static_cast<size_t>(i) % units.size()], i)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(maxDelayMs + 500));
  const auto drawn = live.drawnFrames(platform::MemoryDisplay::instance().blitLog());
  std::vector<double> latency, first, last;
  const double part = std::min(60.0, seconds / 10) * 1e6;
  int64_t recovered = burstTime;
  const double limitMs = maxDelayMs + 40.0;
  for (const auto& [drawTime, pushTime] : drawn) {
    const double ms = (drawTime - pushTime) / 1000.0;
    latency.push_back(ms);
    if (pushTime - start < part) first.push_back(ms);
    if (pushTime - start > seconds * 1e6 - part) last.push_back(ms);
    // Recovered at the first frame after the burst from which 5 s of frames are all within the limit.
    if (pushTime >= burstTime && ms > limitMs && drawTime - recovered < kSettledUs) recovered = drawTime;
  }
  // The same outside the stall and the recovery from its burst.
  std::vector<double> steady;
  for (const auto& [drawTime, pushTime] : drawn) {
    if (pushTime < burstTime - kStallUs || pushTime > recovered) steady.push_back((drawTime - pushTime) / 1000.0);
  }
  std::printf("max delay %4u ms: %zu of %d frames drawn; latency p50 %.1f p95 %.1f p99 %.1f max %.1f ms; "
              "outside stall and recovery p99 %.1f max %.1f ms (goal p99 <= %.0f); recovery after the burst %.0f ms; "
              "p99 first %.0f s %.1f ms, last %.0f s %.1f ms\n",
              maxDelayMs, drawn.size(), frames, kxbench::percentile(latency, 50), kxbench::percentile(latency, 95),
              kxbench::percentile(latency, 99), kxbench::percentile(latency, 100), kxbench::percentile(steady, 99),
              kxbench::percentile(steady, 100), limitMs, (recovered - burstTime) / 1000.0, part / 1e6,
              kxbench::percentile(first, 99), part / 1e6, kxbench::percentile(last, 99));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
  std::vector<unsigned> delays = {0, 100, 300, 1000};
  if (argc > 2) {
    delays.clear();
    std::stringstream list(argv[2]);
    std::string item;
    while (std::getline(list, item, ',')) delays.push_back(static_cast<unsigned>(std::atoi(item.c_str())));
  }
  const std::string path = kxbench::liveStream704x576(10);
  if (path.empty()) {
    std::fprintf(stderr, "ffmpeg could not make the 704x576 stream\n");
    return 1;
  }
  const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(path);
  std::printf("reference: libavcodec decodes a frame of this stream in %.2f ms\n", plainDecodeMs(units));
  for (unsigned delay : delays) runDelay(delay, seconds, units);
  return 0;
}
