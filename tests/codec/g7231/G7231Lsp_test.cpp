// LSP decoding of damaged indices: the stability repair never hands on a set that lies outside the
// cosine grid (a negative frequency), so the LSP -> LPC conversion never looks up outside its table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/G7231Codec.h"
#include "codec/g7231/G7231BasicOps.h"
#include "codec/g7231/G7231BitStream.h"
#include "codec/g7231/G7231Lsp.h"
#include "codec/g7231/G7231Tables.h"
#include "support/TestPaths.h"

namespace {

// A previous set whose first two frequencies lie close to zero: index 4408131 decodes to a first
// frequency that the repair pulls below zero (to -18).
const int16_t kLowPrevious[G7231Tables::LpcOrder] = {18, 274, 5672, 11086, 17058, 18551, 18807, 19990, 22330, 25442};

TEST(G7231Lsp, RepairBelowZeroKeepsThePreviousSet) {
  G7231BasicOps o;
  int16_t previous[G7231Tables::LpcOrder];
  std::copy(std::begin(kLowPrevious), std::end(kLowPrevious), previous);
  int16_t lsp[G7231Tables::LpcOrder] = {};
  G7231Lsp::decode(o, lsp, previous, 4408131, 0);
  EXPECT_EQ(std::vector<int16_t>(lsp, lsp + G7231Tables::LpcOrder),
            std::vector<int16_t>(kLowPrevious, kLowPrevious + G7231Tables::LpcOrder));
  EXPECT_EQ(std::vector<int16_t>(previous, previous + G7231Tables::LpcOrder),
            std::vector<int16_t>(kLowPrevious, kLowPrevious + G7231Tables::LpcOrder))
      << "the prediction memory is given back unchanged";
}

TEST(G7231Lsp, OrderedSetsPassUnchangedThroughTheLowEdge) {
  // A repaired set whose first frequency ends between 0 and the 0x180 floor is kept as it is.
  G7231BasicOps o;
  int16_t previous[G7231Tables::LpcOrder] = {213, 468, 5751, 10924, 16508, 18339, 18594, 20155, 22604, 25710};
  int16_t lsp[G7231Tables::LpcOrder] = {};
  G7231Lsp::decode(o, lsp, previous, 4408131, 0);
  EXPECT_EQ(std::vector<int16_t>(lsp, lsp + G7231Tables::LpcOrder),
            std::vector<int16_t>(kLowPrevious, kLowPrevious + G7231Tables::LpcOrder));
}

// The fuzz input that walked the first frequency below zero decodes frame after frame; under the
// address and undefined-behaviour sanitizers any look-up outside the tables fails this test.
TEST(G7231Lsp, CraftedStreamDecodesInsideTheTables) {
  const std::string input = kxtest::readFile(kxtest::fixtureDir() + "/../fuzz/corpus/g7231_decode/lsp-below-zero");
  ASSERT_GT(input.size(), 2u);
  const std::string frames = input.substr(2);  // the fuzz input's first two bytes give its output room
  G7231Codec codec;
  int decoded = 0;
  for (size_t at = 0; at < frames.size();) {
    const size_t size = static_cast<size_t>(G7231BitStream::frameSize(static_cast<unsigned char>(frames[at])));
    if (size > frames.size() - at) break;  // the input ends inside a frame
    char pcm[480];
    int length = sizeof(pcm);
    ASSERT_TRUE(codec.decode(frames.data() + at, static_cast<int>(size), pcm, length)) << "frame at byte " << at;
    EXPECT_EQ(480, length);
    ++decoded;
    at += size;
  }
  EXPECT_GE(decoded, 5) << "the fifth frame drove the first frequency below zero";
}

}  // namespace
