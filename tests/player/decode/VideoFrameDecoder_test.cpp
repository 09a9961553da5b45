#include "player/decode/VideoFrameDecoder.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/md5.h>
}

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DebugOutput.h"
#include "player/decode/H264Decoder.h"
#include "player/decode/VideoFrameInput.h"
#include "support/TestPaths.h"
#include "tests/player/H264Fixture.h"

namespace {

std::string md5Hex(const char* data, long size) {
  uint8_t sum[16];
  av_md5_sum(sum, reinterpret_cast<const uint8_t*>(data), static_cast<int>(size));
  char text[33];
  for (int i = 0; i < 16; ++i) std::snprintf(text + 2 * i, 3, "%02x", sum[i]);
  return text;
}

struct Delivered {
  std::string md5;
  std::vector<char> picture;
  FRAME_INFO info;
};

long recordPicture(long port, const char* picture, long size, FRAME_INFO* info, void* user) {
  auto* delivered = static_cast<std::vector<Delivered>*>(user);
  EXPECT_EQ(77, port);
  delivered->push_back({md5Hex(picture, size), std::vector<char>(picture, picture + size), *info});
  return 0;
}

AVData frameOf(const std::vector<char>& bytes, bool key, uint32_t id, int64_t ts, int encoder = 1) {
  AVData frame;
  frame.setData(bytes.data(), static_cast<unsigned>(bytes.size()));
  frame.setEncoderType(encoder);
  frame.setESStreamType(1);
  frame.setFrameType(key ? 1 : 2);
  frame.setSequenceId(id);
  frame.setTimeStamp(ts);
  frame.setFrameRate(25);
  return frame;
}

// The input and decoding stages of one player on an injected clock, with the real H.264 decoder
// unless a test gives another.
struct Pipeline {
  explicit Pipeline(std::unique_ptr<IVideoDecoder> decoder = std::make_unique<H264Decoder>())
      : input(log, [this] { return now; }), decoder(log, input, std::move(decoder)) {
    input.setOpened(true);
    input.setUseTimestampForVideo(false);
    EXPECT_EQ(0, this->decoder.open());
    this->decoder.setDecodeCallBack(77, recordPicture, &delivered);
  }
  bool push(const AVData& frame) {
    EXPECT_EQ(0, input.pushVideoFrame(frame));
    return decoder.decodeOneFrame();
  }
  // Every access unit through the queue and decodeOneFrame, then the end of the stream.
  void playAll(const std::vector<kxh264::AccessUnit>& units) {
    for (size_t i = 0; i < units.size(); ++i) {
      push(frameOf(units[i].data, units[i].key, static_cast<uint32_t>(i + 1), static_cast<int64_t>(i) * 40000));
    }
    decoder.drainDecoder();
  }
  PlayerDebugLog log;
  int64_t now = 1000000;
  VideoFrameInput input;
  VideoFrameDecoder decoder;
  std::vector<Delivered> delivered;
};

struct ManifestEntry {
  std::string name, pixFmt, extra;
  int width = 0, height = 0, frames = 0;
};

std::vector<ManifestEntry> readManifest() {
  std::ifstream file(kxtest::generatedDir() + "/h264_manifest.txt");
  std::vector<ManifestEntry> entries;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    ManifestEntry e;
    std::string profile, gop, aud, bframes;
    fields >> e.name >> profile >> e.width >> e.height >> e.frames >> gop >> aud >> bframes >> e.pixFmt >> e.extra;
    entries.push_back(e);
  }
  return entries;
}

