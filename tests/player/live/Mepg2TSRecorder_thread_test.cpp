// The recorder under load: a producer hands in chunks at a steady 8 MB/s while recordings start and
// stop at random moments. After every stop the file holds exactly the head block and the chunks the
// recorder accepted during that recording, in order: nothing lost, nothing extra.
// KX_RECORDER_STRESS_SECONDS sets the length of the run (default 3 s; 60 s for a long soak).
#include "player/live/Mepg2TSRecorder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "media/AVData.h"
#include "support/TestPaths.h"

namespace {

using Clock = std::chrono::steady_clock;

double stressSeconds() {
  const char* value = std::getenv("KX_RECORDER_STRESS_SECONDS");
  const double seconds = value != nullptr ? std::atof(value) : 0.0;
  return seconds > 0.0 ? seconds : 3.0;
}

// Chunk n: its size and its bytes are a function of n, so that a misplaced or repeated chunk shows.
std::string chunkBytes(uint64_t n, std::mt19937& random) {
  const size_t size = 1 + random() % 8192;
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((n * 131 + i * 7) & 0xFF);
  if (size >= 8) std::memcpy(&bytes[0], &n, 8);
  return bytes;
}

TEST(Mepg2TSRecorderStress, EveryAcceptedByteIsInTheFileAndNothingElse) {
  const std::string path = kxtest::scratchDir("recorder-stress") + "/stress.ts";
  const std::string head = "stress-head-block";
  Mepg2TSRecorder recorder;
  ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
  ASSERT_TRUE(recorder.setRecordFileHead(head.data(), static_cast<int>(head.size())));

  std::mutex acceptedLock;  // held across inputData and the note of its answer
  std::string accepted;     // bytes accepted since the last start
  std::atomic<bool> done{false};
  std::atomic<uint64_t> acceptedTotal{0};

  std::thread producer([&] {
    std::mt19937 random(20261210);
    const double bytesPerSecond = 8.0 * 1024 * 1024;
    const auto begin = Clock::now();
    uint64_t sent = 0;
    for (uint64_t n = 0; !done; ++n) {
      const std::string bytes = chunkBytes(n, random);
      AVData chunk;
      chunk.setData(bytes.data(), static_cast<unsigned>(bytes.size()));
      {
        std::lock_guard<std::mutex> hold(acceptedLock);
        if (recorder.inputData(chunk) == 0) {
          accepted += bytes;
          acceptedTotal += bytes.size();
        }
      }
      sent += bytes.size();
      const auto due = begin + std::chrono::duration<double>(sent / bytesPerSecond);
      std::this_thread::sleep_until(std::chrono::time_point_cast<Clock::duration>(due));
    }
  });

  std::mt19937 random(4242);
  // At least this many recordings whatever the machine's speed: the run is long enough in time and in
  // starts and stops, so a slow (sanitized, loaded) machine does not end it after too few.
  constexpr int kLeastRecordings = 8;
  const auto end = Clock::now() + std::chrono::duration<double>(stressSeconds());
  int recordings = 0;
  while (Clock::now() < end || recordings < kLeastRecordings) {
    {
      std::lock_guard<std::mutex> hold(acceptedLock);
      accepted.clear();
    }
    ASSERT_TRUE(recorder.startRecord());
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 400));
    ASSERT_TRUE(recorder.stopRecord());
    std::string expected;
    {
      std::lock_guard<std::mutex> hold(acceptedLock);
      expected = head + accepted;
    }
    const std::string written = kxtest::readFile(path);
    ASSERT_EQ(expected.size(), written.size()) << "recording " << recordings;
    ASSERT_TRUE(expected == written) << "recording " << recordings;
    ++recordings;
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 50));
  }
  done = true;
  producer.join();
  EXPECT_GT(acceptedTotal.load(), 0u);
}

// Stop racing with a producer that never pauses: whatever inputData accepted before stop returned
// is in the file.
TEST(Mepg2TSRecorderStress, StopDuringUnpacedInputKeepsEveryAcceptedChunk) {
  const std::string path = kxtest::scratchDir("recorder-stop-race") + "/race.ts";
  Mepg2TSRecorder recorder;
  ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
  for (int round = 0; round < 5; ++round) {
    std::mutex acceptedLock;
    std::string accepted;
    std::atomic<bool> done{false};
    ASSERT_TRUE(recorder.startRecord());
    std::thread producer([&] {
      std::mt19937 random(static_cast<unsigned>(round));
      for (uint64_t n = 0; !done; ++n) {
        const std::string bytes = chunkBytes(n, random);
        AVData chunk;
        chunk.setData(bytes.data(), static_cast<unsigned>(bytes.size()));
        std::lock_guard<std::mutex> hold(acceptedLock);
        if (recorder.inputData(chunk) == 0) accepted += bytes;
        else break;
      }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + 20 * round));
    ASSERT_TRUE(recorder.stopRecord());
    done = true;
    producer.join();
    EXPECT_TRUE(accepted == kxtest::readFile(path)) << "round " << round;
  }
}

}  // namespace
