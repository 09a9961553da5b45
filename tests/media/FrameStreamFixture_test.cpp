// The frame-head parser on the frame-stream recordings of scripts/fixtures/20-framestream.sh, which
// writes them, and a listing of their frames, independently of this code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "media/Buffer.h"
#include "media/HeadFrameParser.h"
#include "support/TestPaths.h"

namespace {

struct ListedFrame {
  int64_t offset;
  int esType, frameType;
  int64_t sequenceId, timeStamp;
  int length;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The frames of a listing that a parser can take: a frame followed by garbage, not by the next head,
// cannot be verified and is stepped over.
std::vector<ListedFrame> readListing(const std::string& path) {
  std::vector<ListedFrame> frames;
  std::istringstream lines(readFile(path));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("# garbage", 0) == 0 && !frames.empty()) frames.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    ListedFrame f{};
    fields >> f.offset >> f.esType >> f.frameType >> f.sequenceId >> f.timeStamp >> f.length;
    frames.push_back(f);
  }
  return frames;
}

struct Recording {
  const char* name;
  const char* h264;  // the elementary stream its video frames were cut from, whole
};

void PrintTo(const Recording& r, std::ostream* os) { *os << r.name; }

class FrameStreamRecording : public ::testing::TestWithParam<Recording> {
 protected:
  void SetUp() override {
    path = kxtest::fixturePath(GetParam().name);
    file = readFile(path);
    listing = readListing(path + ".frames");
    ASSERT_FALSE(file.empty()) << path << " is missing: run scripts/make-fixtures.sh";
    ASSERT_FALSE(listing.empty());
    for (const ListedFrame& l : listing) largestFrame = std::max(largestFrame, static_cast<size_t>(40 + l.length));
  }
  // Chunk sizes from the smallest that holds every frame with the next head behind it, up to the file.
  std::vector<size_t> chunkSizes() const {
    return {largestFrame + 41, largestFrame * 2 + 1001, std::max(file.size(), largestFrame + 41)};
  }
  size_t largestFrame = 0;
  std::string path, file;
  std::vector<ListedFrame> listing;
};

const Recording kRecordings[] = {
    {"framestream_h264_baseline_176x144_gop12_video.kxav", "h264_baseline_176x144_gop12.h264"},
    {"framestream_h264_baseline_176x144_gop12_g711a.kxav", "h264_baseline_176x144_gop12.h264"},
    {"framestream_h264_main_aud_352x288_gop25_g711u.kxav", "h264_main_aud_352x288_gop25.h264"},
    {"framestream_h264_main_bframes_320x240_gop8_g711a_audiokeytype.kxav", "h264_main_bframes_320x240_gop8.h264"},
    {"framestream_h264_baseline_crop_322x242_gop10_g711a_garbage.kxav", "h264_baseline_crop_322x242_gop10.h264"},
    {"framestream_h264_baseline_176x144_gop12_video_idwrap.kxav", "h264_baseline_176x144_gop12.h264"},
    {"framestream_h264_baseline_176x144_oneframe.kxav", nullptr},
    {"framestream_h264_high_bframes_640x360_gop30_g711a.kxav", "h264_high_bframes_640x360_gop30.h264"},
};

}  // namespace

// The whole file at once, as the end of the stream: every listed frame, with its attributes and bytes.
TEST_P(FrameStreamRecording, WholeFileGivesEveryListedFrame) {
  HeadFrameParser parser;
  parser.setEndOfStream(true);
  ASSERT_EQ(parser.parse(file.data(), static_cast<int>(file.size()), true), 0);
  std::vector<AVData*> frames;
  AVData* frame = nullptr;
  while (parser.nextFrame(frame) == 0) frames.push_back(frame);
  ASSERT_EQ(frames.size(), listing.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    const ListedFrame& l = listing[i];
    EXPECT_EQ(frames[i]->getESStreamType(), l.esType) << i;
    EXPECT_EQ(frames[i]->getFrameType(), l.frameType) << i;
    EXPECT_EQ(static_cast<int64_t>(frames[i]->getSequenceId()), l.sequenceId) << i;
    EXPECT_EQ(frames[i]->getTimeStamp(), l.timeStamp) << i;
    EXPECT_EQ(frames[i]->getEncoderType() == 1, l.esType == 1) << i;  // H.264 video, G.711 audio
    ASSERT_EQ(frames[i]->getDataLength(), l.length) << i;
    EXPECT_EQ(0, file.compare(static_cast<size_t>(l.offset) + 40, static_cast<size_t>(l.length), frames[i]->getData(),
                              static_cast<size_t>(l.length)))
        << i;
  }
  EXPECT_EQ(parser.getLeftoverLength(), 0);
}

