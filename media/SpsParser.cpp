#include "media/SpsParser.h"

namespace {

const int kZigZag4x4[16] = {0, 1, 4, 8, 5, 2, 3, 6, 9, 12, 13, 10, 7, 11, 14, 15};

const int kZigZag8x8[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                            12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                            35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                            58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

bool isKnownProfile(uint32_t profile) {
  switch (profile) {
    case 66: case 77: case 88: case 100: case 110: case 122: case 144:
      return true;
    default:
      return false;
  }
}

bool isHighProfile(uint32_t profile) {
  return profile == 100 || profile == 110 || profile == 122 || profile == 144;
}

void parsePicOrderCount(BitReader& reader, SeqParameterSet* sps) {
  sps->log2_max_frame_num_minus4 = reader.readUe();
  sps->pic_order_cnt_type = reader.readUe();
  if (sps->pic_order_cnt_type == 0) {
    sps->log2_max_pic_order_cnt_lsb_minus4 = reader.readUe();
  } else if (sps->pic_order_cnt_type == 1) {
    sps->delta_pic_order_always_zero_flag = reader.readFlag();
    sps->offset_for_non_ref_pic = reader.readSe();
    sps->offset_for_top_to_bottom_field = reader.readSe();
    sps->num_ref_frames_in_pic_order_cnt_cycle = reader.readUe();
    // The coded count may exceed the record: later offsets are read past, not stored. The loop ends
    // with the bits, so a huge count costs no more than the unit's length.
    for (uint32_t i = 0; i < sps->num_ref_frames_in_pic_order_cnt_cycle && !reader.failed(); ++i) {
      int32_t offset = reader.readSe();
      if (i < SeqParameterSet::kMaxPocCycleLength) sps->offset_for_ref_frame[i] = offset;
    }
  }
}

}  // namespace

std::vector<unsigned char> removeEmulationPrevention(const unsigned char* data, int length) {
  std::vector<unsigned char> rbsp;
  if (data == nullptr || length <= 0) return rbsp;
  rbsp.reserve(static_cast<size_t>(length));
  int zeros = 0;
  for (int i = 0; i < length; ++i) {
    if (zeros >= 2 && data[i] == 3) {
      zeros = 0;
      continue;
    }
    rbsp.push_back(data[i]);
    zeros = data[i] == 0 ? zeros + 1 : 0;
  }
  return rbsp;
}

void parseScalingList(BitReader& reader, uint32_t* list, int size, uint32_t* useDefault) {
  const int* scan = size == 16 ? kZigZag4x4 : kZigZag8x8;
  uint32_t last = 8;
  uint32_t next = 8;
  for (int j = 0; j < size; ++j) {
    const int k = scan[j];
    if (next != 0) {
      int64_t delta = reader.readSe();
      next = static_cast<uint32_t>(((static_cast<int64_t>(last) + delta) % 256 + 256) % 256);
      *useDefault = (k == 0 && next == 0) ? 1 : 0;
    }
    list[k] = next != 0 ? next : last;
    last = list[k];
  }
}

void parseHrdParameters(BitReader& reader, SeqParameterSet::HrdParameters* hrd) {
  hrd->cpb_cnt_minus1 = reader.readUe();
  hrd->bit_rate_scale = reader.readBits(4);
  hrd->cpb_size_scale = reader.readBits(4);
  // Schedules beyond the record's are read past, not stored; the loop ends with the bits.
  for (uint64_t i = 0; i <= hrd->cpb_cnt_minus1 && !reader.failed(); ++i) {
    uint32_t bitRate = reader.readUe();
    uint32_t cpbSize = reader.readUe();
    uint32_t cbr = reader.readFlag();
    if (i < SeqParameterSet::kMaxCpbCount) {
      hrd->bit_rate_value_minus1[i] = bitRate;
      hrd->cpb_size_value_minus1[i] = cpbSize;
      hrd->cbr_flag[i] = cbr;
    }
  }
  hrd->initial_cpb_removal_delay_length_minus1 = reader.readBits(5);
  hrd->cpb_removal_delay_length_minus1 = reader.readBits(5);
  hrd->dpb_output_delay_length_minus1 = reader.readBits(5);
  hrd->time_offset_length = reader.readBits(5);
}

void parseVuiParameters(BitReader& reader, SeqParameterSet* sps) {
  if (!sps->vui_parameters_present_flag) return;
  SeqParameterSet::VuiParameters& vui = sps->vui_seq_parameters;
  vui.aspect_ratio_info_present_flag = reader.readFlag();
  if (vui.aspect_ratio_info_present_flag) {
    vui.aspect_ratio_idc = reader.readBits(8);
    if (vui.aspect_ratio_idc == 255) {
      vui.sar_width = reader.readBits(16);
      vui.sar_height = reader.readBits(16);
    }
  }
  vui.overscan_info_present_flag = reader.readFlag();
  if (vui.overscan_info_present_flag) vui.overscan_appropriate_flag = reader.readFlag();
  vui.video_signal_type_present_flag = reader.readFlag();
  if (vui.video_signal_type_present_flag) {
    vui.video_format = reader.readBits(3);
    vui.video_full_range_flag = reader.readFlag();
    vui.colour_description_present_flag = reader.readFlag();
    if (vui.colour_description_present_flag) {
      vui.colour_primaries = reader.readBits(8);
      vui.transfer_characteristics = reader.readBits(8);
      vui.matrix_coefficients = reader.readBits(8);
    }
  }
  vui.chroma_loc_info_present_flag = reader.readFlag();
  if (vui.chroma_loc_info_present_flag) {
    vui.chroma_sample_loc_type_top_field = reader.readUe();
    vui.chroma_sample_loc_type_bottom_field = reader.readUe();
  }
  vui.timing_info_present_flag = reader.readFlag();
  if (vui.timing_info_present_flag) {
    vui.num_units_in_tick = reader.readBits(32);
    vui.time_scale = reader.readBits(32);
    vui.fixed_frame_rate_flag = reader.readFlag();
  }
  vui.nal_hrd_parameters_present_flag = reader.readFlag();
  if (vui.nal_hrd_parameters_present_flag) parseHrdParameters(reader, &vui.nal_hrd_parameters);
  vui.vcl_hrd_parameters_present_flag = reader.readFlag();
  if (vui.vcl_hrd_parameters_present_flag) parseHrdParameters(reader, &vui.vcl_hrd_parameters);
  if (vui.nal_hrd_parameters_present_flag || vui.vcl_hrd_parameters_present_flag) {
    vui.low_delay_hrd_flag = reader.readFlag();
  }
  vui.pic_struct_present_flag = reader.readFlag();
  vui.bitstream_restriction_flag = reader.readFlag();
  if (vui.bitstream_restriction_flag) {
    vui.motion_vectors_over_pic_boundaries_flag = reader.readFlag();
    vui.max_bytes_per_pic_denom = reader.readUe();
    vui.max_bits_per_mb_denom = reader.readUe();
    vui.log2_max_mv_length_horizontal = reader.readUe();
    vui.log2_max_mv_length_vertical = reader.readUe();
    vui.num_reorder_frames = reader.readUe();
    vui.max_dec_frame_buffering = reader.readUe();
  }
}

int parseSPS(int unitLength, const unsigned char* unitBytes, SeqParameterSet* sps) {
  if (sps == nullptr) return 0;
  std::vector<unsigned char> rbsp;
  if (unitBytes != nullptr && unitLength > 1) rbsp = removeEmulationPrevention(unitBytes + 1, unitLength - 1);
  BitReader reader(rbsp.data(), static_cast<int>(rbsp.size()));

  sps->profile_idc = reader.readBits(8);
  if (!isKnownProfile(sps->profile_idc)) return 0;
  sps->constraint_set0_flag = reader.readFlag();
  sps->constraint_set1_flag = reader.readFlag();
  sps->constraint_set2_flag = reader.readFlag();
  sps->constraint_set3_flag = reader.readFlag();
  reader.readBits(4);  // reserved
  sps->level_idc = reader.readBits(8);
  sps->seq_parameter_set_id = reader.readUe();

  sps->chroma_format_idc = 1;
  sps->bit_depth_luma_minus8 = 0;
  sps->bit_depth_chroma_minus8 = 0;
  if (isHighProfile(sps->profile_idc)) {
    sps->chroma_format_idc = reader.readUe();
    if (sps->chroma_format_idc == 3) reader.readFlag();  // separate_colour_plane_flag
    sps->bit_depth_luma_minus8 = reader.readUe();
    sps->bit_depth_chroma_minus8 = reader.readUe();
    reader.readFlag();  // qpprime_y_zero_transform_bypass_flag
    sps->seq_scaling_matrix_present_flag = reader.readFlag();
    if (sps->seq_scaling_matrix_present_flag) {
      for (int i = 0; i < 8; ++i) {
        sps->seq_scaling_list_present_flag[i] = reader.readFlag();
        if (!sps->seq_scaling_list_present_flag[i]) continue;
        if (i < 6) {
          parseScalingList(reader, sps->ScalingList4x4[i], 16, &sps->UseDefaultScalingMatrix4x4Flag[i]);
        } else {
          parseScalingList(reader, sps->ScalingList8x8[i - 6], 64, &sps->UseDefaultScalingMatrix8x8Flag[i - 6]);
        }
      }
    }
  }

  parsePicOrderCount(reader, sps);

  sps->num_ref_frames = reader.readUe();
  sps->gaps_in_frame_num_value_allowed_flag = reader.readFlag();
  sps->pic_width_in_mbs_minus1 = reader.readUe();
  sps->pic_height_in_map_units_minus1 = reader.readUe();
  sps->frame_mbs_only_flag = reader.readFlag();
  if (!sps->frame_mbs_only_flag) sps->mb_adaptive_frame_field_flag = reader.readFlag();
  sps->direct_8x8_inference_flag = reader.readFlag();
  sps->frame_cropping_flag = reader.readFlag();
  if (sps->frame_cropping_flag) {
    sps->frame_crop_left_offset = reader.readUe();
    sps->frame_crop_right_offset = reader.readUe();
    sps->frame_crop_top_offset = reader.readUe();
    sps->frame_crop_bottom_offset = reader.readUe();
  }
  sps->vui_parameters_present_flag = reader.readFlag();

  sps->vui_seq_parameters.matrix_coefficients = 2;
  parseVuiParameters(reader, sps);
  // A parse that ran out of bits is not complete: its later fields are not the stream's.
  if (!reader.failed()) sps->valid = 1;
  return 0;
}

bool findSPS(const unsigned char* data, int length, SeqParameterSet* sps) {
  NalReader reader;
  return findSPS(reader, data, length, sps);
}

bool findSPS(NalReader& reader, const unsigned char* data, int length, SeqParameterSet* sps) {
  reader.setInput(data, length);
  NalUnit unit;
  while (reader.GetAnnexbNALU(unit) > 0) {
    if (unit.nal_unit_type == 7) {
      parseSPS(unit.length, unit.payload, sps);
      return true;
    }
    // A parameter set of this access unit comes before its first slice.
    if (unit.nal_unit_type >= 1 && unit.nal_unit_type <= 5) return false;
  }
  return false;
}
