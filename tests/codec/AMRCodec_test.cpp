#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "codec/AMRCodec.h"
#include "codec/G711_ALAW_Codec.h"
#include "tests/codec/CodecTestSupport.h"
#include "tests/codec/GuardedBytes.h"

namespace {

constexpr int kBlock = 320;
constexpr int kFrame = 18;
const std::string kStorageMagic = "#!AMR\n";

std::string encodeAll(AMRCodec& codec, const std::string& pcm) {
  std::string frames(pcm.size() / kBlock * kFrame + kFrame, '\0');
  int outLen = static_cast<int>(frames.size());
  EXPECT_TRUE(codec.encode(pcm.data(), static_cast<int>(pcm.size()), frames.data(), outLen));
  frames.resize(static_cast<size_t>(outLen));
  return frames;
}

std::string decodeAll(AMRCodec& codec, const char* frames, int length) {
  std::string pcm(static_cast<size_t>(length) * kBlock, '\0');  // at least one block per byte
  int outLen = static_cast<int>(pcm.size());
  EXPECT_TRUE(codec.decode(frames, length, pcm.data(), outLen));
  pcm.resize(static_cast<size_t>(outLen));
  return pcm;
}

std::string decodeGuarded(const std::string& frames) {
  codectest::GuardedBytes guarded(frames);
  AMRCodec codec;
  return decodeAll(codec, guarded.data(), guarded.length());
}

// Frame sizes as ffmpeg's storage-format reader cuts the file (one packet per frame).
std::vector<int> ffprobeFrameSizes(const std::string& inputOptions, const std::string& path) {
  int exitCode = -1;
  std::istringstream lines(kxtest::runCommand("ffprobe -hide_banner -loglevel error " + inputOptions +
                                                  " -show_entries packet=size -of csv=p=0 '" + path + "'",
                                              &exitCode));
  EXPECT_EQ(exitCode, 0);
  std::vector<int> sizes;
  for (int size; lines >> size;) sizes.push_back(size);
  return sizes;
}

std::vector<std::string> cutFrames(const std::string& frames, const std::vector<int>& sizes) {
  std::vector<std::string> cut;
  size_t pos = 0;
  for (int size : sizes) {
    cut.push_back(frames.substr(pos, static_cast<size_t>(size)));
    pos += static_cast<size_t>(size);
  }
  EXPECT_EQ(pos, frames.size());
  return cut;
}

std::string modeFixturePath(int mode) { return kxtest::fixturePath("speech-amr-mode" + std::to_string(mode) + ".amr"); }

// Our decoding against ffmpeg's of the same frames. ffmpeg leaves out the comfort-noise and
// no-data frames at the end of the recordings, so the comparison covers the frames both decode.
// Its decoder is not bit-exact with the library's: about 34 dB apart for most modes, 21 dB for
// MR102.
void expectAgreesWithFfmpeg(const std::string& ours, const std::string& framesPath, const std::string& options,
                            double minimumSnrDb) {
  int exitCode = -1;
  const std::string reference = codectest::ffmpegDecode(options, framesPath, &exitCode);
  ASSERT_EQ(exitCode, 0);
  ASSERT_GE(reference.size(), 200u * kBlock);
  EXPECT_GE(codectest::snrDb(codectest::samplesOf(reference), codectest::samplesOf(ours)), minimumSnrDb);
}

// sox reads storage files through the same library, frame by frame: its PCM must be ours exactly.
void expectSameAsSox(const std::string& ours, const std::string& storageFilePath) {
  ASSERT_TRUE(kxtest::haveProgram("sox"));
  int exitCode = -1;
  const std::string reference = kxtest::runCommand(
      "sox -t amr-nb '" + storageFilePath + "' -t raw -e signed-integer -b 16 -L - 2>/dev/null", &exitCode);
  ASSERT_EQ(exitCode, 0);
  EXPECT_EQ(ours.size(), reference.size());
  EXPECT_TRUE(ours == reference) << "PCM differs from the library's own decoding as sox frames it";
}

TEST(AMRCodec, EncodesEachTwentyMillisecondBlockIntoOneMR67Frame) {
  const std::string speech = codectest::speechPcm();
  ASSERT_GT(speech.size(), 4000u) << "speech fixture missing: run scripts/make-fixtures.sh";

  AMRCodec whole;
  const std::string oneFrame = encodeAll(whole, speech.substr(0, 320));
  ASSERT_EQ(oneFrame.size(), 18u);
  EXPECT_EQ(static_cast<unsigned char>(oneFrame[0]), 0x1C);

  AMRCodec split;
  EXPECT_EQ(encodeAll(split, speech.substr(0, 319)), "");
  EXPECT_EQ(encodeAll(split, speech.substr(319, 1)), oneFrame) << "the kept 319 bytes were not used";

  AMRCodec three;
  std::string out(54, '\0');
  int outLen = 53;
  EXPECT_FALSE(three.encode(speech.data(), 1000, out.data(), outLen));
  EXPECT_EQ(outLen, 53);
  outLen = 54;
  ASSERT_TRUE(three.encode(speech.data(), 1000, out.data(), outLen));
  EXPECT_EQ(outLen, 54);
  // 40 bytes are kept: 280 more complete the fourth block.
  EXPECT_EQ(encodeAll(three, speech.substr(1000, 280)).size(), 18u);
}

TEST(AMRCodec, FramesDoNotDependOnHowThePcmIsCut) {
  const std::string speech = codectest::speechPcm().substr(0, 40 * kBlock + 100);
  ASSERT_EQ(speech.size(), 40u * kBlock + 100) << "speech fixture missing";
  AMRCodec reference;
  const std::string expected = encodeAll(reference, speech);

  for (int chunk : {1, 7, 160, 319, 320, 321, 999, 4000}) {
    AMRCodec codec;
    std::string frames;
    int kept = 0;
    for (size_t pos = 0; pos < speech.size(); pos += static_cast<size_t>(chunk)) {
      const std::string piece = speech.substr(pos, static_cast<size_t>(chunk));
      const int pieceLength = static_cast<int>(piece.size());
      const int needed = (kept + pieceLength) / kBlock * kFrame;
      std::string out(static_cast<size_t>(needed + kFrame), '\0');
      if (needed > 0) {
        // A call refused for want of room must leave the kept bytes as they were.
        int tooSmall = needed - 1;
        EXPECT_FALSE(codec.encode(piece.data(), pieceLength, out.data(), tooSmall)) << chunk;
      }
      int outLen = static_cast<int>(out.size());
      ASSERT_TRUE(codec.encode(piece.data(), pieceLength, out.data(), outLen));
      ASSERT_EQ(outLen, needed);
      frames.append(out, 0, static_cast<size_t>(outLen));
      kept = (kept + pieceLength) % kBlock;
    }
    EXPECT_EQ(frames, expected) << "chunks of " << chunk;
  }
}

TEST(AMRCodec, SpeechFramesAreMR67AndFfmpegDecodesThemAsWeDo) {
  const std::string speech = codectest::speechPcm();
  ASSERT_GT(speech.size(), 200u * kBlock) << "speech fixture missing";
  AMRCodec encoder;
  const std::string frames = encodeAll(encoder, speech);
  ASSERT_EQ(frames.size(), speech.size() / kBlock * kFrame);
  for (size_t pos = 0; pos < frames.size(); pos += kFrame) {
    ASSERT_EQ(static_cast<unsigned char>(frames[pos]), 0x1C) << "frame " << pos / kFrame;
  }

  const std::string path = kxtest::scratchDir("amr-speech") + "/ours.amr";
  codectest::writeFile(path, frames);
  const std::vector<int> sizes = ffprobeFrameSizes("-f amrnb", path);
  EXPECT_EQ(sizes, std::vector<int>(frames.size() / kFrame, kFrame));

  AMRCodec decoder;
  const std::string ours = decodeAll(decoder, frames.data(), static_cast<int>(frames.size()));
  EXPECT_EQ(ours.size(), speech.size() / kBlock * kBlock);
  expectAgreesWithFfmpeg(ours, path, "-f amrnb", 25.0);
}

TEST(AMRCodec, SizesEveryFrameOfEachModeByItsHeader) {
  for (int mode = 0; mode < 8; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    const std::string file = codectest::readFile(modeFixturePath(mode));
    ASSERT_GT(file.size(), kStorageMagic.size()) << "fixture missing: run scripts/make-fixtures.sh";
    ASSERT_EQ(file.substr(0, kStorageMagic.size()), kStorageMagic);
    const std::vector<int> sizes = ffprobeFrameSizes("", modeFixturePath(mode));
    ASSERT_GT(sizes.size(), 200u);

    const std::string ours = decodeGuarded(file.substr(kStorageMagic.size()));
    EXPECT_EQ(ours.size(), sizes.size() * kBlock);
    expectSameAsSox(ours, modeFixturePath(mode));
    expectAgreesWithFfmpeg(ours, modeFixturePath(mode), "", 20.0);
  }
}

TEST(AMRCodec, DecodesAStreamThatChangesModeEveryFrame) {
  std::vector<std::vector<std::string>> framesByMode;
  for (int mode = 0; mode < 8; ++mode) {
    const std::string file = codectest::readFile(modeFixturePath(mode));
    ASSERT_GT(file.size(), kStorageMagic.size()) << "fixture missing: run scripts/make-fixtures.sh";
    framesByMode.push_back(cutFrames(file.substr(kStorageMagic.size()), ffprobeFrameSizes("", modeFixturePath(mode))));
  }
  std::string mixed;
  const size_t count = framesByMode[0].size();
  for (size_t i = 0; i < count; ++i) mixed += framesByMode[(i * 5 + i / 8) % 8][i];
  const std::string path = kxtest::scratchDir("amr-mixed") + "/mixed.amr";
  codectest::writeFile(path, kStorageMagic + mixed);

  const std::string ours = decodeGuarded(mixed);
  EXPECT_EQ(ours.size(), count * kBlock);
  expectSameAsSox(ours, path);
  expectAgreesWithFfmpeg(ours, path, "", 20.0);
}

struct FrameKind {
  int frameType;
  int storageSize;  // header included
};

TEST(AMRCodec, NeverHandsTheLibraryLessThanAFrameAnnounces) {
  // Storage-format sizes: the eight speech modes, the comfort-noise frames, reserved types and
  // "no data", which is the header alone.
  const FrameKind kinds[] = {{0, 13}, {1, 14}, {2, 16}, {3, 18}, {4, 20}, {5, 21}, {6, 27}, {7, 32},
                             {8, 6},  {9, 7},  {10, 6}, {11, 6}, {12, 1}, {13, 1}, {14, 1}, {15, 1}};
  const std::string speech = codectest::speechPcm();
  for (const FrameKind& kind : kinds) {
    SCOPED_TRACE("frame type " + std::to_string(kind.frameType));
    std::string frame(static_cast<size_t>(kind.storageSize), '\0');
    frame[0] = static_cast<char>((kind.frameType << 3) | 0x04);
    for (size_t i = 1; i < frame.size(); ++i) frame[i] = speech.empty() ? '\x5A' : speech[i * 31];

    EXPECT_EQ(decodeGuarded(frame + frame + frame).size(), 3u * kBlock);
    if (kind.storageSize > 1) {
      // The last frame lacks its final byte: it is left out, and nothing past the input is read.
      EXPECT_EQ(decodeGuarded(frame + frame.substr(0, frame.size() - 1)).size(), 1u * kBlock);
      // An MR67-sized unit whose header announces this type: nothing the library may not read.
      if (kind.storageSize > kFrame) {
        EXPECT_EQ(decodeGuarded(frame.substr(0, kFrame)).size(), 0u);
      }
    }
  }
}

TEST(AMRCodec, IgnoresBytesAfterTheLastCompleteFrame) {
  const std::string speech = codectest::speechPcm();
  ASSERT_GT(speech.size(), 3u * kBlock) << "speech fixture missing";
  AMRCodec encoder;
  const std::string frames = encodeAll(encoder, speech.substr(0, 3 * kBlock));
  ASSERT_EQ(frames.size(), 54u);

  AMRCodec exact;
  const std::string two = decodeAll(exact, frames.data(), 36);
  EXPECT_EQ(two.size(), 640u);
  AMRCodec withTail;
  EXPECT_EQ(decodeAll(withTail, frames.data(), 40), two);
  AMRCodec tooShort;
  EXPECT_EQ(decodeAll(tooShort, frames.data(), 17), "");
}

TEST(AMRCodec, OwnsLibraryStatesThatCannotBeShared) {
  // A copy would end the same library states twice; the stateless codecs copy freely.
  static_assert(!std::is_copy_constructible_v<AMRCodec>);
  static_assert(!std::is_copy_assignable_v<AMRCodec>);
  static_assert(std::is_copy_constructible_v<G711_ALAW_Codec>);
  SUCCEED();
}

}  // namespace
