#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "codec/G711_ALAW_Codec.h"
#include "codec/G711_ULAW_Codec.h"
#include "tests/codec/CodecTestSupport.h"

namespace {

int bitLength(int value) {
  int bits = 0;
  while (value > 0) {
    ++bits;
    value >>= 1;
  }
  return bits;
}

// The segment rules written as exponent and mantissa of the magnitude, independently of the
// table search the codec uses.
uint8_t referenceAlaw(int sample) {
  const int sign = sample >= 0 ? 0x80 : 0x00;
  const int magnitude = (sample >= 0 ? sample : -sample - 1) >> 3;  // 13-bit one's complement
  const int exponent = magnitude < 32 ? 0 : bitLength(magnitude) - 5;
  const int mantissa = exponent == 0 ? magnitude >> 1 : (magnitude >> exponent) & 0x0F;
  return static_cast<uint8_t>((sign | (exponent << 4) | mantissa) ^ 0x55);
}

uint8_t referenceUlaw(int sample) {
  const int sign = sample >= 0 ? 0x00 : 0x80;
  const int magnitude = sample >= 0 ? sample >> 2 : (-sample + 3) >> 2;  // 14-bit, rounded away
  const int biased = std::min(std::min(magnitude, 8159) + 33, 0x1FFF);
  const int exponent = bitLength(biased) - 6;
  const int mantissa = (biased >> (exponent + 1)) & 0x0F;
  return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa) & 0xFF);
}

// Largest error the law allows for a sample: half a quantisation step of the sample's segment,
// plus the rounding of the shift to 13 or 14 bits.
double alawErrorBound(int sample) { return std::abs(sample) / 32.0 + 9.0; }
double ulawErrorBound(int sample) { return (std::abs(sample) + 132) / 32.0 + 8.0; }

struct Law {
  const char* name;
  const char* ffmpegFormat;
  std::function<std::unique_ptr<AudioCodec>()> make;
  uint8_t (*reference)(int);
  double (*errorBound)(int);
};

const Law kLaws[] = {
    {"alaw", "alaw", [] { return std::make_unique<G711_ALAW_Codec>(); }, referenceAlaw, alawErrorBound},
    {"ulaw", "mulaw", [] { return std::make_unique<G711_ULAW_Codec>(); }, referenceUlaw, ulawErrorBound},
};

void PrintTo(const Law& law, std::ostream* os) { *os << law.name; }

class G711LawTest : public ::testing::TestWithParam<Law> {};

std::string allCodes() {
  std::string codes(256, '\0');
  for (int code = 0; code < 256; ++code) codes[code] = static_cast<char>(code);
  return codes;
}

std::vector<int16_t> decodeAll(AudioCodec& codec, const std::string& codes) {
  std::string pcm(codes.size() * 2, '\0');
  int outLen = static_cast<int>(pcm.size());
  EXPECT_TRUE(codec.decode(codes.data(), static_cast<int>(codes.size()), pcm.data(), outLen));
  EXPECT_EQ(outLen, static_cast<int>(pcm.size()));
  return codectest::samplesOf(pcm);
}

std::string encodeAll(AudioCodec& codec, const std::vector<int16_t>& samples) {
  std::string pcm = codectest::pcmOf(samples);
  std::string codes(samples.size(), '\0');
  int outLen = static_cast<int>(codes.size());
  EXPECT_TRUE(codec.encode(pcm.data(), static_cast<int>(pcm.size()), codes.data(), outLen));
  EXPECT_EQ(outLen, static_cast<int>(codes.size()));
  return codes;
}

TEST_P(G711LawTest, DecodesEveryCodeToTheSameSampleAsFfmpeg) {
  const Law& law = GetParam();
  ASSERT_TRUE(kxtest::haveProgram("ffmpeg"));
  const std::string codes = allCodes();
  const std::string path = kxtest::scratchDir(std::string("g711-") + law.name) + "/codes.bin";
  codectest::writeFile(path, codes);
  int exitCode = -1;
  const std::string reference =
      codectest::ffmpegDecode(std::string("-f ") + law.ffmpegFormat + " -ar 8000 -ac 1", path, &exitCode);
  ASSERT_EQ(exitCode, 0);
  ASSERT_EQ(reference.size(), 512u);

  auto codec = law.make();
  EXPECT_EQ(codectest::pcmOf(decodeAll(*codec, codes)), reference);
}

