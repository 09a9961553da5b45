// The SPS reader on every generated H.264 stream of the fixture manifest, checked against ffprobe
// (picture sizes) and ffmpeg's trace_headers filter (every SPS field as ffmpeg reads it).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "media/NalReader.h"
#include "media/SpsParser.h"
#include "support/TestPaths.h"

namespace {

struct ManifestEntry {
  std::string name, profile;
  int width = 0, height = 0, frames = 0, gop = 0;
  bool aud = false, bframes = false;
  std::string pixFmt, extra;
  bool has(const std::string& note) const { return extra.find(note) != std::string::npos; }
};

std::vector<ManifestEntry> readManifest(const std::string& path) {
  std::vector<ManifestEntry> entries;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    ManifestEntry e;
    std::string aud, bframes;
    fields >> e.name >> e.profile >> e.width >> e.height >> e.frames >> e.gop >> aud >> bframes >> e.pixFmt >> e.extra;
    e.aud = aud == "yes";
    e.bframes = bframes == "yes";
    if (fields) entries.push_back(e);
  }
  return entries;
}

std::vector<unsigned char> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What one walk of a stream with the reader found.
struct Walk {
  std::vector<SeqParameterSet> spsList;
  std::map<int, int> unitsOfType;
  long long bytesTaken = 0;
  bool malformed = false;
};

Walk walk(const std::vector<unsigned char>& data) {
  Walk result;
  NalReader reader;
  reader.setInput(data.data(), static_cast<int>(data.size()));
  NalUnit unit;
  int took = 0;
  while ((took = reader.GetAnnexbNALU(unit)) > 0) {
    result.bytesTaken += took;
    ++result.unitsOfType[unit.nal_unit_type];
    if (unit.nal_unit_type == 7) {
      SeqParameterSet sps;
      parseSPS(unit.length, unit.payload, &sps);
      result.spsList.push_back(sps);
    }
  }
  result.malformed = took < 0;
  return result;
}

// The displayed size: the coded size less the crop offsets, in the units the chroma format gives.
std::pair<int64_t, int64_t> croppedSize(const SeqParameterSet& sps) {
  const int subWidth = sps.chroma_format_idc == 3 ? 1 : 2;
  const int subHeight = sps.chroma_format_idc == 1 ? 2 : 1;
  const int64_t unitX = sps.chroma_format_idc == 0 ? 1 : subWidth;
  const int64_t unitY = (sps.chroma_format_idc == 0 ? 1 : subHeight) * (2 - static_cast<int64_t>(sps.frame_mbs_only_flag));
  return {sps.pictureWidth() - unitX * (sps.frame_crop_left_offset + sps.frame_crop_right_offset),
          sps.pictureHeight() - unitY * (sps.frame_crop_top_offset + sps.frame_crop_bottom_offset)};
}

// ffprobe's sizes of the stream. Its coded size is the decoder's, so frames are decoded: the first
// packet only for the first picture's size, or all of them for the last one's.
std::map<std::string, long long> ffprobeStream(const std::string& path, bool firstPacketOnly) {
  std::string out = kxtest::runCommand(
      std::string("ffprobe -v error -count_frames ") + (firstPacketOnly ? "-read_intervals '%+#1' " : "") +
      "-select_streams v:0 -show_entries stream=width,height,coded_width,coded_height "
      "-of default=noprint_wrappers=1 '" + path + "'");
  std::map<std::string, long long> values;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = std::atoll(line.c_str() + eq + 1);
  }
  return values;
}

// Every SPS that ffmpeg's trace_headers filter prints, in order, as name -> value. The first one is the
// copy the demuxer put in the stream's extradata.
std::vector<std::map<std::string, long long>> tracedSps(const std::string& path) {
  std::string out = kxtest::runCommand("ffmpeg -hide_banner -nostdin -i '" + path +
                                       "' -c:v copy -bsf:v trace_headers -f null - 2>&1");
  static const std::regex field(R"(^\[trace_headers[^\]]*\]\s+\d+\s+(\S+)\s+[01]+\s+=\s+(-?\d+)\s*$)");
  std::vector<std::map<std::string, long long>> blocks;
  bool inSps = false;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch m;
    if (line.find("] Sequence Parameter Set") != std::string::npos) {
      blocks.emplace_back();
      inSps = true;
    } else if (inSps && std::regex_match(line, m, field)) {
      blocks.back()[m[1]] = std::stoll(m[2]);
    } else {
      inSps = false;
    }
  }
  return blocks;
}

