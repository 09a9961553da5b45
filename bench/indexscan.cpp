// Key-frame index scan and seek of the indexed file reader over recordings of at least 1 GB, one of
// each file type, read from the page cache. The reference is `cat FILE >/dev/null` on the same file in
// the same run; the figure is the ratio scan time / cat time (the goal is close to 1). Then, once the
// index is complete, the time of seeks to random frames: median and 99th percentile.
//
// bench_indexscan [SEEKS]: the recordings are written into the generated-fixtures folder
// (KX_GENERATED_FIXTURES names another) when they are missing; SEEKS defaults to 2000.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "media/AVData.h"
#include "player/file/FileIndexScanThread.h"
#include "player/file/IndexedFileReader.h"
#include "support/RecordingPlan.h"
#include "support/RecordingWriter.h"
#include "support/TestPaths.h"

namespace {

constexpr int64_t kMinimumSize = int64_t{1} << 30;

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// 25 fps video in groups of 50 pictures (key frames of 60-80 kB, others of 20-28 kB) with G.711
// audio after every video frame: about 1.1 GB.
kxtest::RecordingPlan largePlan() {
  kxtest::RecordingPlan::Options options;
  options.gopLengths.assign(1000, 50);
  options.audioStretchBeforeGop = -1;
  options.keyFrameBytes = 60000;
  options.otherFrameBytes = 20000;
  return kxtest::RecordingPlan(options);
}

bool ensureRecording(const std::string& path, int fileType) {
  std::error_code error;
  if (std::filesystem::exists(path, error) && std::filesystem::file_size(path, error) >= kMinimumSize) return true;
  std::printf("writing %s ...\n", path.c_str());
  std::fflush(stdout);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  return kxtest::RecordingWriter::write(largePlan(), fileType, path);
}

double catSeconds(const std::string& path) {
  std::string command = "cat '" + path + "' >/dev/null";
  auto start = std::chrono::steady_clock::now();
  int status = std::system(command.c_str());
  double elapsed = secondsSince(start);
  return status == 0 ? elapsed : -1;
}

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  size_t at = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[at];
}

int benchOne(const std::string& name, const std::string& path, int fileType, int seeks) {
  if (!ensureRecording(path, fileType)) {
    std::printf("%s: cannot write %s\n", name.c_str(), path.c_str());
    return 1;
  }
  double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  catSeconds(path);  // into the page cache
  // The machine is shared: the best of three runs of each, interleaved, is the figure.
  double reference = 1e9;
  double scanTime = 1e9;
  int result = 0;
  size_t keyFrames = 0;
  for (int run = 0; run < 3; ++run) {
    reference = std::min(reference, catSeconds(path));
    FileIndexScanThread scan;
    scan.setFile(path.c_str());
    scan.setType(fileType);
    auto start = std::chrono::steady_clock::now();
    result = scan.scanNow();
    scanTime = std::min(scanTime, secondsSince(start));
    std::vector<int64_t> ids, offsets;
    scan.getIndex(ids, offsets);
    keyFrames = ids.size();
  }
  std::printf("%s: %.0f MB, index scan %.3f s (%.0f MB/s, %zu key frames, result %d); cat %.3f s (%.0f MB/s); "
              "scan / cat = %.2f\n",
              name.c_str(), megabytes, scanTime, megabytes / scanTime, keyFrames, result, reference,
              megabytes / reference, scanTime / reference);

  IndexedFileReader reader;
  reader.setFileType(fileType);
  if (reader.open(path.c_str()) != 0) {
    std::printf("%s: open failed\n", name.c_str());
    return 1;
  }
  while (!reader.updateIndex()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::mt19937_64 random(42);
  std::uniform_int_distribution<int64_t> pick(reader.getFirstFrameId(), reader.getLastFrameId());
  std::vector<double> times;
  int wrong = 0;
  for (int i = 0; i < seeks; ++i) {
    int64_t id = pick(random);
    AVData* frame = nullptr;
    auto seekStart = std::chrono::steady_clock::now();
    int seekResult = reader.seekToFrame(id, &frame);
    times.push_back(secondsSince(seekStart) * 1000.0);
    if (seekResult != 0 || static_cast<int64_t>(frame->getSequenceId()) != id) ++wrong;
  }
  std::printf("%s: %d seeks to random frames: median %.3f ms, p99 %.3f ms, max %.3f ms; %d not on the frame\n",
              name.c_str(), seeks, percentile(times, 0.5), percentile(times, 0.99), percentile(times, 1.0), wrong);
  return wrong == 0 && result == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int seeks = argc > 1 ? std::atoi(argv[1]) : 2000;
  std::string dir = kxtest::generatedDir();
  int failed = 0;
  failed += benchOne("transport stream", dir + "/indexscan-large.ts", 1, seeks);
  failed += benchOne("frame-head stream", dir + "/indexscan-large.kxav", 2, seeks);
  return failed == 0 ? 0 : 1;
}
