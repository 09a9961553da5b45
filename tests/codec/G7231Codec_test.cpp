// G7231Codec as an AudioCodec: block collection on encode, frame walking on decode, argument and
// capacity checks, and results that do not depend on how the input is cut into calls.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "codec/G7231Codec.h"
#include "codec/g7231/G7231BitStream.h"
#include "support/TestPaths.h"

namespace {

std::string vector(const std::string& name) { return kxtest::readFile(kxtest::fixtureDir() + "/g7231/" + name); }

// The first 24-byte frame of the reference stream of the speech vector, and a frame of each other
// type (a 5.3 kbit/s frame from the 5.3 stream, a SID and an untransmitted frame).
struct Frames {
  std::string active63;
  std::string active53;
  std::string sid;
  std::string untransmitted;
};

Frames sampleFrames() {
  Frames frames;
  frames.active63 = vector("speech1.tco").substr(24 * 40, 24);
  frames.active53 = vector("speech1_r53.tco").substr(20 * 40, 20);
  frames.sid = std::string("\x02\x10\x20\x15", 4);
  frames.untransmitted = std::string("\x03", 1);
  return frames;
}

static_assert(!std::is_copy_constructible_v<G7231Codec>, "a codec's history cannot be shared by two objects");
static_assert(!std::is_copy_assignable_v<G7231Codec>, "a codec's history cannot be shared by two objects");

TEST(G7231Codec, EncodeCollectsWholeBlocks) {
  const std::string pcm = vector("speech1.pcm").substr(0, 4800);
  const std::string reference = vector("speech1.tco").substr(0, 240);

  G7231Codec codec;
  std::string out(240, '\0');
  int outLen = 24;
  ASSERT_TRUE(codec.encode(pcm.data(), 480, out.data(), outLen));
  ASSERT_EQ(outLen, 24);
  EXPECT_EQ(out[0] & 3, 0);
  EXPECT_EQ(out.substr(0, 24), reference.substr(0, 24));

  // 479 bytes are kept; one more completes the second block.
  outLen = 24;
  ASSERT_TRUE(codec.encode(pcm.data() + 480, 479, out.data(), outLen));
  EXPECT_EQ(outLen, 0);
  outLen = 24;
  ASSERT_TRUE(codec.encode(pcm.data() + 959, 1, out.data(), outLen));
  ASSERT_EQ(outLen, 24);
  EXPECT_EQ(out.substr(0, 24), reference.substr(24, 24));

  // 1000 bytes make two frames and keep 40: 47 bytes of room are refused, 48 accepted.
  const std::string before = out;
  outLen = 47;
  EXPECT_FALSE(codec.encode(pcm.data() + 960, 1000, out.data(), outLen));
  EXPECT_EQ(outLen, 47);
  EXPECT_EQ(out, before);
  outLen = 48;
  ASSERT_TRUE(codec.encode(pcm.data() + 960, 1000, out.data(), outLen));
  ASSERT_EQ(outLen, 48);
  EXPECT_EQ(out.substr(0, 48), reference.substr(48, 48));
  outLen = 24;
  ASSERT_TRUE(codec.encode(pcm.data() + 1960, 440, out.data(), outLen));
  ASSERT_EQ(outLen, 24);
  EXPECT_EQ(out.substr(0, 24), reference.substr(96, 24));
}

TEST(G7231Codec, RejectedArgumentsWriteNothing) {
  G7231Codec codec;
  std::string in(480, '\x11');
  std::string out(1000, '\x5a');
  const struct {
    const char* what;
    bool encode;
    bool nullIn;
    int inLen;
    bool nullOut;
    int outLen;
  } cases[] = {
      {"encode null input", true, true, 480, false, 1000},
      {"encode zero length", true, false, 0, false, 1000},
      {"encode negative length", true, false, -480, false, 1000},
      {"encode null output", true, false, 480, true, 1000},
      {"encode zero capacity", true, false, 480, false, 0},
      {"encode negative capacity", true, false, 480, false, -1},
      {"encode length near INT_MAX", true, false, INT_MAX, false, 1000},
      {"decode null input", false, true, 24, false, 1000},
      {"decode zero length", false, false, 0, false, 1000},
      {"decode negative length", false, false, -24, false, 1000},
      {"decode null output", false, false, 24, true, 1000},
      {"decode zero capacity", false, false, 24, false, 0},
      {"decode negative capacity", false, false, 24, false, -1000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int outLen = c.outLen;
    const char* inPointer = c.nullIn ? nullptr : in.data();
    char* outPointer = c.nullOut ? nullptr : out.data();
    const bool ok = c.encode ? codec.encode(inPointer, c.inLen, outPointer, outLen)
                             : codec.decode(inPointer, c.inLen, outPointer, outLen);
    EXPECT_FALSE(ok);
    EXPECT_EQ(outLen, c.outLen);
    EXPECT_EQ(out, std::string(1000, '\x5a'));
  }
}

TEST(G7231Codec, EncodeKeptBytesPlusHugeLengthDoesNotWrap) {
  // 479 kept bytes plus INT_MAX would wrap in 32 bits and pass the room check with a tiny output.
  G7231Codec codec;
  std::string pcm(479, '\0');
  std::string out(24, '\0');
  int outLen = 24;
  ASSERT_TRUE(codec.encode(pcm.data(), 479, out.data(), outLen));
  outLen = 24;
  EXPECT_FALSE(codec.encode(pcm.data(), INT_MAX, out.data(), outLen));
  EXPECT_EQ(outLen, 24);
}

TEST(G7231Codec, DecodeWalksFramesOfEveryType) {
  const Frames f = sampleFrames();
  const std::string stream = f.active63 + f.active53 + f.sid + f.untransmitted;
  G7231Codec codec;
  std::string out(4000, '\x5a');
  int outLen = static_cast<int>(out.size());
  ASSERT_TRUE(codec.decode(stream.data(), static_cast<int>(stream.size()), out.data(), outLen));
  EXPECT_EQ(outLen, 1920);
  EXPECT_EQ(out.substr(1920), std::string(4000 - 1920, '\0')) << "the whole capacity is cleared";
}

TEST(G7231Codec, FrameSizeComesFromTheTypeBits) {
  // 0x00, 0x41, 0x82, 0xFF: 24, 20, 4 and 1 bytes. Each decodes alone from exactly that many
  // bytes and fails one byte short.
  const struct {
    unsigned char first;
    int size;
  } cases[] = {{0x00, 24}, {0x41, 20}, {0x82, 4}, {0xFF, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    std::string frame(static_cast<size_t>(c.size), '\0');
    frame[0] = static_cast<char>(c.first);
    G7231Codec codec;
    std::string out(960, '\0');
    int outLen = static_cast<int>(out.size());
    EXPECT_TRUE(codec.decode(frame.data(), c.size, out.data(), outLen));
    EXPECT_EQ(outLen, 480);
    if (c.size > 1) {
      G7231Codec shortCodec;
      outLen = static_cast<int>(out.size());
      EXPECT_FALSE(shortCodec.decode(frame.data(), c.size - 1, out.data(), outLen));
      EXPECT_EQ(outLen, 0);
    }
  }
}

TEST(G7231Codec, TruncatedLastFrameKeepsTheFramesBeforeIt) {
  const Frames f = sampleFrames();
  const std::string stream = f.active63 + f.active63.substr(0, 23);
  G7231Codec codec;
  std::string out(2000, '\0');
  int outLen = static_cast<int>(out.size());
  EXPECT_FALSE(codec.decode(stream.data(), static_cast<int>(stream.size()), out.data(), outLen));
  EXPECT_EQ(outLen, 480);
}

TEST(G7231Codec, RoomIsCheckedBeforeEachFrameIsDecoded) {
  const std::string stream = vector("speech1.tco").substr(0, 72);
  const std::string expected = vector("speech1.dec.pcm").substr(0, 1440);

  // A capacity of 479 takes no frame, and the output is cleared.
  G7231Codec codec;
  std::string out(1440, '\x5a');
  int outLen = 479;
  EXPECT_FALSE(codec.decode(stream.data(), 24, out.data(), outLen));
  EXPECT_EQ(outLen, 0);
  EXPECT_EQ(out.substr(0, 479), std::string(479, '\0'));

  // Two frames into room for one and a half: the first is delivered, the second not decoded, so
  // offering it again continues the stream exactly.
  outLen = 960 - 1;
  EXPECT_FALSE(codec.decode(stream.data(), 48, out.data(), outLen));
  ASSERT_EQ(outLen, 480);
  EXPECT_EQ(out.substr(0, 480), expected.substr(0, 480));
  outLen = 960;
  ASSERT_TRUE(codec.decode(stream.data() + 24, 48, out.data(), outLen));
  ASSERT_EQ(outLen, 960);
  EXPECT_EQ(out.substr(0, 960), expected.substr(480, 960));
}

TEST(G7231Codec, ForbiddenLagCodeIsConcealed) {
  // Lag code 127 in the first lag field of a frame after speech: the frame is lost, not refused.
  std::string stream = vector("speech1.tco").substr(0, 24 * 12);
  std::string damaged = stream;
  const int bit = 24 * 8 * 10 + 26;  // frame 10, first bit of the first lag field
  for (int i = 0; i < 7; ++i) damaged[(bit + i) / 8] = static_cast<char>(damaged[(bit + i) / 8] | (1 << ((bit + i) % 8)));

  G7231Codec clean;
  G7231Codec lossy;
  std::string cleanOut(24 * 12 * 20, '\0');
  std::string lossyOut(24 * 12 * 20, '\0');
  int cleanLen = static_cast<int>(cleanOut.size());
  int lossyLen = static_cast<int>(lossyOut.size());
  ASSERT_TRUE(clean.decode(stream.data(), static_cast<int>(stream.size()), cleanOut.data(), cleanLen));
  ASSERT_TRUE(lossy.decode(damaged.data(), static_cast<int>(damaged.size()), lossyOut.data(), lossyLen));
  ASSERT_EQ(lossyLen, 12 * 480);
  EXPECT_EQ(lossyOut.substr(0, 10 * 480), cleanOut.substr(0, 10 * 480));
  EXPECT_NE(lossyOut.substr(10 * 480, 480), cleanOut.substr(10 * 480, 480));
}

// Seeded random piece sizes: encode gets PCM cut anywhere, decode gets runs of whole frames.
TEST(G7231Codec, ResultsDoNotDependOnHowTheInputIsCut) {
  std::mt19937 random(20231);
  {
    const std::string pcm = vector("speech1.pcm");
    const std::string reference = vector("speech1.tco");
    G7231Codec codec;
    std::string stream;
    std::uniform_int_distribution<int> piece(1, 1700);
    for (size_t pos = 0; pos < pcm.size();) {
      const int length = std::min<int>(piece(random), static_cast<int>(pcm.size() - pos));
      std::string out(static_cast<size_t>((length / 480 + 1) * 24), '\0');
      int outLen = static_cast<int>(out.size());
      ASSERT_TRUE(codec.encode(pcm.data() + pos, length, out.data(), outLen));
      stream.append(out, 0, static_cast<size_t>(outLen));
      pos += static_cast<size_t>(length);
    }
    EXPECT_EQ(stream, reference);
  }
  for (const char* name : {"vad_speech1", "mixed_rates", "dmg_randbits"}) {
    SCOPED_TRACE(name);
    const std::string stream = vector(std::string(name) + ".tco");
    const std::string reference = vector(std::string(name) + ".dec.pcm");
    G7231Codec codec;
    std::string pcm;
    std::uniform_int_distribution<int> frames(1, 9);
    for (size_t pos = 0; pos < stream.size();) {
      size_t end = pos;
      for (int n = frames(random); n > 0 && end < stream.size(); --n)
        end += static_cast<size_t>(G7231BitStream::frameSize(static_cast<unsigned char>(stream[end])));
      std::string out(4800, '\0');
      int outLen = static_cast<int>(out.size());
      ASSERT_TRUE(codec.decode(stream.data() + pos, static_cast<int>(end - pos), out.data(), outLen));
      pcm.append(out, 0, static_cast<size_t>(outLen));
      pos = end;
    }
    EXPECT_EQ(pcm, reference);
  }
}

}  // namespace
