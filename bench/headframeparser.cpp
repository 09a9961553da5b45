// Throughput of the frame-head parser on a large private frame stream held in memory, parsed and
// scanned in the file reader's 3,760,000-byte chunks, next to a plain memchr scan of the same bytes
// for the start code's first byte (the reference). The ratio parser / memchr is the figure.
//
// bench_headframeparser [FILE]: FILE defaults to the large generated recording when it exists
// (scripts/make-fixtures.sh build/fixtures --large; KX_GENERATED_FIXTURES names another folder);
// otherwise a synthetic stream of 25 fps video with G.711 audio.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "media/Buffer.h"
#include "media/HeadFrameParser.h"
#include "tests/media/FrameStreamBuilder.h"

namespace {

constexpr size_t kChunk = 3760000;

std::string synthetic() {
  std::mt19937 random(7);
  kxtest::FrameStreamBuilder stream;
  uint32_t videoId = 1, audioId = 1;
  int64_t time = 0;
  while (stream.size() < 12 * kChunk) {
    kxtest::StreamFrame video;
    video.sequenceId = videoId;
    video.frameType = videoId % 50 == 1 ? 1 : 2;
    video.timeStamp = time;
    video.payload.resize(video.frameType == 1 ? 120000 : 8000 + random() % 30000);
    for (char& c : video.payload) c = static_cast<char>(random());
    stream.frame(video);
    ++videoId;
    for (int i = 0; i < 2; ++i) {
      kxtest::StreamFrame audio;
      audio.esType = 2;
      audio.encodeType = 102;
      audio.sequenceId = audioId++;
      audio.timeStamp = time + i * 20000;
      audio.payload.resize(160);
      for (char& c : audio.payload) c = static_cast<char>(random());
      stream.frame(audio);
    }
    time += 40000;
  }
  return stream.bytes();
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Walks the stream chunk by chunk as the reader does (each chunk resumes at the leftover bytes).
template <typename PerChunk>
void chunked(const std::string& bytes, PerChunk perChunk) {
  size_t position = 0;
  while (position < bytes.size()) {
    const size_t n = std::min(kChunk, bytes.size() - position);
    const bool last = position + n == bytes.size();
    size_t leftover = perChunk(bytes.data() + position, n, last);
    if (last || leftover >= n) break;
    position += n - leftover;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* generated = std::getenv("KX_GENERATED_FIXTURES");
  std::string path = argc > 1 ? argv[1]
                              : std::string(generated != nullptr && *generated != '\0' ? generated : "build/fixtures") +
                                    "/framestream_h264_high_bframes_large_1920x1080_gop50_g711a.kxav";
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const char* source = bytes.empty() ? "synthetic stream" : path.c_str();
  if (bytes.empty()) bytes = synthetic();
  const double megabytes = bytes.size() / 1e6;
  const int rounds = 5;
  std::printf("frame-head parser on %s: %.1f MB in %zu-byte chunks, best of %d rounds\n", source, megabytes, kChunk,
              rounds);

  double bestParse = 1e9, bestScan = 1e9, bestMemchr = 1e9;
  size_t frames = 0, keys = 0, hits = 0;
  for (int round = 0; round < rounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    HeadFrameParser parser;
    frames = 0;
    chunked(bytes, [&](const char* p, size_t n, bool last) {
      parser.setEndOfStream(last);
      parser.parse(p, static_cast<int>(n), true);
      AVData* frame = nullptr;
      while (parser.nextFrame(frame) == 0) ++frames;
      return static_cast<size_t>(parser.getLeftoverLength());
    });
    bestParse = std::min(bestParse, seconds(start));

    start = std::chrono::steady_clock::now();
    HeadFrameParser scanner;
    std::vector<int64_t> ids, offsets;
    Buffer chunk;
    chunk.alloc(static_cast<int>(kChunk));
    chunked(bytes, [&](const char* p, size_t n, bool last) {
      chunk.copy(p, static_cast<unsigned>(n));
      scanner.setEndOfStream(last);
      scanner.scanKeyFrames(chunk, ids, offsets);
      return static_cast<size_t>(scanner.getLeftoverLength());
    });
    keys = ids.size();
    bestScan = std::min(bestScan, seconds(start));

    start = std::chrono::steady_clock::now();
    hits = 0;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
      const void* found = std::memchr(p, 't', static_cast<size_t>(end - p));
      if (found == nullptr) break;
      ++hits;
      p = static_cast<const char*>(found) + 1;
    }
    bestMemchr = std::min(bestMemchr, seconds(start));
  }

  // The same bytes with every head broken (the start code's last byte changed): nothing verifies, so
  // the parser examines every candidate byte as the reference does.
  std::string broken = bytes;
  for (size_t at = broken.find("t~a!v@ri%n"); at != std::string::npos; at = broken.find("t~a!v@ri%n", at + 10)) {
    broken[at + 9] = 'N';
  }
  double bestBroken = 1e9;
  for (int round = 0; round < rounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    HeadFrameParser parser;
    chunked(broken, [&](const char* p, size_t n, bool last) {
      parser.setEndOfStream(last);
      parser.parse(p, static_cast<int>(n), true);
      return static_cast<size_t>(parser.getLeftoverLength());
    });
    bestBroken = std::min(bestBroken, seconds(start));
  }

  const double brokenRate = megabytes / bestBroken;
  const double parseRate = megabytes / bestParse, scanRate = megabytes / bestScan, memchrRate = megabytes / bestMemchr;
  std::printf("  parse (frames copied out):   %8.1f MB/s  (%zu frames)\n", parseRate, frames);
  std::printf("  scanKeyFrames (with copy-in): %7.1f MB/s  (%zu key frames)\n", scanRate, keys);
  std::printf("  memchr reference:            %8.1f MB/s  (%zu candidate bytes)\n", memchrRate, hits);
  std::printf("  parse of the broken stream:  %8.1f MB/s  (no frame verifies)\n", brokenRate);
  std::printf("  ratio parse/memchr %.3f, scan/memchr %.3f, broken/memchr %.3f\n", parseRate / memchrRate,
              scanRate / memchrRate, brokenRate / memchrRate);
  return 0;
}
