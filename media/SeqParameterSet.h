#pragma once
#include <cstdint>

// A parsed H.264 sequence parameter set. Fields carry the syntax element names; flags hold 0 or 1;
// se(v) elements are signed, all others unsigned. A new record is all zero.
struct SeqParameterSet {
  static constexpr int kMaxCpbCount = 32;
  static constexpr int kMaxPocCycleLength = 256;

  // Hypothetical reference decoder parameters (used for the NAL and the VCL HRD). Only the first
  // kMaxCpbCount schedules are stored, whatever cpb_cnt_minus1 says.
  struct HrdParameters {
    uint32_t cpb_cnt_minus1 = 0;
    uint32_t bit_rate_scale = 0;
    uint32_t cpb_size_scale = 0;
    uint32_t bit_rate_value_minus1[kMaxCpbCount] = {};
    uint32_t cpb_size_value_minus1[kMaxCpbCount] = {};
    uint32_t cbr_flag[kMaxCpbCount] = {};
    uint32_t initial_cpb_removal_delay_length_minus1 = 0;
    uint32_t cpb_removal_delay_length_minus1 = 0;
    uint32_t dpb_output_delay_length_minus1 = 0;
    uint32_t time_offset_length = 0;
  };

  struct VuiParameters {
    uint32_t aspect_ratio_info_present_flag = 0;
    uint32_t aspect_ratio_idc = 0;
    uint32_t sar_width = 0;
    uint32_t sar_height = 0;
    uint32_t overscan_info_present_flag = 0;
    uint32_t overscan_appropriate_flag = 0;
    uint32_t video_signal_type_present_flag = 0;
    uint32_t video_format = 0;
    uint32_t video_full_range_flag = 0;
    uint32_t colour_description_present_flag = 0;
    uint32_t colour_primaries = 0;
    uint32_t transfer_characteristics = 0;
    uint32_t matrix_coefficients = 0;
    uint32_t chroma_loc_info_present_flag = 0;
    uint32_t chroma_sample_loc_type_top_field = 0;
    uint32_t chroma_sample_loc_type_bottom_field = 0;
    uint32_t timing_info_present_flag = 0;
    uint32_t num_units_in_tick = 0;
    uint32_t time_scale = 0;
    uint32_t fixed_frame_rate_flag = 0;
    uint32_t nal_hrd_parameters_present_flag = 0;
    HrdParameters nal_hrd_parameters;
    uint32_t vcl_hrd_parameters_present_flag = 0;
    HrdParameters vcl_hrd_parameters;
    uint32_t low_delay_hrd_flag = 0;
    uint32_t pic_struct_present_flag = 0;
    uint32_t bitstream_restriction_flag = 0;
    uint32_t motion_vectors_over_pic_boundaries_flag = 0;
    uint32_t max_bytes_per_pic_denom = 0;
    uint32_t max_bits_per_mb_denom = 0;
    // The vertical length stands first here although the stream codes the horizontal one first.
    uint32_t log2_max_mv_length_vertical = 0;
    uint32_t log2_max_mv_length_horizontal = 0;
    uint32_t num_reorder_frames = 0;
    uint32_t max_dec_frame_buffering = 0;
  };

  // Set only by a parse that read every element it needed without running out of bits.
  uint32_t valid = 0;
  uint32_t profile_idc = 0;
  uint32_t constraint_set0_flag = 0;
  uint32_t constraint_set1_flag = 0;
  uint32_t constraint_set2_flag = 0;
  uint32_t constraint_set3_flag = 0;
  uint32_t level_idc = 0;
  uint32_t seq_parameter_set_id = 0;
  uint32_t chroma_format_idc = 0;
  uint32_t seq_scaling_matrix_present_flag = 0;
  uint32_t seq_scaling_list_present_flag[8] = {};
  // Scaling lists in raster order (the stream codes them in zig-zag order).
  uint32_t ScalingList4x4[6][16] = {};
  uint32_t ScalingList8x8[2][64] = {};
  uint32_t UseDefaultScalingMatrix4x4Flag[6] = {};
  uint32_t UseDefaultScalingMatrix8x8Flag[2] = {};
  uint32_t bit_depth_luma_minus8 = 0;
  uint32_t bit_depth_chroma_minus8 = 0;
  uint32_t log2_max_frame_num_minus4 = 0;
  uint32_t pic_order_cnt_type = 0;
  uint32_t log2_max_pic_order_cnt_lsb_minus4 = 0;
  uint32_t delta_pic_order_always_zero_flag = 0;
  int32_t offset_for_non_ref_pic = 0;
  int32_t offset_for_top_to_bottom_field = 0;
  // As coded; only the first kMaxPocCycleLength offsets are stored.
  uint32_t num_ref_frames_in_pic_order_cnt_cycle = 0;
  int32_t offset_for_ref_frame[kMaxPocCycleLength] = {};
  uint32_t num_ref_frames = 0;
  uint32_t gaps_in_frame_num_value_allowed_flag = 0;
  uint32_t pic_width_in_mbs_minus1 = 0;
  uint32_t pic_height_in_map_units_minus1 = 0;
  uint32_t frame_mbs_only_flag = 0;
  uint32_t mb_adaptive_frame_field_flag = 0;
  uint32_t direct_8x8_inference_flag = 0;
  uint32_t frame_cropping_flag = 0;
  uint32_t frame_crop_left_offset = 0;
  uint32_t frame_crop_right_offset = 0;
  uint32_t frame_crop_top_offset = 0;
  uint32_t frame_crop_bottom_offset = 0;
  uint32_t vui_parameters_present_flag = 0;
  VuiParameters vui_seq_parameters;

  // The coded picture size in luma samples, whole macroblocks, the crop offsets not applied:
  // (pic_width_in_mbs_minus1 + 1) x 16 by (pic_height_in_map_units_minus1 + 1) x (2 - frame_mbs_only_flag)
  // x 16. 64-bit, so that any coded value gives its true product.
  int64_t pictureWidth() const;
  int64_t pictureHeight() const;
};