using Field = std::function<long long(const SeqParameterSet&)>;
#define SPS_FIELD(traced, member) \
  { traced, [](const SeqParameterSet& s) -> long long { return s.member; } }

// Trace names to record fields. The encoder writes no VCL HRD, so the HRD names are the NAL one's.
const std::vector<std::pair<std::string, Field>>& fieldTable() {
  static const std::vector<std::pair<std::string, Field>> table = {
      SPS_FIELD("profile_idc", profile_idc),
      SPS_FIELD("constraint_set0_flag", constraint_set0_flag),
      SPS_FIELD("constraint_set1_flag", constraint_set1_flag),
      SPS_FIELD("constraint_set2_flag", constraint_set2_flag),
      SPS_FIELD("constraint_set3_flag", constraint_set3_flag),
      SPS_FIELD("level_idc", level_idc),
      SPS_FIELD("seq_parameter_set_id", seq_parameter_set_id),
      SPS_FIELD("chroma_format_idc", chroma_format_idc),
      SPS_FIELD("bit_depth_luma_minus8", bit_depth_luma_minus8),
      SPS_FIELD("bit_depth_chroma_minus8", bit_depth_chroma_minus8),
      SPS_FIELD("seq_scaling_matrix_present_flag", seq_scaling_matrix_present_flag),
      SPS_FIELD("seq_scaling_list_present_flag[0]", seq_scaling_list_present_flag[0]),
      SPS_FIELD("seq_scaling_list_present_flag[1]", seq_scaling_list_present_flag[1]),
      SPS_FIELD("seq_scaling_list_present_flag[2]", seq_scaling_list_present_flag[2]),
      SPS_FIELD("seq_scaling_list_present_flag[3]", seq_scaling_list_present_flag[3]),
      SPS_FIELD("seq_scaling_list_present_flag[4]", seq_scaling_list_present_flag[4]),
      SPS_FIELD("seq_scaling_list_present_flag[5]", seq_scaling_list_present_flag[5]),
      SPS_FIELD("seq_scaling_list_present_flag[6]", seq_scaling_list_present_flag[6]),
      SPS_FIELD("seq_scaling_list_present_flag[7]", seq_scaling_list_present_flag[7]),
      SPS_FIELD("log2_max_frame_num_minus4", log2_max_frame_num_minus4),
      SPS_FIELD("pic_order_cnt_type", pic_order_cnt_type),
      SPS_FIELD("log2_max_pic_order_cnt_lsb_minus4", log2_max_pic_order_cnt_lsb_minus4),
      SPS_FIELD("max_num_ref_frames", num_ref_frames),
      SPS_FIELD("gaps_in_frame_num_allowed_flag", gaps_in_frame_num_value_allowed_flag),
      SPS_FIELD("pic_width_in_mbs_minus1", pic_width_in_mbs_minus1),
      SPS_FIELD("pic_height_in_map_units_minus1", pic_height_in_map_units_minus1),
      SPS_FIELD("frame_mbs_only_flag", frame_mbs_only_flag),
      SPS_FIELD("mb_adaptive_frame_field_flag", mb_adaptive_frame_field_flag),
      SPS_FIELD("direct_8x8_inference_flag", direct_8x8_inference_flag),
      SPS_FIELD("frame_cropping_flag", frame_cropping_flag),
      SPS_FIELD("frame_crop_left_offset", frame_crop_left_offset),
      SPS_FIELD("frame_crop_right_offset", frame_crop_right_offset),
      SPS_FIELD("frame_crop_top_offset", frame_crop_top_offset),
      SPS_FIELD("frame_crop_bottom_offset", frame_crop_bottom_offset),
      SPS_FIELD("vui_parameters_present_flag", vui_parameters_present_flag),
      SPS_FIELD("aspect_ratio_info_present_flag", vui_seq_parameters.aspect_ratio_info_present_flag),
      SPS_FIELD("aspect_ratio_idc", vui_seq_parameters.aspect_ratio_idc),
      SPS_FIELD("sar_width", vui_seq_parameters.sar_width),
      SPS_FIELD("sar_height", vui_seq_parameters.sar_height),
      SPS_FIELD("overscan_info_present_flag", vui_seq_parameters.overscan_info_present_flag),
      SPS_FIELD("overscan_appropriate_flag", vui_seq_parameters.overscan_appropriate_flag),
      SPS_FIELD("video_signal_type_present_flag", vui_seq_parameters.video_signal_type_present_flag),
      SPS_FIELD("video_format", vui_seq_parameters.video_format),
      SPS_FIELD("video_full_range_flag", vui_seq_parameters.video_full_range_flag),
      SPS_FIELD("colour_description_present_flag", vui_seq_parameters.colour_description_present_flag),
      SPS_FIELD("colour_primaries", vui_seq_parameters.colour_primaries),
      SPS_FIELD("transfer_characteristics", vui_seq_parameters.transfer_characteristics),
      SPS_FIELD("matrix_coefficients", vui_seq_parameters.matrix_coefficients),
      SPS_FIELD("chroma_loc_info_present_flag", vui_seq_parameters.chroma_loc_info_present_flag),
      SPS_FIELD("timing_info_present_flag", vui_seq_parameters.timing_info_present_flag),
      SPS_FIELD("num_units_in_tick", vui_seq_parameters.num_units_in_tick),
      SPS_FIELD("time_scale", vui_seq_parameters.time_scale),
      SPS_FIELD("fixed_frame_rate_flag", vui_seq_parameters.fixed_frame_rate_flag),
      SPS_FIELD("nal_hrd_parameters_present_flag", vui_seq_parameters.nal_hrd_parameters_present_flag),
      SPS_FIELD("cpb_cnt_minus1", vui_seq_parameters.nal_hrd_parameters.cpb_cnt_minus1),
      SPS_FIELD("bit_rate_scale", vui_seq_parameters.nal_hrd_parameters.bit_rate_scale),
      SPS_FIELD("cpb_size_scale", vui_seq_parameters.nal_hrd_parameters.cpb_size_scale),
      SPS_FIELD("bit_rate_value_minus1[0]", vui_seq_parameters.nal_hrd_parameters.bit_rate_value_minus1[0]),
      SPS_FIELD("cpb_size_value_minus1[0]", vui_seq_parameters.nal_hrd_parameters.cpb_size_value_minus1[0]),
      SPS_FIELD("cbr_flag[0]", vui_seq_parameters.nal_hrd_parameters.cbr_flag[0]),
      SPS_FIELD("initial_cpb_removal_delay_length_minus1",
                vui_seq_parameters.nal_hrd_parameters.initial_cpb_removal_delay_length_minus1),
      SPS_FIELD("cpb_removal_delay_length_minus1", vui_seq_parameters.nal_hrd_parameters.cpb_removal_delay_length_minus1),
      SPS_FIELD("dpb_output_delay_length_minus1", vui_seq_parameters.nal_hrd_parameters.dpb_output_delay_length_minus1),
      SPS_FIELD("time_offset_length", vui_seq_parameters.nal_hrd_parameters.time_offset_length),
      SPS_FIELD("vcl_hrd_parameters_present_flag", vui_seq_parameters.vcl_hrd_parameters_present_flag),
      SPS_FIELD("low_delay_hrd_flag", vui_seq_parameters.low_delay_hrd_flag),
      SPS_FIELD("pic_struct_present_flag", vui_seq_parameters.pic_struct_present_flag),
      SPS_FIELD("bitstream_restriction_flag", vui_seq_parameters.bitstream_restriction_flag),
      SPS_FIELD("motion_vectors_over_pic_boundaries_flag", vui_seq_parameters.motion_vectors_over_pic_boundaries_flag),
      SPS_FIELD("max_bytes_per_pic_denom", vui_seq_parameters.max_bytes_per_pic_denom),
      SPS_FIELD("max_bits_per_mb_denom", vui_seq_parameters.max_bits_per_mb_denom),
      SPS_FIELD("log2_max_mv_length_horizontal", vui_seq_parameters.log2_max_mv_length_horizontal),
      SPS_FIELD("log2_max_mv_length_vertical", vui_seq_parameters.log2_max_mv_length_vertical),
      SPS_FIELD("max_num_reorder_frames", vui_seq_parameters.num_reorder_frames),
      SPS_FIELD("max_dec_frame_buffering", vui_seq_parameters.max_dec_frame_buffering),
  };
  return table;
}

