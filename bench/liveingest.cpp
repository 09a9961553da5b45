// bench_liveingest [FIXTURE_DIR [MEGABYTES]]: live ingest through the live player's transport-stream
// input, pushed in 1316-byte chunks (seven packets, as network feeds deliver them) into an open,
// stopped player, which parses every frame and drops it. The reference in the same run is the
// transport-stream frame parser itself on the same bytes in memory (the parse the live input is
// built on): the ratio shows what reassembly, routing and the player cost on top. Goal: at least 0.9.
// The recording (at least 200 MB) is the one bench_tsframeparser uses when it is there; otherwise
// one is written from the tests' recording plan.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "media/AVData.h"
#include "media/mpegts/TSFrameParser.h"
#include "player/live/KXLivePlayer.h"
#include "support/RecordingPlan.h"
#include "support/RecordingWriter.h"

namespace {

constexpr int kChunk = 1316;

long long fileSize(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// An open, stopped live player: every frame is parsed and routed, and the stopped player drops it.
// The count is the number of chunks taken.
long long ingest(const std::string& bytes) {
  KXLivePlayer player;
  if (player.open() != 0) return -1;
  long long chunks = 0;
  for (size_t at = 0; at < bytes.size(); at += kChunk, ++chunks) {
    const int n = static_cast<int>(std::min<size_t>(kChunk, bytes.size() - at));
    if (player.pushTSData(bytes.data() + at, n) != 0) return -1;
  }
  player.close();
  return chunks;
}

long long parseDirectly(const std::string& bytes) {
  TSFrameParser parser;
  long long frames = 0;
  int at = 0;
  const int length = static_cast<int>(bytes.size());
  for (;;) {
    AVData frame;
    int consumed = 0;
    const int result = parser.parsePackets(bytes.data() + at, length - at, consumed, frame);
    at += consumed;
    if (result != 0) break;
    ++frames;
  }
  return frames;
}

}  // namespace

int main(int argc, char** argv) {
  const char* fromEnvironment = std::getenv("KX_GENERATED_FIXTURES");
  const std::string dir = argc > 1 ? argv[1] : fromEnvironment ? fromEnvironment : KX_BENCH_FIXTURES;
  const long long megabytes = argc > 2 ? std::atoll(argv[2]) : 200;
  const long long minimum = megabytes * 1000 * 1000;
  std::string path = dir + "/tsframeparser_bench.ts";
  if (fileSize(path) < minimum) {
    path = dir + "/liveingest_bench.ts";
    if (fileSize(path) < minimum) {
      kxtest::RecordingPlan::Options options;
      options.gopLengths.assign(static_cast<size_t>(minimum / (25 * 12400) + 1), 25);
      options.audioStretchBeforeGop = -1;
      std::printf("writing %s (%lld MB)\n", path.c_str(), megabytes);
      if (!kxtest::RecordingWriter::writeTransportStream(kxtest::RecordingPlan(options), path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
    }
  }
  const std::string bytes = readAll(path);
  const double mb = static_cast<double>(bytes.size()) / 1e6;
  double ours = 1e30;
  double reference = 1e30;
  long long pushedChunks = 0;
  long long parsedFrames = 0;
  // Best of three interleaved runs of each.
  for (int run = 0; run < 3; ++run) {
    auto start = std::chrono::steady_clock::now();
    pushedChunks = ingest(bytes);
    ours = std::min(ours, seconds(start));
    start = std::chrono::steady_clock::now();
    parsedFrames = parseDirectly(bytes);
    reference = std::min(reference, seconds(start));
  }
  std::printf("stream: %s, %.1f MB; %lld chunks pushed, %lld frames parsed\n", path.c_str(), mb, pushedChunks,
              parsedFrames);
  std::printf("live ingest, %d-byte chunks:          %8.1f MB/s (%.3f s)\n", kChunk, mb / ours, ours);
  std::printf("TSFrameParser parse (reference):      %8.1f MB/s (%.3f s)\n", mb / reference, reference);
  std::printf("ratio: %.2f\n", reference / ours);
  return pushedChunks > 0 ? 0 : 1;
}