TEST(VideoFrameDecoderStreams, EveryPictureMatchesFfmpegFrameForFrame) {
  if (!kxtest::haveProgram("ffmpeg") || !kxtest::haveProgram("ffprobe")) GTEST_SKIP() << "ffmpeg not installed";
  const std::vector<ManifestEntry> entries = readManifest();
  ASSERT_FALSE(entries.empty()) << "no fixtures: run scripts/make-fixtures.sh";
  for (const ManifestEntry& entry : entries) {
    SCOPED_TRACE(entry.name);
    const std::string path = kxtest::generatedDir() + "/" + entry.name;
    const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(path);
    ASSERT_FALSE(units.empty());
    // Full-range streams decode to full-range 4:2:0, which the callback receives as it is; ffmpeg's
    // yuv420p output would rescale the levels, so its yuvj420p output is the reference there.
    const bool fullRange = entry.extra.find("fullrange") != std::string::npos;
    const std::vector<std::string> reference = kxh264::referenceMd5s(path, fullRange ? "yuvj420p" : "yuv420p");
    ASSERT_EQ(static_cast<size_t>(entry.frames), reference.size());

    Pipeline pipeline;
    pipeline.playAll(units);
    ASSERT_EQ(reference.size(), pipeline.delivered.size()) << "every picture, none missing";
    for (size_t i = 0; i < reference.size(); ++i) {
      EXPECT_EQ(reference[i], pipeline.delivered[i].md5) << "picture " << i;
    }

    // Each picture keeps the attributes of the access unit it came from, also when it comes out later
    // (B-frames): the sequence id and timestamp given with that unit.
    const std::vector<long long> positions = kxh264::displayOrderPositions(path);
    ASSERT_EQ(reference.size(), positions.size());
    std::map<long long, size_t> unitAt;
    for (size_t i = 0; i < units.size(); ++i) unitAt[units[i].pos] = i;
    for (size_t k = 0; k < positions.size(); ++k) {
      const size_t unit = unitAt.at(positions[k]);
      EXPECT_EQ(static_cast<int>(unit * 40000 / 90), pipeline.delivered[k].info.timeStamp) << "picture " << k;
      EXPECT_EQ(FRAME_TYPE_I420, pipeline.delivered[k].info.type);
      EXPECT_EQ(25, pipeline.delivered[k].info.frameRate);
    }
    EXPECT_EQ(entry.width, pipeline.delivered.front().info.width);
    EXPECT_EQ(entry.height, pipeline.delivered.front().info.height);
  }
}

