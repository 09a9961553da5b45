#include "media/SpsParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "SpsBitWriter.h"

namespace {

using Bytes = std::vector<unsigned char>;

// What a hand-made SPS holds; each part that has syntax of its own is written by a function.
struct SpsLayout {
  uint32_t profile = 100;
  uint32_t constraintFlags = 0;  // the four flags, most significant first
  uint32_t level = 40;
  uint32_t spsId = 0;
  uint32_t chromaFormat = 1;
  uint32_t bitDepthLuma = 0;
  uint32_t bitDepthChroma = 0;
  std::function<void(SpsBitWriter&)> scalingMatrix = [](SpsBitWriter& w) { w.flag(false); };
  std::function<void(SpsBitWriter&)> picOrderCount = [](SpsBitWriter& w) { w.ue(0).ue(0).ue(2); };
  uint32_t numRefFrames = 4;
  uint32_t widthMbsMinus1 = 119;
  uint32_t heightMapUnitsMinus1 = 67;
  bool frameMbsOnly = true;
  bool mbAdaptive = false;
  std::vector<uint32_t> crop;  // left, right, top, bottom when cropping
  std::function<void(SpsBitWriter&)> vui;  // none: no VUI
};

SpsBitWriter writeSps(const SpsLayout& layout) {
  SpsBitWriter w;
  w.u(8, layout.profile).u(4, layout.constraintFlags).u(4, 0).u(8, layout.level).ue(layout.spsId);
  const uint32_t p = layout.profile;
  if (p == 100 || p == 110 || p == 122 || p == 144) {
    w.ue(layout.chromaFormat);
    if (layout.chromaFormat == 3) w.flag(false);
    w.ue(layout.bitDepthLuma).ue(layout.bitDepthChroma).flag(false);
    layout.scalingMatrix(w);
  }
  layout.picOrderCount(w);
  w.ue(layout.numRefFrames).flag(false).ue(layout.widthMbsMinus1).ue(layout.heightMapUnitsMinus1);
  w.flag(layout.frameMbsOnly);
  if (!layout.frameMbsOnly) w.flag(layout.mbAdaptive);
  w.flag(true);  // direct_8x8_inference_flag
  w.flag(!layout.crop.empty());
  for (uint32_t offset : layout.crop) w.ue(offset);
  w.flag(static_cast<bool>(layout.vui));
  if (layout.vui) layout.vui(w);
  return w;
}

SeqParameterSet parse(const Bytes& unit) {
  SeqParameterSet sps;
  EXPECT_EQ(parseSPS(static_cast<int>(unit.size()), unit.data(), &sps), 0);
  return sps;
}

SeqParameterSet parse(const SpsLayout& layout) { return parse(writeSps(layout).unit()); }

bool hasEmulationPrevention(const Bytes& unit) {
  for (size_t i = 2; i < unit.size(); ++i) {
    if (unit[i - 2] == 0 && unit[i - 1] == 0 && unit[i] == 3) return true;
  }
  return false;
}

TEST(SpsParserTest, PictureSizeInWholeMacroblocksForProgressiveAndInterlacedStreams) {
  struct Case {
    const char* what;
    uint32_t profile;
    uint32_t widthMbsMinus1;
    uint32_t heightMapUnitsMinus1;
    bool frameMbsOnly;
    bool mbAdaptive;
    int64_t width;
    int64_t height;
  };
  const std::vector<Case> cases = {
      {"1080p baseline", 66, 119, 67, true, false, 1920, 1088},
      {"1080i high with adaptive frame/field", 100, 119, 33, false, true, 1920, 1088},
      {"576i main, field pictures only", 77, 44, 17, false, false, 720, 576},
      {"extended profile CIF", 88, 21, 17, true, false, 352, 288},
      {"one macroblock", 110, 0, 0, true, false, 16, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SpsLayout layout;
    layout.profile = c.profile;
    layout.widthMbsMinus1 = c.widthMbsMinus1;
    layout.heightMapUnitsMinus1 = c.heightMapUnitsMinus1;
    layout.frameMbsOnly = c.frameMbsOnly;
    layout.mbAdaptive = c.mbAdaptive;
    layout.crop = {0, 0, 0, 4};
    SeqParameterSet sps = parse(layout);
    EXPECT_EQ(sps.valid, 1u);
    EXPECT_EQ(sps.profile_idc, c.profile);
    EXPECT_EQ(sps.pictureWidth(), c.width);
    EXPECT_EQ(sps.pictureHeight(), c.height);
    EXPECT_EQ(sps.frame_mbs_only_flag, c.frameMbsOnly ? 1u : 0u);
    EXPECT_EQ(sps.mb_adaptive_frame_field_flag, c.mbAdaptive ? 1u : 0u);
    // Cropping is read, not applied.
    EXPECT_EQ(sps.frame_cropping_flag, 1u);
    EXPECT_EQ(sps.frame_crop_bottom_offset, 4u);
    EXPECT_EQ(sps.direct_8x8_inference_flag, 1u);
  }
}

TEST(SpsParserTest, HeaderFieldsAndTheHighProfileExtras) {
  SpsLayout baseline;
  baseline.profile = 66;
  baseline.constraintFlags = 0xA;  // set0 and set2
  baseline.level = 31;
  baseline.spsId = 5;
  SeqParameterSet sps = parse(baseline);
  EXPECT_EQ(sps.constraint_set0_flag, 1u);
  EXPECT_EQ(sps.constraint_set1_flag, 0u);
  EXPECT_EQ(sps.constraint_set2_flag, 1u);
  EXPECT_EQ(sps.constraint_set3_flag, 0u);
  EXPECT_EQ(sps.level_idc, 31u);
  EXPECT_EQ(sps.seq_parameter_set_id, 5u);
  EXPECT_EQ(sps.chroma_format_idc, 1u);  // not coded below the high profiles
  EXPECT_EQ(sps.bit_depth_luma_minus8, 0u);
  EXPECT_EQ(sps.num_ref_frames, 4u);
  EXPECT_EQ(sps.log2_max_pic_order_cnt_lsb_minus4, 2u);
  EXPECT_EQ(sps.valid, 1u);

  // 4:4:4 codes one more flag, which must be passed over.
  SpsLayout high444;
  high444.profile = 144;
  high444.chromaFormat = 3;
  high444.bitDepthLuma = 2;
  high444.bitDepthChroma = 4;
  high444.widthMbsMinus1 = 39;
  sps = parse(high444);
  EXPECT_EQ(sps.chroma_format_idc, 3u);
  EXPECT_EQ(sps.bit_depth_luma_minus8, 2u);
  EXPECT_EQ(sps.bit_depth_chroma_minus8, 4u);
  EXPECT_EQ(sps.pictureWidth(), 640);
  EXPECT_EQ(sps.valid, 1u);
}

TEST(SpsParserTest, ScalingListsAreStoredInRasterOrder) {
  const int zigZag4x4[16] = {0, 1, 4, 8, 5, 2, 3, 6, 9, 12, 13, 10, 7, 11, 14, 15};
  SpsLayout layout;
  layout.scalingMatrix = [](SpsBitWriter& w) {
    w.flag(true);
    // List 0: values 6, 9, 12 ... in scan order (first delta -2 from the start value 8, then +3).
    w.flag(true).se(-2);
    for (int j = 1; j < 16; ++j) w.se(3);
    // List 1: a first value of 0 asks for the default list.
    w.flag(true).se(-8);
    // List 2 absent; list 3: 20, then the value 0 at scan index 1 repeats 20 to the end.
    w.flag(false).flag(true).se(12).se(-20);
    w.flag(false).flag(false);
    // 8x8 list 0: values 10 + j in scan order.
    w.flag(true).se(2);
    for (int j = 1; j < 64; ++j) w.se(1);
    // 8x8 list 1: 8 - 14 wraps to 250, 250 + 10 wraps to 4, then 0 repeats 4 to the end.
    w.flag(true).se(-14).se(10).se(-4);
  };
  SeqParameterSet sps = parse(layout);
  ASSERT_EQ(sps.valid, 1u);
  EXPECT_EQ(sps.seq_scaling_matrix_present_flag, 1u);
  const uint32_t present[8] = {1, 1, 0, 1, 0, 0, 1, 1};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(sps.seq_scaling_list_present_flag[i], present[i]) << i;

  for (int j = 0; j < 16; ++j) EXPECT_EQ(sps.ScalingList4x4[0][zigZag4x4[j]], 6u + 3u * j) << j;
  EXPECT_EQ(sps.UseDefaultScalingMatrix4x4Flag[0], 0u);
  EXPECT_EQ(sps.UseDefaultScalingMatrix4x4Flag[1], 1u);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(sps.ScalingList4x4[1][k], 8u) << k;
    EXPECT_EQ(sps.ScalingList4x4[2][k], 0u) << k;
    EXPECT_EQ(sps.ScalingList4x4[3][k], 20u) << k;
  }
  EXPECT_EQ(sps.UseDefaultScalingMatrix4x4Flag[3], 0u);

  // The 8x8 zig-zag scan at its corners and turns: scan index -> raster index.
  const std::vector<std::pair<int, int>> scanToRaster = {
      {0, 0}, {1, 1}, {2, 8}, {3, 16}, {4, 9}, {5, 2}, {6, 3}, {14, 4}, {15, 5},
      {27, 6}, {28, 7}, {35, 56}, {42, 15}, {48, 58}, {61, 55}, {62, 62}, {63, 63}};
  for (const auto& [scan, raster] : scanToRaster) {
    EXPECT_EQ(sps.ScalingList8x8[0][raster], 10u + scan) << scan;
  }
  EXPECT_EQ(sps.ScalingList8x8[1][0], 250u);
  EXPECT_EQ(sps.ScalingList8x8[1][1], 4u);
  EXPECT_EQ(sps.ScalingList8x8[1][8], 4u);
  EXPECT_EQ(sps.ScalingList8x8[1][63], 4u);
  EXPECT_EQ(sps.UseDefaultScalingMatrix8x8Flag[0], 0u);
  EXPECT_EQ(sps.UseDefaultScalingMatrix8x8Flag[1], 0u);
  // Everything after the lists is still read at the right place.
  EXPECT_EQ(sps.pictureWidth(), 1920);
  EXPECT_EQ(sps.num_ref_frames, 4u);
}

TEST(SpsParserTest, ScalingMatrixFlagWithoutListsLeavesTheListsEmpty) {
  SpsLayout layout;
  layout.scalingMatrix = [](SpsBitWriter& w) {
    w.flag(true);
    for (int i = 0; i < 8; ++i) w.flag(false);
  };
  SeqParameterSet sps = parse(layout);
  EXPECT_EQ(sps.valid, 1u);
  EXPECT_EQ(sps.seq_scaling_matrix_present_flag, 1u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(sps.UseDefaultScalingMatrix4x4Flag[i], 0u);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(sps.ScalingList4x4[i][k], 0u);
  }
  for (int k = 0; k < 64; ++k) EXPECT_EQ(sps.ScalingList8x8[1][k], 0u);
  EXPECT_EQ(sps.pictureHeight(), 1088);
}

TEST(SpsParserTest, PicOrderCountCycleStoresItsOffsetsWithinTheRecord) {
  struct Case {
    const char* what;
    uint32_t cycle;
  };
  const std::vector<Case> cases = {{"three frames", 3}, {"as many as the record holds", 256},
                                   {"more than the record holds", 300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SpsLayout layout;
    layout.picOrderCount = [&c](SpsBitWriter& w) {
      w.ue(1).ue(1).flag(true).se(-3).se(7).ue(c.cycle);
      for (uint32_t i = 0; i < c.cycle; ++i) w.se(static_cast<int64_t>(i % 2 ? i : -(int64_t)i) + 1);
    };
    layout.numRefFrames = 9;
    SeqParameterSet sps = parse(layout);
    EXPECT_EQ(sps.valid, 1u);
    EXPECT_EQ(sps.pic_order_cnt_type, 1u);
    EXPECT_EQ(sps.delta_pic_order_always_zero_flag, 1u);
    EXPECT_EQ(sps.offset_for_non_ref_pic, -3);
    EXPECT_EQ(sps.offset_for_top_to_bottom_field, 7);
    EXPECT_EQ(sps.num_ref_frames_in_pic_order_cnt_cycle, c.cycle);
    const uint32_t stored = std::min<uint32_t>(c.cycle, SeqParameterSet::kMaxPocCycleLength);
    for (uint32_t i = 0; i < SeqParameterSet::kMaxPocCycleLength; ++i) {
      int32_t expected = i < stored ? static_cast<int32_t>(i % 2 ? i : -(int64_t)i) + 1 : 0;
      ASSERT_EQ(sps.offset_for_ref_frame[i], expected) << i;
    }
    // The offsets beyond the record were read past: what follows them is right.
    EXPECT_EQ(sps.num_ref_frames, 9u);
    EXPECT_EQ(sps.pictureWidth(), 1920);
  }
}

SpsBitWriter& writeHrd(SpsBitWriter& w, uint32_t cpbCountMinus1, uint32_t coded) {
  w.ue(cpbCountMinus1).u(4, 2).u(4, 3);
  for (uint32_t i = 0; i < coded; ++i) w.ue(1000 + i).ue(2000 + i).flag(i % 2 == 1);
  return w.u(5, 23).u(5, 22).u(5, 21).u(5, 20);
}

TEST(SpsParserTest, VuiWithBothHrdRecordsAndBitstreamRestriction) {
  SpsLayout layout;
  layout.vui = [](SpsBitWriter& w) {
    w.flag(true).u(8, 255).u(16, 64).u(16, 45);  // extended sample aspect ratio
    w.flag(true).flag(true);                      // overscan
    w.flag(true).u(3, 5).flag(true).flag(true).u(8, 1).u(8, 6).u(8, 9);
    w.flag(true).ue(1).ue(2);                     // chroma location
    w.flag(true).u(32, 1001).u(32, 60000).flag(true);
    w.flag(true);
    writeHrd(w, 0, 1);
    w.flag(true);
    writeHrd(w, 40, 41);                          // more schedules than the record holds
    w.flag(true).flag(true);                      // low delay, pic_struct
    w.flag(true).flag(false).ue(2).ue(1).ue(13).ue(11).ue(3).ue(5);
  };
  SeqParameterSet sps = parse(layout);
  ASSERT_EQ(sps.valid, 1u);
  const SeqParameterSet::VuiParameters& vui = sps.vui_seq_parameters;
  EXPECT_EQ(vui.aspect_ratio_idc, 255u);
  EXPECT_EQ(vui.sar_width, 64u);
  EXPECT_EQ(vui.sar_height, 45u);
  EXPECT_EQ(vui.overscan_appropriate_flag, 1u);
  EXPECT_EQ(vui.video_format, 5u);
  EXPECT_EQ(vui.video_full_range_flag, 1u);
  EXPECT_EQ(vui.colour_primaries, 1u);
  EXPECT_EQ(vui.transfer_characteristics, 6u);
  EXPECT_EQ(vui.matrix_coefficients, 9u);
  EXPECT_EQ(vui.chroma_sample_loc_type_top_field, 1u);
  EXPECT_EQ(vui.chroma_sample_loc_type_bottom_field, 2u);
  EXPECT_EQ(vui.num_units_in_tick, 1001u);
  EXPECT_EQ(vui.time_scale, 60000u);
  EXPECT_EQ(vui.fixed_frame_rate_flag, 1u);

  const SeqParameterSet::HrdParameters& nal = vui.nal_hrd_parameters;
  EXPECT_EQ(nal.cpb_cnt_minus1, 0u);
  EXPECT_EQ(nal.bit_rate_scale, 2u);
  EXPECT_EQ(nal.cpb_size_scale, 3u);
  EXPECT_EQ(nal.bit_rate_value_minus1[0], 1000u);
  EXPECT_EQ(nal.cpb_size_value_minus1[0], 2000u);
  EXPECT_EQ(nal.initial_cpb_removal_delay_length_minus1, 23u);
  EXPECT_EQ(nal.time_offset_length, 20u);
  const SeqParameterSet::HrdParameters& vcl = vui.vcl_hrd_parameters;
  EXPECT_EQ(vcl.cpb_cnt_minus1, 40u);
  EXPECT_EQ(vcl.bit_rate_value_minus1[31], 1031u);
  EXPECT_EQ(vcl.cpb_size_value_minus1[31], 2031u);
  EXPECT_EQ(vcl.cbr_flag[31], 1u);
  EXPECT_EQ(vcl.cbr_flag[30], 0u);
  EXPECT_EQ(vcl.cpb_removal_delay_length_minus1, 22u);
  EXPECT_EQ(vcl.dpb_output_delay_length_minus1, 21u);

  EXPECT_EQ(vui.low_delay_hrd_flag, 1u);
  EXPECT_EQ(vui.pic_struct_present_flag, 1u);
  EXPECT_EQ(vui.bitstream_restriction_flag, 1u);
  EXPECT_EQ(vui.motion_vectors_over_pic_boundaries_flag, 0u);
  EXPECT_EQ(vui.max_bytes_per_pic_denom, 2u);
  EXPECT_EQ(vui.max_bits_per_mb_denom, 1u);
  EXPECT_EQ(vui.log2_max_mv_length_horizontal, 13u);  // coded first
  EXPECT_EQ(vui.log2_max_mv_length_vertical, 11u);
  EXPECT_EQ(vui.num_reorder_frames, 3u);
  EXPECT_EQ(vui.max_dec_frame_buffering, 5u);
}

TEST(SpsParserTest, MatrixCoefficientsDefaultToUnspecifiedWithoutColourDescription) {
  SpsLayout layout;
  layout.vui = [](SpsBitWriter& w) { w.flag(false).flag(false).flag(false).flag(false).flag(false)
                                         .flag(false).flag(false).flag(false).flag(false); };
  SeqParameterSet sps = parse(layout);
  EXPECT_EQ(sps.valid, 1u);
  EXPECT_EQ(sps.vui_parameters_present_flag, 1u);
  EXPECT_EQ(sps.vui_seq_parameters.matrix_coefficients, 2u);
  EXPECT_EQ(sps.vui_seq_parameters.low_delay_hrd_flag, 0u);
}

// Zero bytes inside the coded fields make the writer insert emulation-prevention bytes; read as they
// stand they would shift every later field by eight bits.
TEST(SpsParserTest, EmulationPreventionBytesAreTakenOutBeforeReading) {
  SpsLayout layout;
  layout.vui = [](SpsBitWriter& w) {
    w.flag(false).flag(false).flag(false).flag(false);
    w.flag(true).u(32, 1).u(32, 50).flag(false);
    w.flag(false).flag(false).flag(false);
    w.flag(true).flag(true).ue(0).ue(0).ue(9).ue(9).ue(2).ue(4);
  };
  Bytes unit = writeSps(layout).unit();
  ASSERT_TRUE(hasEmulationPrevention(unit));
  SeqParameterSet sps = parse(unit);
  EXPECT_EQ(sps.valid, 1u);
  EXPECT_EQ(sps.vui_seq_parameters.num_units_in_tick, 1u);
  EXPECT_EQ(sps.vui_seq_parameters.time_scale, 50u);
  EXPECT_EQ(sps.vui_seq_parameters.num_reorder_frames, 2u);
  EXPECT_EQ(sps.vui_seq_parameters.max_dec_frame_buffering, 4u);

  const Bytes escaped = {0x00, 0x00, 0x03, 0x01, 0x00, 0x00, 0x03, 0x00, 0x00, 0x03, 0x03, 0x00, 0x03};
  const Bytes plain = {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x03};
  EXPECT_EQ(removeEmulationPrevention(escaped.data(), static_cast<int>(escaped.size())), plain);
}

TEST(SpsParserTest, UnknownProfilesReadNothingButTheProfile) {
  for (uint32_t profile : {0u, 44u, 83u, 118u, 244u}) {
    SCOPED_TRACE(profile);
    SpsLayout layout;
    layout.profile = profile;
    SeqParameterSet sps = parse(layout);
    EXPECT_EQ(sps.profile_idc, profile);
    EXPECT_EQ(sps.valid, 0u);
    EXPECT_EQ(sps.level_idc, 0u);
    EXPECT_EQ(sps.chroma_format_idc, 0u);
    EXPECT_EQ(sps.pic_width_in_mbs_minus1, 0u);
    // The size a decoder then derives from the zeroed record.
    EXPECT_EQ(sps.pictureWidth(), 16);
    EXPECT_EQ(sps.pictureHeight(), 32);
  }
}

// Malformed units end with a record marked incomplete, quickly, and never read outside the unit.
TEST(SpsParserTest, MalformedUnitsEndWithAnIncompleteRecord) {
  struct Case {
    const char* what;
    Bytes unit;
  };
  SpsLayout huge;
  huge.picOrderCount = [](SpsBitWriter& w) { w.ue(0).ue(1).flag(false).se(0).se(0).ue(4294967294u).se(1); };
  SpsLayout hugeCpb;
  hugeCpb.vui = [](SpsBitWriter& w) {
    w.flag(false).flag(false).flag(false).flag(false).flag(false).flag(true);
    writeHrd(w, 4294967294u, 3);
  };
  SpsLayout overlongRun;
  overlongRun.picOrderCount = [](SpsBitWriter& w) { w.zeros(40).u(1, 1).zeros(8); };
  Bytes zeroRun = {0x67, 100, 0, 40};
  zeroRun.resize(100000, 0);
  const std::vector<Case> cases = {
      {"nothing but the header byte", {0x67}},
      {"no bytes at all", {}},
      {"profile only", {0x67, 100}},
      {"a huge pic-order-count cycle", writeSps(huge).unit()},
      {"a huge count of schedules", writeSps(hugeCpb).unit()},
      {"a zero run too long for any value", writeSps(overlongRun).unit()},
      {"a long unit of zero bytes", zeroRun},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto started = std::chrono::steady_clock::now();
    SeqParameterSet sps = parse(c.unit);
    EXPECT_EQ(sps.valid, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  }
  EXPECT_EQ(parseSPS(10, nullptr, nullptr), 0);
  SeqParameterSet sps;
  EXPECT_EQ(parseSPS(10, nullptr, &sps), 0);
  EXPECT_EQ(sps.valid, 0u);
}

// Every cut of a complete unit before its last field is incomplete; the whole unit is not.
TEST(SpsParserTest, TruncatedUnitsAreIncomplete) {
  SpsLayout layout;
  layout.crop = {1, 2, 3, 4};
  layout.vui = [](SpsBitWriter& w) {
    w.flag(true).u(8, 1).flag(false).flag(true).u(3, 5).flag(false).flag(false).flag(false);
    w.flag(true).u(32, 1).u(32, 50).flag(true).flag(false).flag(false).flag(false);
    w.flag(true).flag(true).ue(0).ue(0).ue(9).ue(9).ue(2).ue(5);
  };
  // Lengthen one field until the stop bit shares the last byte with field bits, so that cutting
  // that byte cuts a field.
  SpsBitWriter writer = writeSps(layout);
  while (writer.rbsp(true).size() != writer.rbsp(false).size()) {
    layout.widthMbsMinus1 = layout.widthMbsMinus1 * 2 + 1;
    writer = writeSps(layout);
  }
  Bytes unit = writer.unit();
  ASSERT_EQ(parse(unit).valid, 1u);
  for (size_t length = 0; length + 1 < unit.size(); ++length) {
    SCOPED_TRACE(length);
    Bytes cut(unit.begin(), unit.begin() + length);
    EXPECT_EQ(parse(cut).valid, 0u);
  }
}

TEST(SpsParserTest, FindsTheSpsBehindOtherUnitsOfAnAccessUnit) {
  SpsLayout layout;
  layout.widthMbsMinus1 = 21;
  layout.heightMapUnitsMinus1 = 17;
  Bytes sps = writeSps(layout).unit();
  const Bytes aud = {0, 0, 0, 1, 0x09, 0xF0};
  const Bytes sei = {0, 0, 1, 0x06, 0x05, 0x01, 0x00, 0x80};
  const Bytes slice = {0, 0, 1, 0x65, 0x88, 0x84};
  auto stream = [&](std::vector<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
  };
  Bytes spsUnit = {0, 0, 0, 1};
  spsUnit.insert(spsUnit.end(), sps.begin(), sps.end());
  struct Case {
    const char* what;
    Bytes data;
    bool found;
  };
  const std::vector<Case> cases = {
      {"first unit", stream({spsUnit, slice}), true},
      {"after an access-unit delimiter", stream({aud, spsUnit, slice}), true},
      {"after a delimiter and an SEI", stream({aud, sei, spsUnit, slice}), true},
      {"behind the first slice", stream({aud, slice, spsUnit}), false},
      {"no SPS at all", stream({aud, sei, slice}), false},
      {"malformed data", {0x12, 0x34}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SeqParameterSet parsed;
    testing::internal::CaptureStdout();
    bool found = findSPS(c.data.data(), static_cast<int>(c.data.size()), &parsed);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(found, c.found);
    if (c.found) {
      EXPECT_EQ(parsed.valid, 1u);
      EXPECT_EQ(parsed.pictureWidth(), 352);
      EXPECT_EQ(parsed.pictureHeight(), 288);
    }
  }
}

}  // namespace
