#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "codec/G711_ALAW_Codec.h"
#include "codec/G711_ULAW_Codec.h"

namespace {

// The G.711 codecs are shared freely: one object serves several threads at once, each getting
// the result a lone call gives.
template <typename Codec>
void codeFromManyThreadsAtOnce() {
  Codec codec;
  std::string codes(4000, '\0');
  for (size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<char>(i * 37);
  std::string expected(codes.size() * 2, '\0');
  int expectedLen = static_cast<int>(expected.size());
  ASSERT_TRUE(codec.decode(codes.data(), static_cast<int>(codes.size()), expected.data(), expectedLen));

  constexpr int kThreads = 4;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 50; ++round) {
        std::string pcm(expected.size(), '\0');
        int outLen = static_cast<int>(pcm.size());
        if (!codec.decode(codes.data(), static_cast<int>(codes.size()), pcm.data(), outLen) || pcm != expected) {
          ++mismatches[t];
        }
        std::string again(codes.size(), '\0');
        outLen = static_cast<int>(again.size());
        if (!codec.encode(pcm.data(), static_cast<int>(pcm.size()), again.data(), outLen)) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

TEST(G711CodecThreads, AlawObjectIsSharedSafely) { codeFromManyThreadsAtOnce<G711_ALAW_Codec>(); }
TEST(G711CodecThreads, UlawObjectIsSharedSafely) { codeFromManyThreadsAtOnce<G711_ULAW_Codec>(); }

}  // namespace
