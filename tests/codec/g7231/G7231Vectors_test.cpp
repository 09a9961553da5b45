// Golden vectors of the standard's fixed-point reference: every bitstream decodes to the
// reference's PCM and every PCM encodes to the reference's bitstream, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "codec/G7231Codec.h"
#include "support/TestPaths.h"

namespace {

std::string vector(const std::string& name) { return kxtest::readFile(kxtest::fixtureDir() + "/g7231/" + name); }

// First block of blockBytes at which two byte strings differ (-1 when equal).
long firstDifferentBlock(const std::string& expected, const std::string& actual, size_t blockBytes) {
  const size_t n = std::min(expected.size(), actual.size());
  for (size_t i = 0; i < n; ++i)
    if (expected[i] != actual[i]) return static_cast<long>(i / blockBytes);
  return expected.size() == actual.size() ? -1 : static_cast<long>(n / blockBytes);
}

std::string decodeAll(const std::string& stream) {
  G7231Codec codec;
  std::string pcm(stream.size() * 480 + 480, '\0');
  int outLen = static_cast<int>(pcm.size());
  EXPECT_TRUE(codec.decode(stream.data(), static_cast<int>(stream.size()), pcm.data(), outLen));
  pcm.resize(static_cast<size_t>(outLen));
  return pcm;
}

std::string encodeAll(const std::string& pcm) {
  G7231Codec codec;
  std::string stream(pcm.size() / 480 * 24, '\0');
  int outLen = static_cast<int>(stream.size());
  EXPECT_TRUE(codec.encode(pcm.data(), static_cast<int>(pcm.size()), stream.data(), outLen));
  stream.resize(static_cast<size_t>(outLen));
  return stream;
}

class G7231DecoderVectors : public ::testing::TestWithParam<const char*> {};

TEST_P(G7231DecoderVectors, DecodeToTheReferencePcm) {
  const std::string name = GetParam();
  const std::string stream = vector(name + ".tco");
  const std::string expected = vector(name + ".dec.pcm");
  ASSERT_FALSE(stream.empty());
  ASSERT_FALSE(expected.empty());
  const std::string decoded = decodeAll(stream);
  EXPECT_EQ(firstDifferentBlock(expected, decoded, 480), -1) << name << ": first differing frame";
}

INSTANTIATE_TEST_SUITE_P(Reference, G7231DecoderVectors,
                         ::testing::Values("speech1", "tone300", "sweep", "square", "noise", "silence", "speech1_r53",
                                           "vad_speech1", "vad_startsid1", "vad_untx_after_active1", "mixed_rates",
                                           "dmg_badlag", "dmg_randbits", "dmg_badgain"));

class G7231EncoderVectors : public ::testing::TestWithParam<const char*> {};

TEST_P(G7231EncoderVectors, EncodeToTheReferenceBitstream) {
  const std::string name = GetParam();
  const std::string pcm = vector(name + ".pcm");
  const std::string expected = vector(name + ".tco");
  ASSERT_FALSE(pcm.empty());
  const std::string encoded = encodeAll(pcm);
  EXPECT_EQ(firstDifferentBlock(expected, encoded, 24), -1) << name << ": first differing frame";
}

INSTANTIATE_TEST_SUITE_P(Reference, G7231EncoderVectors,
                         ::testing::Values("speech1", "tone300", "sweep", "square", "noise", "silence"));

}  // namespace
