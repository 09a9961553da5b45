#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "codec/AMRCodec.h"
#include "codec/G711_ALAW_Codec.h"
#include "codec/G711_ULAW_Codec.h"
#include "codec/LawPCMCodec.h"

namespace {

enum class Operation { Encode, Decode };

std::unique_ptr<AudioCodec> makeCodec(const std::string& kind) {
  if (kind == "alaw") return std::make_unique<G711_ALAW_Codec>();
  if (kind == "ulaw") return std::make_unique<G711_ULAW_Codec>();
  if (kind == "pcm") return std::make_unique<LawPCMCodec>();
  return std::make_unique<AMRCodec>();
}

// One call and what it must give. A rejected call writes nothing and leaves outLen as it was.
struct ContractCase {
  const char* codec;
  Operation operation;
  int inLen;
  int outLen;          // capacity offered
  bool nullIn;
  bool nullOut;
  bool accepted;
  int written;         // outLen after an accepted call
};

constexpr Operation E = Operation::Encode;
constexpr Operation D = Operation::Decode;

const ContractCase kCases[] = {
    // capacity exactly enough, then one byte short
    {"alaw", E, 4, 2, false, false, true, 2},
    {"alaw", E, 4, 1, false, false, false, 0},
    {"alaw", D, 5, 10, false, false, true, 10},
    {"alaw", D, 5, 9, false, false, false, 0},
    {"alaw", D, 160, 319, false, false, false, 0},
    {"ulaw", E, 4, 2, false, false, true, 2},
    {"ulaw", E, 4, 1, false, false, false, 0},
    {"ulaw", D, 5, 10, false, false, true, 10},
    {"ulaw", D, 5, 9, false, false, false, 0},
    {"pcm", E, 100, 100, false, false, true, 100},
    {"pcm", E, 100, 99, false, false, false, 0},
    {"pcm", D, 100, 100, false, false, true, 100},
    {"pcm", D, 100, 99, false, false, false, 0},
    {"amr", E, 640, 36, false, false, true, 36},
    {"amr", E, 640, 35, false, false, false, 0},
    {"amr", E, 1000, 53, false, false, false, 0},
    {"amr", D, 36, 640, false, false, true, 640},
    {"amr", D, 36, 639, false, false, false, 0},
    {"amr", D, 18, 319, false, false, false, 0},
    // odd PCM length for a one-byte-per-sample law
    {"alaw", E, 3, 10, false, false, false, 0},
    {"ulaw", E, 3, 10, false, false, false, 0},
    // zero and negative lengths
    {"alaw", E, 0, 10, false, false, false, 0},
    {"alaw", E, -2, 10, false, false, false, 0},
    {"alaw", E, 4, -1, false, false, false, 0},
    {"alaw", D, 0, 10, false, false, false, 0},
    {"alaw", D, -1, 10, false, false, false, 0},
    {"alaw", D, 4, -8, false, false, false, 0},
    {"ulaw", E, -2, 10, false, false, false, 0},
    {"ulaw", D, -1, 10, false, false, false, 0},
    {"ulaw", D, 4, -8, false, false, false, 0},
    {"pcm", E, 0, 100, false, false, false, 0},
    {"pcm", E, -1, 100, false, false, false, 0},
    {"pcm", E, 100, 0, false, false, false, 0},
    {"pcm", D, -100, 100, false, false, false, 0},
    {"pcm", D, 100, -100, false, false, false, 0},
    {"amr", E, 0, 100, false, false, false, 0},
    {"amr", E, -320, 100, false, false, false, 0},
    {"amr", E, 320, 0, false, false, false, 0},
    {"amr", E, 320, -18, false, false, false, 0},
    {"amr", D, 0, 1000, false, false, false, 0},
    {"amr", D, -18, 1000, false, false, false, 0},
    {"amr", D, 18, 0, false, false, false, 0},
    {"amr", D, 18, -320, false, false, false, 0},
    // twice the input does not fit an int: no capacity can hold it
    {"alaw", D, INT_MAX, INT_MAX, false, false, false, 0},
    {"ulaw", D, INT_MAX / 2 + 1, INT_MAX, false, false, false, 0},
    // missing buffers
    {"alaw", E, 4, 10, true, false, false, 0},
    {"alaw", D, 4, 10, false, true, false, 0},
    {"ulaw", E, 4, 10, false, true, false, 0},
    {"ulaw", D, 4, 10, true, false, false, 0},
    {"pcm", E, 4, 10, true, false, false, 0},
    {"pcm", D, 4, 10, false, true, false, 0},
    {"amr", E, 320, 100, true, false, false, 0},
    {"amr", E, 320, 100, false, true, false, 0},
    {"amr", D, 18, 1000, true, false, false, 0},
    {"amr", D, 18, 1000, false, true, false, 0},
};

std::string describe(const ContractCase& c) {
  return std::string(c.codec) + (c.operation == E ? " encode" : " decode") + " inLen " + std::to_string(c.inLen) +
         " outLen " + std::to_string(c.outLen) + (c.nullIn ? " null in" : "") + (c.nullOut ? " null out" : "");
}

TEST(AudioCodecContract, ChecksLengthsAndCapacityBeforeWriting) {
  constexpr int kGuard = 64;
  constexpr int kLargestRealInput = 4096;  // longer declared inputs must be refused unread
  for (const ContractCase& c : kCases) {
    SCOPED_TRACE(describe(c));
    auto codec = makeCodec(c.codec);
    // 0x1C everywhere: each 18 bytes read as an MR67 frame, and harmless PCM for the others.
    std::vector<char> in(kLargestRealInput, 0x1C);
    const int capacity = c.outLen > 0 && c.outLen < kLargestRealInput * 2 ? c.outLen : 0;
    std::vector<char> out(static_cast<size_t>(capacity) + kGuard, 0x5A);
    int outLen = c.outLen;
    const char* inPointer = c.nullIn ? nullptr : in.data();
    char* outPointer = c.nullOut ? nullptr : out.data();
    const bool result = c.operation == E ? codec->encode(inPointer, c.inLen, outPointer, outLen)
                                         : codec->decode(inPointer, c.inLen, outPointer, outLen);
    ASSERT_EQ(result, c.accepted);
    const int written = c.accepted ? c.written : 0;
    EXPECT_EQ(outLen, c.accepted ? c.written : c.outLen);
    int touched = 0;
    for (size_t i = static_cast<size_t>(written); i < out.size(); ++i) touched += out[i] != 0x5A;
    EXPECT_EQ(touched, 0) << "bytes written beyond what the call reports";
  }
}

TEST(AudioCodecContract, InputIsNeverModified) {
  for (const char* kind : {"alaw", "ulaw", "pcm", "amr"}) {
    auto codec = makeCodec(kind);
    std::vector<char> in(720);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<char>(i * 7);
    for (size_t i = 0; i < in.size(); i += 18) in[i] = 0x1C;
    const std::vector<char> original = in;
    std::vector<char> out(16384);
    int outLen = static_cast<int>(out.size());
    EXPECT_TRUE(codec->encode(in.data(), static_cast<int>(in.size()), out.data(), outLen)) << kind;
    outLen = static_cast<int>(out.size());
    EXPECT_TRUE(codec->decode(in.data(), static_cast<int>(in.size()), out.data(), outLen)) << kind;
    EXPECT_EQ(in, original) << kind;
  }
}

TEST(LawPCMCodec, CopiesBytesUnchangedBothWays) {
  LawPCMCodec codec;
  std::string in(100, '\0');
  for (int i = 0; i < 100; ++i) in[i] = static_cast<char>(255 - i);
  for (bool encode : {true, false}) {
    std::string out(120, '\0');
    int outLen = 120;
    ASSERT_TRUE(encode ? codec.encode(in.data(), 100, out.data(), outLen) : codec.decode(in.data(), 100, out.data(), outLen));
    EXPECT_EQ(outLen, 100);
    EXPECT_EQ(out.substr(0, 100), in);
    EXPECT_EQ(out.substr(100), std::string(20, '\0'));
  }
}

}  // namespace