TEST(VideoFrameDecoderStreams, PictureSizeAndCallbackRecordOfA352x288Stream) {
  const std::string path = kxtest::generatedDir() + "/h264_main_aud_352x288_gop25.h264";
  if (!kxtest::haveProgram("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
  const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(path);
  ASSERT_FALSE(units.empty());
  Pipeline pipeline;
  EXPECT_TRUE(pipeline.push(frameOf(units[0].data, true, 5, 90000)));
  ASSERT_EQ(1u, pipeline.delivered.size());
  EXPECT_EQ(152064u, pipeline.delivered[0].picture.size());
  EXPECT_EQ(352, pipeline.delivered[0].info.width);
  EXPECT_EQ(288, pipeline.delivered[0].info.height);
  EXPECT_EQ(1000, pipeline.delivered[0].info.timeStamp);
  EXPECT_EQ(5, pipeline.decoder.getCurrentVideoFrameID());
  EXPECT_EQ(90000, pipeline.decoder.getCurrentVideoFrameTimestamp());
  int w = 0, h = 0;
  pipeline.decoder.getPictureSize(w, h);
  EXPECT_EQ(352, w);
  EXPECT_EQ(288, h);
  ASSERT_NE(nullptr, pipeline.decoder.currentPicture());
  EXPECT_EQ(352, pipeline.decoder.currentPicture()->getImageWidth());
}

TEST(VideoFrameDecoderStreams, AdjustedPicturesReachTheCallback) {
  if (!kxtest::haveProgram("ffmpeg") || !kxtest::haveProgram("ffprobe")) GTEST_SKIP() << "ffmpeg not installed";
  const std::string path = kxtest::generatedDir() + "/h264_baseline_176x144_gop12.h264";
  const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(path);
  ASSERT_GE(units.size(), 2u);
  Pipeline pipeline;
  YuvAdjustParams params;
  params.brightness = 1.2;
  params.hue = 180;
  pipeline.decoder.setYuvAdjustParams(params);
  platform::DebugCapture capture;
  ASSERT_TRUE(pipeline.push(frameOf(units[0].data, true, 1, 0)));
  EXPECT_TRUE(pipeline.decoder.isYuvAdjustActive());
  EXPECT_TRUE(capture.contains("start YUV pic adjust ..."));
  // ffmpeg's decoded first picture, put through the filter, is what the callback must have seen.
  std::string raw = kxh264::runCommand("ffmpeg -v error -i '" + path + "' -frames:v 1 -f rawvideo -pix_fmt yuv420p -");
  ASSERT_EQ(size_t{176 * 144 * 3 / 2}, raw.size());
  std::vector<uint8_t> expected(raw.size());
  YuvPlanes in, out;
  uint8_t* src = reinterpret_cast<uint8_t*>(&raw[0]);
  in.plane[0] = {src, 176, 144, 176};
  in.plane[1] = {src + 176 * 144, 88, 72, 88};
  in.plane[2] = {src + 176 * 144 * 5 / 4, 88, 72, 88};
  out.plane[0] = {expected.data(), 176, 144, 176};
  out.plane[1] = {expected.data() + 176 * 144, 88, 72, 88};
  out.plane[2] = {expected.data() + 176 * 144 * 5 / 4, 88, 72, 88};
  PictureAdjustFilter::adjustYUVPicture(params, &in, &out);
  ASSERT_EQ(1u, pipeline.delivered.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
                         reinterpret_cast<const uint8_t*>(pipeline.delivered[0].picture.data())));
  // Back to neutral: the decoder's own picture again.
  pipeline.decoder.setYuvAdjustParams(YuvAdjustParams());
  ASSERT_TRUE(pipeline.push(frameOf(units[1].data, false, 2, 40000)) || pipeline.decoder.drainDecoder() > 0);
  EXPECT_FALSE(pipeline.decoder.isYuvAdjustActive());
  EXPECT_TRUE(capture.contains("end YUV pic adjust ..."));
}

TEST(VideoFrameDecoderStreams, FramesBeforeTheFirstSequenceParameterSetAreDropped) {
  const std::string path = kxtest::generatedDir() + "/h264_baseline_176x144_gop12.h264";
  if (!kxtest::haveProgram("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
  const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(path);
  ASSERT_GE(units.size(), 13u);
  Pipeline pipeline;
  platform::DebugCapture capture;
  EXPECT_FALSE(pipeline.push(frameOf(units[1].data, false, 2, 40000)));
  EXPECT_TRUE(capture.contains("decodeH264 NeedFoundSPS"));
  EXPECT_TRUE(pipeline.delivered.empty());
  EXPECT_EQ(-1, pipeline.decoder.getCurrentVideoFrameID());
  EXPECT_TRUE(pipeline.push(frameOf(units[12].data, true, 13, 480000))) << "the next key frame starts the stream";
}

TEST(VideoFrameDecoderStreams, UnknownEncoderTypesAreDropped) {
  Pipeline pipeline;
  platform::DebugCapture capture;
  const std::vector<char> bytes = {0, 0, 0, 1, 0x65};
  EXPECT_FALSE(pipeline.push(frameOf(bytes, true, 1, 0, 0)));
  EXPECT_TRUE(capture.contains("decodeAVData EncoderType err\n"));
  EXPECT_FALSE(pipeline.decoder.decodeOneFrame()) << "empty queue";
}

TEST(VideoFrameDecoderStreams, MjpegFramesBecomeTheCurrentPicture) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  const std::string dir = kxtest::scratchDir("DecoderMjpeg");
  kxh264::runCommand("ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=1 -frames:v 1 -c:v mjpeg " + dir +
                     "/f.jpg");
  std::ifstream file(dir + "/f.jpg", std::ios::binary);
  const std::vector<char> jpeg((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(jpeg.empty());
  Pipeline pipeline;
  ASSERT_TRUE(pipeline.push(frameOf(jpeg, true, 9, 360000, 2)));
  ASSERT_NE(nullptr, pipeline.decoder.currentPicture());
  EXPECT_EQ(160, pipeline.decoder.currentPicture()->getImageWidth());
  EXPECT_EQ(120, pipeline.decoder.currentPicture()->getImageHeight());
  EXPECT_EQ(9, pipeline.decoder.getCurrentVideoFrameID());
  EXPECT_EQ(360000, pipeline.decoder.getCurrentVideoFrameTimestamp());
  EXPECT_NE(nullptr, pipeline.decoder.jpegRgb());
  EXPECT_TRUE(pipeline.delivered.empty()) << "the decode callback is for H.264 pictures";
  const std::vector<char> broken(jpeg.begin(), jpeg.begin() + 100);
  EXPECT_FALSE(pipeline.push(frameOf(broken, true, 10, 400000, 2)));
  EXPECT_EQ(9, pipeline.decoder.getCurrentVideoFrameID());
}

// A decoder the test controls: pictures of a size it chooses, faults and open failures on request.
class ScriptedDecoder : public IVideoDecoder {
 public:
  struct Script {
    int opens = 0;
    int failOpensFrom = 1000;  // the open with this number (1-based) and later ones fail
    bool throwOnDecode = false;
    int width = 16, height = 16, padding = 8;
  };
  explicit ScriptedDecoder(Script& script) : m_script(script) {}
  int open() override {
    ++m_script.opens;
    if (m_script.opens >= m_script.failOpensFrom) return -1;
    m_opened = true;
    return 0;
  }
  void close() override {
    m_opened = false;
    m_planes.clear();
  }
  bool isOpened() const override { return m_opened; }
  int decode(const char* data, int, int64_t token) override {
    if (m_script.throwOnDecode) throw std::runtime_error("fault inside the decoder");
    if (data != nullptr) m_tokens.push_back(token);
    return 0;
  }
  int nextPicture(DecodedPicture** picture, int64_t* token) override {
    if (m_tokens.empty()) return 0;
    *token = m_tokens.front();
    m_tokens.erase(m_tokens.begin());
    m_w = m_script.width;
    m_h = m_script.height;
    const int pitches[3] = {m_w + m_script.padding, m_w / 2 + m_script.padding, m_w / 2 + m_script.padding};
    m_planes.assign(3, {});
    for (int i = 0; i < 3; ++i) {
      const int rows = i == 0 ? m_h : m_h / 2;
      m_planes[i].assign(static_cast<size_t>(pitches[i]) * rows, static_cast<uint8_t>(60 + i * 40));
      m_picture.data[i] = m_planes[i].data();
      m_picture.linesize[i] = pitches[i];
    }
    *picture = &m_picture;
    return 1;
  }
  int width() const override { return m_w; }
  int height() const override { return m_h; }

 private:
  Script& m_script;
  bool m_opened = false;
  std::vector<int64_t> m_tokens;
  std::vector<std::vector<uint8_t>> m_planes;
  DecodedPicture m_picture;
  int m_w = 0, m_h = 0;
};

// A key frame with a sequence parameter set of a given picture size, after an access-unit delimiter,
// taken from a real stream of that size; and a P frame without one.
struct Frames {
  std::vector<char> key176, key352, pFrame;
};

Frames realFrames() {
  Frames f;
  const auto small = kxh264::splitAccessUnits(kxtest::generatedDir() + "/h264_high_bframes_aud_crop_200x120_gop15.h264");
  const auto large = kxh264::splitAccessUnits(kxtest::generatedDir() + "/h264_main_aud_352x288_gop25.h264");
  if (small.size() > 1 && !large.empty()) {
    f.key176 = small[0].data;
    f.pFrame = small[1].data;
    f.key352 = large[0].data;
  }
  return f;
}

TEST(VideoFrameDecoderFaults, AFaultInsideTheDecoderWaitsForTheNextSequence) {
  const Frames frames = realFrames();
  ASSERT_FALSE(frames.key176.empty());
  ScriptedDecoder::Script script;
  Pipeline pipeline(std::make_unique<ScriptedDecoder>(script));
  ASSERT_TRUE(pipeline.push(frameOf(frames.key176, true, 1, 0)));
  EXPECT_EQ(2, script.opens) << "opened, then reopened on the first sequence parameter set";
  platform::DebugCapture capture;
  script.throwOnDecode = true;
  EXPECT_EQ(VideoFrameDecoder::kDecoderFault, pipeline.decoder.baseDecodeH264(frames.pFrame.data(), 10, 1));
  EXPECT_FALSE(pipeline.push(frameOf(frames.pFrame, false, 2, 40000)));
  EXPECT_TRUE(capture.contains("baseDecodeH264 EXCEPTION_EXECUTE_HANDLER\n"));
  EXPECT_TRUE(capture.contains("baseDecodeH264 err return -10000"));
  EXPECT_TRUE(pipeline.decoder.needsSps());
  script.throwOnDecode = false;
  EXPECT_FALSE(pipeline.push(frameOf(frames.pFrame, false, 3, 80000)));
  EXPECT_TRUE(capture.contains("decodeH264 NeedFoundSPS"));
  EXPECT_TRUE(pipeline.push(frameOf(frames.key176, true, 4, 120000)));
  EXPECT_EQ(3, script.opens) << "reopened for the new sequence";
  EXPECT_EQ(4, pipeline.decoder.getCurrentVideoFrameID());
}

TEST(VideoFrameDecoderFaults, AFailedReopenLeavesNoPictureBehind) {
  const Frames frames = realFrames();
  ASSERT_FALSE(frames.key352.empty());
  ScriptedDecoder::Script script;
  Pipeline pipeline(std::make_unique<ScriptedDecoder>(script));
  ASSERT_TRUE(pipeline.push(frameOf(frames.key176, true, 1, 0)));
  ASSERT_NE(nullptr, pipeline.decoder.decodedPicture());
  script.failOpensFrom = script.opens + 1;
  platform::DebugCapture capture;
  EXPECT_FALSE(pipeline.push(frameOf(frames.key352, true, 2, 40000))) << "a new size: reopen, which fails";
  EXPECT_TRUE(capture.contains("------------------open Failed 2.1----------------------\n"));
  EXPECT_EQ(nullptr, pipeline.decoder.decodedPicture()) << "nothing points into the closed decoder";
  EXPECT_FALSE(pipeline.push(frameOf(frames.pFrame, false, 3, 80000)));
  script.failOpensFrom = 1000;
  EXPECT_TRUE(pipeline.push(frameOf(frames.key352, true, 4, 120000))) << "the next sequence retries the open";
}

TEST(VideoFrameDecoderFaults, AdjustedPlanesFollowEverySizeChange) {
  // Picture size and line sizes change without a reopen; the adjusted copy must follow each time.
  const Frames frames = realFrames();
  ASSERT_FALSE(frames.key176.empty());
  ScriptedDecoder::Script script;
  Pipeline pipeline(std::make_unique<ScriptedDecoder>(script));
  YuvAdjustParams params;
  params.saturation = 0;
  params.brightness = 1.2;
  pipeline.decoder.setYuvAdjustParams(params);
  ASSERT_TRUE(pipeline.push(frameOf(frames.key176, true, 1, 0)));
  struct Size {
    int w, h, padding;
  } sizes[] = {{64, 48, 8}, {64, 48, 40}, {32, 16, 0}, {128, 96, 16}};
  uint32_t id = 2;
  for (const Size& s : sizes) {
    script.width = s.w;
    script.height = s.h;
    script.padding = s.padding;
    ASSERT_TRUE(pipeline.push(frameOf(frames.pFrame, false, id++, 0)));
    const Delivered& last = pipeline.delivered.back();
    ASSERT_EQ(static_cast<size_t>(s.w * s.h * 3 / 2), last.picture.size());
    EXPECT_EQ(s.w, last.info.width);
    // Luma 60 + 50 everywhere, chroma grey.
    for (int i = 0; i < s.w * s.h; ++i) ASSERT_EQ(110, static_cast<uint8_t>(last.picture[i])) << s.w << " " << i;
    for (size_t i = static_cast<size_t>(s.w * s.h); i < last.picture.size(); ++i) {
      ASSERT_EQ(128, static_cast<uint8_t>(last.picture[i])) << s.w << " " << i;
    }
  }
  // Without a callback the adjusted copy lives in planes of its own, shaped like the decoded ones.
  pipeline.decoder.clearDecodeCallBackFunction();
  for (const Size& s : sizes) {
    script.width = s.w;
    script.height = s.h;
    script.padding = s.padding;
    ASSERT_TRUE(pipeline.push(frameOf(frames.pFrame, false, id++, 0)));
    const DecodedPicture* picture = pipeline.decoder.decodedPicture();
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(s.w + s.padding, picture->linesize[0]);
    for (int r = 0; r < s.h; ++r) {
      for (int x = 0; x < s.w; ++x) ASSERT_EQ(110, picture->data[0][r * picture->linesize[0] + x]) << s.w;
    }
    for (int p = 1; p < 3; ++p) {
      for (int r = 0; r < s.h / 2; ++r) {
        for (int x = 0; x < s.w / 2; ++x) ASSERT_EQ(128, picture->data[p][r * picture->linesize[p] + x]) << s.w;
      }
    }
  }
}

TEST(VideoFrameDecoderFaults, OpenFailureIsReported) {
  ScriptedDecoder::Script script;
  script.failOpensFrom = 1;
  PlayerDebugLog log;
  VideoFrameInput input(log);
  VideoFrameDecoder decoder(log, input, std::make_unique<ScriptedDecoder>(script));
  platform::DebugCapture capture;
  EXPECT_EQ(-605, decoder.open());
  EXPECT_TRUE(capture.contains("m_objDecoder.open() fail\n"));
}

}  // namespace
