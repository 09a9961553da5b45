#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "codec/G7231Codec.h"
#include "codec/g7231/G7231BitStream.h"
#include "support/TestPaths.h"

namespace {

std::string vector(const std::string& name) { return kxtest::readFile(kxtest::fixtureDir() + "/g7231/" + name); }

// Two codec objects on two threads share nothing but the constant tables: each gives the bytes a
// lone object gives (the reference's), in both directions, frame by frame as the player calls it.
TEST(G7231CodecThreads, TwoCodecsAtOnceGiveTheBytesOfOneAlone) {
  const std::string pcm = vector("speech1.pcm").substr(0, 480 * 60);
  const std::string coded = vector("speech1.tco").substr(0, 24 * 60);
  const std::string stream = vector("vad_speech1.tco");
  const std::string decoded = vector("vad_speech1.dec.pcm");

  constexpr int kThreads = 2;
  std::vector<std::string> encodedBy(kThreads);
  std::vector<std::string> decodedBy(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      G7231Codec codec;
      std::string frame(24, '\0');
      for (size_t pos = 0; pos < pcm.size(); pos += 480) {
        int outLen = 24;
        if (codec.encode(pcm.data() + pos, 480, frame.data(), outLen)) encodedBy[t].append(frame, 0, static_cast<size_t>(outLen));
      }
      std::string out(480, '\0');
      for (size_t pos = 0; pos < stream.size();) {
        const int size = G7231BitStream::frameSize(static_cast<unsigned char>(stream[pos]));
        int outLen = 480;
        if (codec.decode(stream.data() + pos, size, out.data(), outLen)) decodedBy[t].append(out, 0, static_cast<size_t>(outLen));
        pos += static_cast<size_t>(size);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_TRUE(encodedBy[t] == coded) << "thread " << t;
    EXPECT_TRUE(decodedBy[t] == decoded) << "thread " << t;
  }
}

}  // namespace