class H264FixturesTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!kxtest::haveProgram("ffprobe") || !kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "no ffmpeg";
    const std::string manifest = kxtest::generatedDir() + "/h264_manifest.txt";
    m_entries = readManifest(manifest);
    ASSERT_FALSE(m_entries.empty()) << manifest << " is missing: run scripts/make-fixtures.sh first";
  }
  std::string pathOf(const ManifestEntry& e) const { return kxtest::generatedDir() + "/" + e.name; }
  std::vector<ManifestEntry> m_entries;
};

TEST_F(H264FixturesTest, ReaderTakesEveryUnitOfEveryStream) {
  for (const ManifestEntry& e : m_entries) {
    SCOPED_TRACE(e.name);
    std::vector<unsigned char> data = readFile(pathOf(e));
    ASSERT_FALSE(data.empty());
    Walk w = walk(data);
    EXPECT_FALSE(w.malformed);
    EXPECT_EQ(w.bytesTaken, static_cast<long long>(data.size()));
    EXPECT_EQ(w.unitsOfType[1] + w.unitsOfType[5], e.frames);  // one slice per picture
    EXPECT_EQ(w.unitsOfType[9], e.aud ? e.frames : 0);
    EXPECT_EQ(w.unitsOfType[5], static_cast<int>(w.spsList.size()));  // parameter sets at every key frame
  }
}

