// The saturating operators at their edges, the per-object saturation flag, and the division
// checks that raise instead of ending the process.
#include <gtest/gtest.h>

#include "codec/g7231/G7231BasicOps.h"
#include "codec/g7231/G7231Context.h"

namespace {

TEST(G7231BasicOps, SaturateAtTheirEdges) {
  G7231BasicOps o;
  EXPECT_EQ(o.add(32767, 1), 32767);
  EXPECT_EQ(o.sub(-32768, 1), -32768);
  EXPECT_EQ(o.mult(-32768, -32768), 32767);
  EXPECT_EQ(o.mult_r(-32768, -32768), 32767);
  EXPECT_EQ(o.mult(16384, 16384), 8192);
  EXPECT_EQ(o.mult(-1, 1), -1);
  EXPECT_EQ(o.L_mult(-32768, -32768), G7231BasicOps::kMax32);
  EXPECT_EQ(o.L_add(G7231BasicOps::kMax32, 1), G7231BasicOps::kMax32);
  EXPECT_EQ(o.L_sub(G7231BasicOps::kMin32, 1), G7231BasicOps::kMin32);
  EXPECT_EQ(o.shl(0x4000, 1), 32767);
  EXPECT_EQ(o.shl(-0x4001, 1), -32768);
  EXPECT_EQ(o.shl(1, 20), 32767);
  EXPECT_EQ(o.shl(0, 20), 0);
  EXPECT_EQ(o.shr(-1, 20), -1);
  EXPECT_EQ(o.shr(-7, 1), -4);
  EXPECT_EQ(o.L_shl(0x40000000, 1), G7231BasicOps::kMax32);
  EXPECT_EQ(o.L_shl(-0x40000001, 1), G7231BasicOps::kMin32);
  EXPECT_EQ(o.L_shr(-1, 40), -1);
  EXPECT_EQ(G7231BasicOps::abs_s(-32768), 32767);
  EXPECT_EQ(G7231BasicOps::negate(-32768), 32767);
  EXPECT_EQ(G7231BasicOps::L_abs(G7231BasicOps::kMin32), G7231BasicOps::kMax32);
  EXPECT_EQ(G7231BasicOps::L_negate(G7231BasicOps::kMin32), G7231BasicOps::kMax32);
  EXPECT_EQ(G7231BasicOps::norm_s(1), 14);
  EXPECT_EQ(G7231BasicOps::norm_s(-1), 15);
  EXPECT_EQ(G7231BasicOps::norm_l(1), 30);
  EXPECT_EQ(G7231BasicOps::norm_l(-1), 31);
  EXPECT_EQ(G7231BasicOps::norm_l(0), 0);
  EXPECT_EQ(o.round(0x7fff8000), 32767);
  EXPECT_EQ(o.L_mls(0x40000000, 0x4000), 0x20000000);
  EXPECT_EQ(o.div_s(1, 2), 16384);
  EXPECT_EQ(o.div_s(3, 3), 32767);
  EXPECT_EQ(o.div_l(0x20000000, 0x4000), 16384);
  EXPECT_EQ(o.div_l(0x7fffffff, 1), 32767);
}

TEST(G7231BasicOps, SaturationFlagBelongsToTheObject) {
  G7231BasicOps first;
  G7231BasicOps second;
  first.add(32767, 1);
  EXPECT_EQ(first.saturationFlag(), 1);
  EXPECT_EQ(second.saturationFlag(), 0);
  first.add(1, 1);  // a 16-bit operator that fits clears it again
  EXPECT_EQ(first.saturationFlag(), 0);
  first.L_add(G7231BasicOps::kMax32, 1);
  EXPECT_EQ(first.saturationFlag(), 1);
}

TEST(G7231BasicOps, DivisionsRaiseOnOperandsOutsideTheirDomain) {
  G7231BasicOps o;
  EXPECT_THROW(o.div_s(5, 3), G7231ArithmeticError);
  EXPECT_THROW(o.div_s(-1, 3), G7231ArithmeticError);
  EXPECT_THROW(o.div_s(0, 0), G7231ArithmeticError);
  EXPECT_THROW(o.div_l(10, 0), G7231ArithmeticError);
  EXPECT_THROW(o.div_l(-10, 5), G7231ArithmeticError);
  EXPECT_THROW(o.div_l(10, -5), G7231ArithmeticError);
  EXPECT_EQ(o.div_s(1, 4), 8192) << "still usable after raising";
}

TEST(G7231Context, ProcessFrameNeedsAnInput) {
  G7231Context encoder(G7231Context::kEncode);
  G7231Context decoder(G7231Context::kDecode);
  EXPECT_FALSE(encoder.processFrame(nullptr));
  EXPECT_FALSE(decoder.processFrame(nullptr));
  EXPECT_EQ(encoder.outputSize(), 24) << "an all-zero buffer reads as a 6.3 kbit/s frame";
  EXPECT_EQ(decoder.outputSize(), 480);
}

TEST(G7231Context, DecoderRateFollowsTheLastActiveFrame) {
  G7231Context decoder(G7231Context::kDecode);
  EXPECT_EQ(decoder.rate(), 0);
  const uint8_t low[20] = {0x01};
  const uint8_t high[24] = {0x00};
  const uint8_t silent[1] = {0x03};
  ASSERT_TRUE(decoder.processFrame(low));
  EXPECT_EQ(decoder.rate(), 1);
  ASSERT_TRUE(decoder.processFrame(silent));
  EXPECT_EQ(decoder.rate(), 1) << "silence keeps the rate of the speech before it";
  ASSERT_TRUE(decoder.processFrame(high));
  EXPECT_EQ(decoder.rate(), 0);
}

}  // namespace