TEST_P(G711LawTest, EncodesEverySampleValueBySegmentRules) {
  const Law& law = GetParam();
  std::vector<int16_t> samples;
  for (int s = -32768; s <= 32767; ++s) samples.push_back(static_cast<int16_t>(s));
  auto codec = law.make();
  const std::string codes = encodeAll(*codec, samples);
  const std::vector<int16_t> levels = decodeAll(*codec, allCodes());

  int mismatches = 0;
  int previousLevel = -32768;
  for (size_t i = 0; i < samples.size(); ++i) {
    const int sample = samples[i];
    const uint8_t code = static_cast<uint8_t>(codes[i]);
    if (code != law.reference(sample) && ++mismatches <= 5) {
      ADD_FAILURE() << law.name << " sample " << sample << " gives 0x" << std::hex << int(code) << ", rules give 0x"
                    << int(law.reference(sample));
    }
    // Companding keeps order: a larger sample never comes back smaller.
    EXPECT_GE(levels[code], previousLevel) << "sample " << sample;
    previousLevel = levels[code];
  }
  EXPECT_EQ(mismatches, 0);

  // Every reconstruction level encodes back to its own code (mu-law's negative zero excepted).
  for (int code = 0; code < 256; ++code) {
    const uint8_t again = static_cast<uint8_t>(encodeAll(*codec, {levels[code]})[0]);
    if (levels[code] == 0 && code == 0x7F) continue;
    EXPECT_EQ(again, code) << law.name << " level " << levels[code];
  }
}

TEST_P(G711LawTest, SpeechSurvivesEncodingWithinTheQuantisationError) {
  const Law& law = GetParam();
  const std::vector<int16_t> speech = codectest::samplesOf(codectest::speechPcm());
  ASSERT_GT(speech.size(), 8000u) << "speech fixture missing: run scripts/make-fixtures.sh";
  auto codec = law.make();
  const std::string codes = encodeAll(*codec, speech);
  const std::vector<int16_t> back = decodeAll(*codec, codes);
  ASSERT_EQ(back.size(), speech.size());
  for (size_t i = 0; i < speech.size(); ++i) {
    ASSERT_LE(std::abs(back[i] - speech[i]), law.errorBound(speech[i])) << "sample " << i << " = " << speech[i];
  }
  EXPECT_GT(codectest::snrDb(speech, back), 30.0);
}

INSTANTIATE_TEST_SUITE_P(Laws, G711LawTest, ::testing::ValuesIn(kLaws),
                         [](const ::testing::TestParamInfo<Law>& info) { return std::string(info.param.name); });

struct SampleCode {
  const char* law;
  int16_t sample;
  uint8_t code;
};

std::unique_ptr<AudioCodec> codecFor(const std::string& law) {
  if (law == "alaw") return std::make_unique<G711_ALAW_Codec>();
  return std::make_unique<G711_ULAW_Codec>();
}

TEST(G711Codec, EncodesTheLimitsOfEachLaw) {
  const SampleCode cases[] = {
      {"alaw", 0, 0xD5},      {"alaw", -1, 0x55},     {"alaw", 32767, 0xAA}, {"alaw", -32768, 0x2A},
      {"ulaw", 0, 0xFF},      {"ulaw", 32767, 0x80},  {"ulaw", -32768, 0x00}, {"ulaw", 32635, 0x80},
  };
  for (const SampleCode& c : cases) {
    auto codec = codecFor(c.law);
    EXPECT_EQ(static_cast<uint8_t>(encodeAll(*codec, {c.sample})[0]), c.code) << c.law << " " << c.sample;
  }
}

TEST(G711Codec, DecodesTheCodesNearZero) {
  const SampleCode cases[] = {{"alaw", 8, 0xD5}, {"alaw", -8, 0x55}, {"ulaw", 0, 0xFF}, {"ulaw", 0, 0x7F}};
  for (const SampleCode& c : cases) {
    auto codec = codecFor(c.law);
    EXPECT_EQ(decodeAll(*codec, std::string(1, static_cast<char>(c.code)))[0], c.sample) << c.law << " " << int(c.code);
  }
}

TEST(G711Codec, WritesOneBytePerSampleAndTwoBytesPerCode) {
  for (const char* law : {"alaw", "ulaw"}) {
    auto codec = codecFor(law);
    const char pcm[2] = {0x10, 0x20};
    char code[4] = {0, 0x5A, 0x5A, 0x5A};
    int outLen = 1;
    ASSERT_TRUE(codec->encode(pcm, 2, code, outLen)) << law;
    EXPECT_EQ(outLen, 1);
    EXPECT_EQ(code[1], 0x5A) << "wrote past the one code byte";

    const char codes[5] = {1, 2, 3, 4, 5};
    std::string out(12, 'x');
    outLen = 10;
    ASSERT_TRUE(codec->decode(codes, 5, out.data(), outLen)) << law;
    EXPECT_EQ(outLen, 10);
    EXPECT_EQ(out.substr(10), "xx") << "wrote past the ten PCM bytes";
  }
}

TEST(G711Codec, EncodesAnUnalignedBuffer) {
  // PCM handed over inside a larger record need not sit on a 2-byte boundary.
  const std::vector<int16_t> samples = {0, -1, 32767, -32768, 1000};
  std::string shifted = " " + codectest::pcmOf(samples);
  G711_ALAW_Codec codec;
  std::string codes(samples.size(), '\0');
  int outLen = static_cast<int>(codes.size());
  ASSERT_TRUE(codec.encode(shifted.data() + 1, static_cast<int>(samples.size() * 2), codes.data(), outLen));
  EXPECT_EQ(codes, encodeAll(codec, samples));
}

}  // namespace