// The video payloads put together again are the H.264 stream they were cut from, and ffprobe finds
// as many pictures and key frames in that stream as the parser delivers.
TEST_P(FrameStreamRecording, VideoFramesAreTheAccessUnitsOfTheSourceStream) {
  if (GetParam().h264 == nullptr) GTEST_SKIP() << "cut from part of a stream";
  const std::string source = kxtest::fixturePath(GetParam().h264);
  HeadFrameParser parser;
  parser.setEndOfStream(true);
  ASSERT_EQ(parser.parse(file.data(), static_cast<int>(file.size()), true), 0);
  std::string video;
  int pictures = 0, keys = 0;
  AVData* frame = nullptr;
  while (parser.nextVideoFrame(frame) == 0) {
    video.append(frame->getData(), static_cast<size_t>(frame->getDataLength()));
    ++pictures;
    if (frame->getFrameType() == 1) ++keys;
  }
  EXPECT_TRUE(video == readFile(source)) << "video payloads differ from " << source;
  if (!kxtest::haveProgram("ffprobe")) GTEST_SKIP() << "no ffprobe";
  int code = 0;
  const std::string out = kxtest::runCommand(
      "ffprobe -v error -select_streams v:0 -show_entries frame=key_frame -of csv=p=0 '" + source + "'", &code);
  ASSERT_EQ(code, 0);
  int probedPictures = 0, probedKeys = 0;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    ++probedPictures;
    if (line[0] == '1') ++probedKeys;
  }
  EXPECT_EQ(pictures, probedPictures);
  EXPECT_EQ(keys, probedKeys);
}

// The index scan's way through a file: small chunks, each resuming at the previous one's leftover
// bytes, the last one marked as the end. Ids and offsets are those of the listing's video key frames.
TEST_P(FrameStreamRecording, ChunkedScanFindsEveryVideoKeyFrameAtItsOffset) {
  std::vector<int64_t> wantedIds, wantedOffsets;
  for (const ListedFrame& l : listing) {
    if (l.esType == 1 && l.frameType == 1) {
      wantedIds.push_back(l.sequenceId);
      wantedOffsets.push_back(l.offset);
    }
  }
  for (size_t chunkSize : chunkSizes()) {
    HeadFrameParser parser;
    std::vector<int64_t> ids, offsets;
    Buffer chunk;
    ASSERT_TRUE(chunk.alloc(static_cast<int>(chunkSize)));
    size_t position = 0;
    for (;;) {
      const size_t length = std::min(chunkSize, file.size() - position);
      const bool last = position + length == file.size();
      ASSERT_TRUE(chunk.copy(file.data() + position, static_cast<unsigned>(length)));
      parser.setEndOfStream(last);
      ASSERT_EQ(parser.scanKeyFrames(chunk, ids, offsets), 0);
      if (last) break;
      const size_t leftover = static_cast<size_t>(parser.getLeftoverLength());
      ASSERT_LT(leftover, length);
      position += length - leftover;
    }
    EXPECT_EQ(ids, wantedIds) << chunkSize;
    EXPECT_EQ(offsets, wantedOffsets) << chunkSize;
  }
}

// The file reader's way: chunks parsed whole, each resuming at the leftover; together they deliver
// every frame once, in order.
TEST_P(FrameStreamRecording, ChunkedParseDeliversEveryFrameOnce) {
  HeadFrameParser parser;
  std::vector<ListedFrame> delivered;
  const size_t chunkSize = chunkSizes()[0];
  size_t position = 0;
  for (;;) {
    const size_t length = std::min(chunkSize, file.size() - position);
    const bool last = position + length == file.size();
    parser.setEndOfStream(last);
    parser.parse(file.data() + position, static_cast<int>(length), true);
    AVData* frame = nullptr;
    while (parser.nextFrame(frame) == 0) {
      delivered.push_back({0, frame->getESStreamType(), frame->getFrameType(),
                           static_cast<int64_t>(frame->getSequenceId()), frame->getTimeStamp(),
                           frame->getDataLength()});
    }
    if (last) break;
    position += length - static_cast<size_t>(parser.getLeftoverLength());
  }
  ASSERT_EQ(delivered.size(), listing.size());
  for (size_t i = 0; i < listing.size(); ++i) {
    EXPECT_EQ(delivered[i].sequenceId, listing[i].sequenceId) << i;
    EXPECT_EQ(delivered[i].esType, listing[i].esType) << i;
    EXPECT_EQ(delivered[i].length, listing[i].length) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Recordings, FrameStreamRecording, ::testing::ValuesIn(kRecordings),
                         [](const ::testing::TestParamInfo<Recording>& info) {
                           std::string name = info.param.name;
                           name = name.substr(std::string("framestream_").size());
                           name = name.substr(0, name.find('.'));
                           for (char& c : name) {
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

// A committed recording must still be what the fixture script writes, so that the two never drift.
TEST(FrameStreamRecordings, CommittedCopiesAreWhatTheScriptWrites) {
  int compared = 0;
  for (const Recording& r : kRecordings) {
    for (const std::string suffix : {"", ".frames"}) {
      const std::string committed = kxtest::fixtureDir() + "/" + r.name + suffix;
      const std::string generated = kxtest::generatedDir() + "/" + r.name + suffix;
      if (!std::ifstream(committed) || !std::ifstream(generated)) continue;
      EXPECT_TRUE(readFile(committed) == readFile(generated)) << committed << " differs from " << generated;
      ++compared;
    }
  }
  if (compared == 0) GTEST_SKIP() << "no committed recording with a generated one beside it";
}
