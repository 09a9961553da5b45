// How many live 704x576 25 fps H.264 streams the decoder pool keeps playing: N players, each drawing
// into a 352x288 offscreen window of the memory display, are fed their stream in real time (zero
// buffer delay: each frame is due as it arrives). After a first second of warm-up, N passes when every player draws at least 24.5
// frames/s and the 95th percentile of its lateness (draw time - push time) is at most 40 ms. Printed
// next to the ideal measured in the same run: plain libavcodec decoding of the same stream on one
// thread per processor, in frames/s divided by 25. The figure is N / ideal.
//   bench_decoderpool [seconds per trial (default 6)]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "LiveStreamRig.h"
#include "platform/System.h"
#include "player/DecoderManager.h"

namespace {

// Frames per second that one thread decodes with libavcodec alone, looping over the stream for the
// given time; every processor runs one such thread at once.
double plainDecodeFps(const std::vector<kxh264::AccessUnit>& units, double seconds) {
  const int threads = platform::processorCount();
  std::atomic<long> pictures{0};
  std::vector<std::thread> workers;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      kxbench::PlainH264Decoder decoder(units);
      long count = 0;
      while (std::chrono::steady_clock::now() < end) count += decoder.decodeAll();
      pictures.fetch_add(count);
    });
  }
  for (auto& worker : workers) worker.join();
  return static_cast<double>(pictures.load()) / seconds;
}

constexpr int64_t kWarmUpUs = 1000000;

struct Trial {
  bool pass = false;
  double worstFps = 0;
  double worstP95Ms = 0;
};

Trial runTrial(int n, const std::vector<kxh264::AccessUnit>& units, double seconds) {
  platform::MemoryDisplay::instance().reset();
  std::vector<std::unique_ptr<kxbench::LivePlayerUnderTest>> players;
  for (int i = 0; i < n; ++i) players.push_back(std::make_unique<kxbench::LivePlayerUnderTest>(352, 288, 0));
  const int frames = static_cast<int>(seconds * 25);
  const int64_t start = getMicroSeconds() + 100000;
  // One pusher: player p's frame i arrives at start + i * 40 ms + p * 40 ms / n (phases spread).
  std::vector<int> next(static_cast<size_t>(n), 0);
  for (;;) {
    int64_t earliest = INT64_MAX;
    int who = -1;
    for (int p = 0; p < n; ++p) {
      if (next[static_cast<size_t>(p)] >= frames) continue;
      const int64_t due = start + next[static_cast<size_t>(p)] * 40000LL + p * 40000LL / n;
      if (due < earliest) {
        earliest = due;
        who = p;
      }
    }
    if (who < 0) break;
    const int64_t wait = earliest - getMicroSeconds();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
    const int i = next[static_cast<size_t>(who)]++;
    players[static_cast<size_t>(who)]->push(units[static_cast<size_t>(i) % units.size()], i);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::vector<platform::BlitRecord> blits = platform::MemoryDisplay::instance().blitLog();
  Trial trial;
  trial.pass = true;
  trial.worstFps = 1e9;
  for (auto& player : players) {
    const auto drawn = player->drawnFrames(blits);
    std::vector<double> lateness;
    // The first second (renderers being made, the decoder's first sequence) is left out of both.
    int counted = 0;
    for (const auto& [drawTime, pushTime] : drawn) {
      if (pushTime < start + kWarmUpUs) continue;
      lateness.push_back((drawTime - pushTime) / 1000.0);
      ++counted;
    }
    const double fps = static_cast<double>(counted) / (seconds - kWarmUpUs / 1e6);
    const double p95 = kxbench::percentile(lateness, 95);
    trial.worstFps = std::min(trial.worstFps, fps);
    trial.worstP95Ms = std::max(trial.worstP95Ms, p95);
    if (fps < 24.5 || p95 > 40) trial.pass = false;
  }
  players.clear();
  return trial;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 6.0;
  const std::string path = kxbench::liveStream704x576(10);
  if (path.empty()) {
    std::fprintf(stderr, "ffmpeg could not make the 704x576 stream\n");
    return 1;
  }
  const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(path);
  const double plainFps = plainDecodeFps(units, 3.0);
  const double ideal = plainFps / 25.0;
  std::printf("processors %d, decoder threads %d\n", platform::processorCount(), DecoderManager::threadCountFor(0));
  std::printf("ideal (plain libavcodec, one thread per processor): %.0f frames/s = %.1f streams\n", plainFps, ideal);

  // Doubling, then halving the interval between the last pass and the first failure.
  int good = 0, bad = 0;
  for (int n = 1; bad == 0; n *= 2) {
    const Trial trial = runTrial(n, units, seconds);
    std::printf("  N %3d: worst %.2f frames/s, worst p95 lateness %.1f ms: %s\n", n, trial.worstFps,
                trial.worstP95Ms, trial.pass ? "pass" : "fail");
    if (trial.pass) {
      good = n;
    } else {
      bad = n;
    }
    if (n > 4 * ideal + 8) break;
  }
  while (bad > good + 1) {
    const int n = (good + bad) / 2;
    const Trial trial = runTrial(n, units, seconds);
    std::printf("  N %3d: worst %.2f frames/s, worst p95 lateness %.1f ms: %s\n", n, trial.worstFps,
                trial.worstP95Ms, trial.pass ? "pass" : "fail");
    (trial.pass ? good : bad) = n;
  }
  std::printf("largest N: %d; N / ideal = %.2f (goal 0.7)\n", good, ideal > 0 ? good / ideal : 0.0);
  return 0;
}