TEST_F(H264FixturesTest, PictureSizeMatchesFfprobe) {
  for (const ManifestEntry& e : m_entries) {
    SCOPED_TRACE(e.name);
    Walk w = walk(readFile(pathOf(e)));
    ASSERT_FALSE(w.spsList.empty());
    const SeqParameterSet& first = w.spsList.front();
    EXPECT_EQ(first.valid, 1u);
    std::map<std::string, long long> probe = ffprobeStream(pathOf(e), true);
    auto [width, height] = croppedSize(first);
    EXPECT_EQ(width, probe["width"]);
    EXPECT_EQ(height, probe["height"]);
    EXPECT_EQ(width, e.width);
    EXPECT_EQ(height, e.height);
    EXPECT_EQ(first.pictureWidth(), probe["coded_width"]);
    EXPECT_EQ(first.pictureHeight(), probe["coded_height"]);
    if (e.has("sizechange")) {
      std::map<std::string, long long> atEnd = ffprobeStream(pathOf(e), false);
      EXPECT_EQ(w.spsList.back().pictureWidth(), atEnd["coded_width"]);
      EXPECT_EQ(w.spsList.back().pictureHeight(), atEnd["coded_height"]);
      EXPECT_NE(atEnd["coded_width"], probe["coded_width"]);
    }
    SeqParameterSet found;
    std::vector<unsigned char> data = readFile(pathOf(e));
    ASSERT_TRUE(findSPS(data.data(), static_cast<int>(data.size()), &found));
    EXPECT_EQ(found.pictureWidth(), first.pictureWidth());
    EXPECT_EQ(found.pictureHeight(), first.pictureHeight());
  }
}

TEST_F(H264FixturesTest, EverySpsFieldMatchesFfmpegsTrace) {
  for (const ManifestEntry& e : m_entries) {
    SCOPED_TRACE(e.name);
    Walk w = walk(readFile(pathOf(e)));
    std::vector<std::map<std::string, long long>> traced = tracedSps(pathOf(e));
    ASSERT_EQ(traced.size(), w.spsList.size() + 1);  // the extradata copy first
    for (size_t i = 0; i < w.spsList.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "SPS " << i);
      const std::map<std::string, long long>& expected = traced[i + 1];
      ASSERT_TRUE(expected.count("pic_width_in_mbs_minus1")) << "trace format not understood";
      EXPECT_EQ(w.spsList[i].valid, 1u);
      int compared = 0;
      for (const auto& [name, get] : fieldTable()) {
        auto it = expected.find(name);
        if (it == expected.end()) continue;
        EXPECT_EQ(get(w.spsList[i]), it->second) << name;
        ++compared;
      }
      EXPECT_GE(compared, 20);
    }
    if (e.has("sizechange")) {
      const SeqParameterSet& last = w.spsList.back();
      EXPECT_NE(last.pictureWidth(), w.spsList.front().pictureWidth());
      EXPECT_EQ(croppedSize(last).first, std::stoi(e.extra.substr(e.extra.find('=') + 1)));
    }
  }
}

}  // namespace
