// Playback speed of the file player: the achieved rate at 1/4, 1, 4 and 16 times normal speed on a
// 704 x 576, 25 fps recording, measured over at least 10 s of content each (content time advanced by
// the decoded pictures / wall time), next to the asked rate; and, as the ceiling, the frames per
// second of a plain libavcodec decode loop over the same stream in the same run.
//
//   bench_fileplay_speed [FOLDER]   (default: the generated-fixtures folder)
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "bench/PlainH264Decode.h"
#include "platform/OffscreenWindows.h"
#include "player/file/FilePlayer.h"
#include "support/RecordingPlan.h"
#include "support/RecordingWriter.h"
#include "support/TestPaths.h"
#include "tests/player/H264Fixture.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kMeasuredContentSeconds = 10.0;
constexpr double kWarmUpContentSeconds = 1.0;

struct Sample {
  int64_t contentMicroseconds;
  Clock::time_point wall;
};

struct Samples {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<Sample> seen;
};

long onPicture(long, const char*, long, FRAME_INFO* info, void* user) {
  auto* samples = static_cast<Samples*>(user);
  std::lock_guard<std::mutex> lock(samples->lock);
  samples->seen.push_back({static_cast<int64_t>(info->timeStamp) * 90, Clock::now()});
  samples->changed.notify_all();
  return 0;
}

// Plays from the start at the rate until enough content has been shown; the achieved rate.
double measure(FilePlayer& player, Samples& samples, float rate) {
  {
    std::lock_guard<std::mutex> lock(samples.lock);
    samples.seen.clear();
  }
  player.setCurrentFrameNum(1);
  player.setRate(rate);
  const double wanted = kWarmUpContentSeconds + kMeasuredContentSeconds;
  std::unique_lock<std::mutex> lock(samples.lock);
  const bool enough = samples.changed.wait_for(lock, std::chrono::seconds(120), [&] {
    return samples.seen.size() > 2 &&
           (samples.seen.back().contentMicroseconds - samples.seen.front().contentMicroseconds) / 1e6 >= wanted;
  });
  if (!enough) return -1;
  // From the first picture after the warm-up to the last.
  const int64_t from = samples.seen.front().contentMicroseconds + static_cast<int64_t>(kWarmUpContentSeconds * 1e6);
  auto first = std::find_if(samples.seen.begin(), samples.seen.end(),
                            [&](const Sample& s) { return s.contentMicroseconds >= from; });
  const Sample& last = samples.seen.back();
  const double content = (last.contentMicroseconds - first->contentMicroseconds) / 1e6;
  const double wall = std::chrono::duration<double>(last.wall - first->wall).count();
  return content / wall;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : std::string(KX_BENCH_FIXTURES);
  std::filesystem::create_directories(folder);
  const std::string h264 = folder + "/speedbench_704x576_gop50.h264";
  if (kxtest::readFile(h264).empty()) {
    kxtest::runCommand("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=704x576:rate=25 -frames:v 375 "
                       "-vf noise=alls=4:allf=t -c:v libx264 -profile:v main -bf 0 -g 50 -keyint_min 50 "
                       "-sc_threshold 0 -preset ultrafast -crf 26 -f h264 '" + h264 + "'");
  }
  const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(h264);
  if (units.size() != 375) {
    std::fprintf(stderr, "cannot make %s (ffmpeg with libx264 needed)\n", h264.c_str());
    return 1;
  }
  kxtest::RecordingPlan::Content content;
  for (const auto& unit : units) {
    content.videoUnits.emplace_back(unit.data.begin(), unit.data.end());
    content.videoKeys.push_back(unit.key);
  }
  content.audioFrames.assign(units.size() * 2, std::string(160, '\xD5'));
  kxtest::RecordingPlan::Options options;
  options.width = 704;
  options.height = 576;
  const std::string path = folder + "/speedbench_704x576.ts";
  if (!kxtest::RecordingWriter::write(kxtest::RecordingPlan(options, content), 1, path)) return 1;

  double decodeSeconds = 0;
  const double ceiling = kxbench::plainDecode(units, units.size(), &decodeSeconds) / decodeSeconds;
  const HWND window = createOffscreenWindow(704, 576);
  FilePlayer player;
  Samples samples;
  player.setVideoWindow(window, 0, 0, 704, 576);
  if (player.open(path.c_str()) != 0 || player.play() != 0) return 1;
  player.setDecodeCallBack(1, onPicture, &samples);
  std::printf("recording %s: 704 x 576, 25 fps, 15 s\n", path.c_str());
  std::printf("plain libavcodec decode of the same stream: %.0f frames/s (%.1f x normal speed)\n", ceiling,
              ceiling / 25);
  int off = 0;
  for (float rate : {0.25f, 1.0f, 4.0f, 16.0f}) {
    const double achieved = measure(player, samples, rate);
    const double error = achieved / rate - 1;
    if (achieved < 0 || error > 0.05 || error < -0.05) ++off;
    std::printf("asked %6.2f x   achieved %7.3f x   (%+.1f %%, over %.0f s of content)\n", rate, achieved,
                error * 100, kMeasuredContentSeconds);
  }
  player.close();
  destroyOffscreenWindow(window);
  return off == 0 ? 0 : 2;
}
