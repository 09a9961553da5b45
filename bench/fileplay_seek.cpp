// Seeking in a 1 GB 1080p recording (groups of 50 pictures): the time from setCurrentFrameNum to the
// target picture drawn, over random targets (p50, p99), next to the cost of its limit measured in the
// same run on the same file: reading one chunk of the reader's size and decoding one group of
// pictures with a plain libavcodec loop. The figure is p99 / limit (the goal is at most 1.2).
//
//   bench_fileplay_seek [SEEKS] [FOLDER]   (defaults: 300 seeks; the generated-fixtures folder)
// The recording is written into FOLDER when missing: 4 groups of 1080p pictures made by ffmpeg,
// repeated with running sequence ids up to 1 GB, with G.711 audio, as a transport stream.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/PlainH264Decode.h"
#include "platform/OffscreenWindows.h"
#include "player/file/FilePlayer.h"
#include "support/RecordingPlan.h"
#include "support/RecordingWriter.h"
#include "support/TestPaths.h"
#include "technic/BinaryFile.h"
#include "tests/player/H264Fixture.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kGop = 50;
constexpr int kChunkBytes = 3760000;
constexpr int64_t kMinimumSize = int64_t{1} << 30;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
  return values[at];
}

struct Source {
  std::vector<kxh264::AccessUnit> units;
};

Source encodeGroups(const std::string& folder) {
  const std::string h264 = folder + "/seekbench_1920x1080_gop50.h264";
  if (kxtest::readFile(h264).empty()) {
    std::printf("encoding %s ...\n", h264.c_str());
    std::fflush(stdout);
    kxtest::runCommand("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=25 -frames:v 200 "
                       "-vf noise=alls=10:allf=t -c:v libx264 -profile:v main -bf 0 -g 50 -keyint_min 50 "
                       "-sc_threshold 0 -preset ultrafast -crf 26 -f h264 '" + h264 + "'");
  }
  return Source{kxh264::splitAccessUnits(h264)};
}

bool ensureRecording(const std::string& path, const Source& source) {
  std::error_code error;
  if (std::filesystem::exists(path, error) && std::filesystem::file_size(path, error) >= kMinimumSize) return true;
  int64_t groupBytes = 0;
  for (const auto& unit : source.units) groupBytes += static_cast<int64_t>(unit.data.size());
  if (groupBytes == 0) return false;
  const int64_t repeats = kMinimumSize / groupBytes + 1;
  kxtest::RecordingPlan::Content content;
  for (int64_t r = 0; r < repeats; ++r) {
    for (const auto& unit : source.units) {
      content.videoUnits.emplace_back(unit.data.begin(), unit.data.end());
      content.videoKeys.push_back(unit.key);
    }
  }
  const size_t audioFrames = content.videoUnits.size() * 2;
  content.audioFrames.assign(audioFrames, std::string(160, '\xD5'));
  kxtest::RecordingPlan::Options options;
  options.width = 1920;
  options.height = 1080;
  std::printf("writing %s (%zu pictures) ...\n", path.c_str(), content.videoUnits.size());
  std::fflush(stdout);
  return kxtest::RecordingWriter::write(kxtest::RecordingPlan(options, content), 1, path);
}

// The limit: one chunk read from the file at a random place, and one group decoded from its key frame.
double limitMilliseconds(const std::string& path, const Source& source, std::mt19937& random) {
  std::vector<char> chunk(kChunkBytes);
  BinaryFile file;
  if (!file.open(path.c_str(), BinaryFile::kRead)) return -1;
  std::uniform_int_distribution<int64_t> offsets(0, file.getLength() - kChunkBytes);
  const Clock::time_point start = Clock::now();
  file.seek(offsets(random), BinaryFile::kFromBegin);
  const int read = file.read(chunk.data(), kChunkBytes);
  const double readMilliseconds = millisecondsSince(start);
  file.close();
  double decodeSeconds = 0;
  const int pictures = kxbench::plainDecode(source.units, kGop, &decodeSeconds);
  return read == kChunkBytes && pictures == kGop ? readMilliseconds + decodeSeconds * 1000 : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int seeks = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
  const std::string folder = argc > 2 ? argv[2] : std::string(KX_BENCH_FIXTURES);
  std::filesystem::create_directories(folder);
  const Source source = encodeGroups(folder);
  if (source.units.size() < static_cast<size_t>(kGop) || !source.units[0].key) {
    std::fprintf(stderr, "no 1080p groups of pictures (ffmpeg with libx264 needed)\n");
    return 1;
  }
  const std::string path = folder + "/seekbench_1080p_gop50_1g.ts";
  if (!ensureRecording(path, source)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }

  const HWND window = createOffscreenWindow(960, 540);
  FilePlayer player;
  player.setVideoWindow(window, 0, 0, 960, 540);
  if (player.open(path.c_str()) != 0 || player.play() != 0 || player.pause() != 0) {
    std::fprintf(stderr, "cannot open and play %s\n", path.c_str());
    return 1;
  }
  long total = 0;
  player.getFileTotalFrames(total);
  std::printf("recording: %s, %ld frames\n", path.c_str(), total);
  std::mt19937 random(20261210);
  std::uniform_int_distribution<long> targets(1, total);
  std::vector<double> seekTimes, limits;
  int misses = 0;
  for (int i = 0; i < seeks; ++i) {
    const long target = targets(random);
    const Clock::time_point start = Clock::now();
    const int result = player.setCurrentFrameNum(target);
    seekTimes.push_back(millisecondsSince(start));
    long played = 0;
    player.getPlayedFrames(played);
    if (result != 0 || played != target) ++misses;
    // The limit is measured between the seeks, so that both see the same machine load.
    const double limit = limitMilliseconds(path, source, random);
    if (limit > 0) limits.push_back(limit);
  }
  player.close();
  destroyOffscreenWindow(window);
  if (limits.empty()) return 1;
  const double p50 = percentile(seekTimes, 0.50), p99 = percentile(seekTimes, 0.99);
  const double limit = percentile(limits, 0.50);
  std::printf("seek to a random frame and draw it:  p50 %8.2f ms   p99 %8.2f ms   (%d seeks, %d wrong)\n", p50, p99,
              seeks, misses);
  std::printf("limit (one chunk read + one group decoded by plain libavcodec): median %8.2f ms   p99 %8.2f ms\n",
              limit, percentile(limits, 0.99));
  std::printf("p99 / limit: %.3f (goal at most 1.2)\n", p99 / limit);
  return misses == 0 ? 0 : 2;
}
