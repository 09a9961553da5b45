#pragma once
// Helpers shared by the audio codec suites: files, ffmpeg as the outside decoder, and signal
// comparison.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace codectest {

inline std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<int16_t> samplesOf(const std::string& pcm) {
  std::vector<int16_t> samples(pcm.size() / 2);
  std::memcpy(samples.data(), pcm.data(), samples.size() * 2);
  return samples;
}

inline std::string pcmOf(const std::vector<int16_t>& samples) {
  std::string pcm(samples.size() * 2, '\0');
  std::memcpy(pcm.data(), samples.data(), pcm.size());
  return pcm;
}

// ffmpeg decodes a file (with the given input options) to 8000 Hz mono 16-bit little-endian PCM.
inline std::string ffmpegDecode(const std::string& inputOptions, const std::string& path, int* exitCode) {
  return kxtest::runCommand("ffmpeg -hide_banner -loglevel error " + inputOptions + " -i '" + path +
                                "' -f s16le -ar 8000 -ac 1 - 2>/dev/null",
                            exitCode);
}

// Signal-to-noise ratio in dB of test against reference over their common length.
inline double snrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& test) {
  const size_t n = std::min(reference.size(), test.size());
  double signal = 0.0;
  double noise = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const double r = reference[i];
    const double d = r - test[i];
    signal += r * r;
    noise += d * d;
  }
  if (noise == 0.0) return 200.0;
  return 10.0 * std::log10(signal / noise);
}

// The generated speech recording (8000 Hz, 16-bit, mono); empty when the fixtures were not made.
inline std::string speechPcm() { return readFile(kxtest::fixturePath("speech-8k.raw")); }

}  // namespace codectest
