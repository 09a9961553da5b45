// Opening recordings of both file types, whole and damaged, and the index search.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <functional>

#include "player/KXPlayerResult.h"
#include "tests/player/file/RecordingFixture.h"

using readertest::kFrameHeadStream;
using readertest::kTransportStream;

namespace {

TEST(IndexedFileReaderIndexSearch, AnswersTheLastEntryNotGreaterThanTheId) {
  struct Case {
    std::vector<int64_t> ids;
    int64_t id;
    int expected;
  };
  const std::vector<Case> cases = {
      {{10, 20, 30}, 30, 2},  {{10, 20, 30}, 29, 1},  {{10, 20, 30}, 20, 1},     {{10, 20, 30}, 10, 0},
      {{10, 20, 30}, 9, -1},  {{10, 20, 30}, 31, 2},  {{10, 20, 30, 40, 50, 60}, 31, 2},
      {{10, 20, 30, 40, 50, 60}, 60, 5},              {{10, 20, 30, 40, 50, 60}, 45, 3},
      {{10}, 10, 0},          {{10}, 5, -1},          {{10}, 11, 0},             {{}, 10, -1},
      {{0, 0x7FFFFFFF, 0xFFFFFFFF}, 0x80000000, 1},   {{-5, 3}, -1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IndexedFileReader::findIndexFloor(c.ids, c.id), c.expected)
        << "id " << c.id << " in " << ::testing::PrintToString(c.ids);
  }
}

// A recording made for one case: written from a plan, then possibly damaged.
struct OpenCase {
  const char* name;
  kxtest::RecordingPlan::Options options;
  // Damages the written file; frameOffsets are those of the undamaged file.
  std::function<void(const std::string& path, const std::vector<int64_t>& frameOffsets,
                     const kxtest::RecordingPlan& plan)> damage;
  int expectedResult;
  // The video frames the damage takes away, by their number among the video frames.
  std::function<bool(size_t videoNumber, const kxtest::RecordingPlan& plan, int fileType)> lost;
};

// The garbage of the middle case goes in after this video frame (a frame of the long group).
size_t middleGarbageAfter(const kxtest::RecordingPlan& plan) {
  return static_cast<size_t>(plan.frames()[static_cast<size_t>(plan.keyFrames()[2])].id - plan.firstVideoId() + 50);
}

kxtest::RecordingPlan::Options withOptions(const std::function<void(kxtest::RecordingPlan::Options&)>& change) {
  kxtest::RecordingPlan::Options options;
  change(options);
  return options;
}

const std::vector<OpenCase>& openCases() {
  static const std::vector<OpenCase> cases = {
      {"whole", {}, nullptr, KXPLAYER_OK, nullptr},
      {"shorter than a chunk", withOptions([](auto& o) { o.gopLengths = {12, 9}; }), nullptr, KXPLAYER_OK, nullptr},
      {"empty file", {}, [](const std::string& path, auto&, auto&) { kxtest::RecordingWriter::truncate(path, 0); },
       KXPLAYER_WRONG_FORMAT, nullptr},
      {"audio only, no frame to play", withOptions([](auto& o) { o.gopLengths = {}; o.audioStretchBeforeGop = 0; }),
       nullptr, KXPLAYER_WRONG_FORMAT, nullptr},
      {"last chunk without video", withOptions([](auto& o) {
         o.audioStretchBeforeGop = static_cast<int>(o.gopLengths.size());
         o.audioStretchFrames = 12000;
       }),
       nullptr, KXPLAYER_OK, nullptr},
      {"last group of pictures longer than a chunk", withOptions([](auto& o) { o.gopLengths = {20, 300}; }),
       nullptr, KXPLAYER_OK, nullptr},
      {"frame rate 0", withOptions([](auto& o) { o.frameRate = 0; }), nullptr, KXPLAYER_OK, nullptr},
      {"ids below the first at the end (wrapped)", withOptions([](auto& o) { o.firstVideoId = 0xFFFFFF00u; }),
       nullptr, KXPLAYER_WRONG_FORMAT, nullptr},
      {"garbage at the start",
       {}, [](const std::string& path, auto&, auto&) { kxtest::RecordingWriter::insertGarbage(path, 0, 1000); },
       KXPLAYER_OK, nullptr},
      {"garbage in the middle", {},
       [](const std::string& path, const std::vector<int64_t>& offsets, const kxtest::RecordingPlan& plan) {
         // Between a video frame of the long group of pictures and the audio frame after it.
         int64_t at = offsets[static_cast<size_t>(plan.video(middleGarbageAfter(plan)).index + 1)];
         kxtest::RecordingWriter::insertGarbage(path, at, 5000);
       },
       KXPLAYER_OK,
       // A frame head counts only when the next head follows its payload: the frame before the garbage
       // cannot be told from a false start and is stepped over.
       [](size_t n, const kxtest::RecordingPlan& plan, int fileType) {
         return fileType == kFrameHeadStream && n == middleGarbageAfter(plan);
       }},
      {"truncated last frame", {},
       [](const std::string& path, const std::vector<int64_t>& offsets, const kxtest::RecordingPlan& plan) {
         const kxtest::PlannedFrame& last = plan.video(plan.videoFrames().size() - 1);
         kxtest::RecordingWriter::truncate(path, offsets[static_cast<size_t>(last.index)] + last.size / 2);
       },
       KXPLAYER_OK,
       [](size_t n, const kxtest::RecordingPlan& plan, int) { return n + 1 == plan.videoFrames().size(); }},
  };
  return cases;
}

class ReaderOpen : public ::testing::TestWithParam<int> {};

TEST_P(ReaderOpen, GivesAClearResultAndTheRangeThePlanWrote) {
  const int fileType = GetParam();
  for (const OpenCase& c : openCases()) {
    SCOPED_TRACE(c.name);
    kxtest::RecordingPlan plan(c.options);
    std::string path = kxtest::scratchDir("reader-open") + "/recording";
    std::vector<int64_t> offsets;
    ASSERT_TRUE(kxtest::RecordingWriter::write(plan, fileType, path, &offsets));
    if (c.damage) c.damage(path, offsets, plan);

    IndexedFileReader reader;
    reader.setFileType(fileType);
    int result = reader.open(path.c_str());
    ASSERT_EQ(result, c.expectedResult);
    AVData* frame = nullptr;
    if (result != KXPLAYER_OK) continue;

    std::vector<const kxtest::PlannedFrame*> video;
    for (size_t n = 0; n < plan.videoFrames().size(); ++n) {
      if (!c.lost || !c.lost(n, plan, fileType)) video.push_back(&plan.video(n));
    }
    const int64_t lastId = video.back()->id;
    const int64_t frameCount = lastId - plan.firstVideoId() + 1;
    EXPECT_EQ(reader.getFirstFrameId(), plan.firstVideoId());
    EXPECT_EQ(reader.getLastFrameId(), lastId);
    EXPECT_EQ(reader.getFrameCount(), frameCount);
    // 40 ms a frame, with the frame rate or, where the file gives none, from the timestamps.
    EXPECT_EQ(reader.getDuration(), frameCount / 25);
    EXPECT_EQ(reader.getFrameRate(), c.options.frameRate);
    if (fileType == kTransportStream) {
      EXPECT_EQ(reader.getWidth(), 352);
      EXPECT_EQ(reader.getHeight(), 288);
    }
    // Every video frame left in the file comes out once, in order, and then the end of the data.
    for (const kxtest::PlannedFrame* planned : video) {
      ASSERT_EQ(reader.readNextVideoFrame(&frame), KXPLAYER_OK) << "video frame " << planned->id;
      readertest::expectFrame(frame, *planned, fileType, "forward walk");
      if (HasFatalFailure()) return;
    }
    EXPECT_EQ(reader.readNextVideoFrame(&frame), KXPLAYER_END_OF_DATA);
    // Seeks through the complete index land on their frames, damage or not.
    ASSERT_TRUE(readertest::waitForIndex(reader));
    for (size_t n = video.size(); n-- > 0;) {
      if (n % 23 != 0 && n + 1 != video.size()) continue;
      ASSERT_EQ(reader.seekToFrame(video[n]->id, &frame), KXPLAYER_OK);
      readertest::expectFrame(frame, *video[n], fileType, "seek");
    }
  }
}

TEST_P(ReaderOpen, RefusesWhatItCannotOpen) {
  IndexedFileReader reader;
  reader.setFileType(GetParam());
  EXPECT_EQ(reader.open(nullptr), KXPLAYER_MISSING_ARGUMENT);
  std::string dir = kxtest::scratchDir("reader-refuse");
  EXPECT_EQ(reader.open((dir + "/missing.rec").c_str()), KXPLAYER_FILE_OPEN_FAILED);
  // A path that does not fit is refused whole, never shortened to name another file.
  std::string longPath = dir + "/" + std::string(IndexedFileReader::kMaxPathLength, 'a');
  EXPECT_EQ(reader.open(longPath.c_str()), KXPLAYER_OUT_OF_RANGE);
  // The longest path that fits, through folders (a single name may not be that long).
  std::string fits = dir;
  while (fits.size() + 101 < IndexedFileReader::kMaxPathLength) {
    fits += "/" + std::string(100, 'd');
    std::filesystem::create_directory(fits);
  }
  fits += "/" + std::string(IndexedFileReader::kMaxPathLength - fits.size() - 1, 'b');
  ASSERT_EQ(fits.size(), IndexedFileReader::kMaxPathLength);
  ASSERT_TRUE(kxtest::RecordingWriter::write(kxtest::RecordingPlan(), GetParam(), fits));
  EXPECT_EQ(reader.open(fits.c_str()), KXPLAYER_OK);
  EXPECT_EQ(std::string(reader.getFileName()), fits);
  // Reading a closed reader fails without a crash.
  reader.close();
  AVData* frame = nullptr;
  EXPECT_EQ(reader.getFrameCount(), 0);
  EXPECT_NE(reader.readNextFrame(&frame), KXPLAYER_OK);
  EXPECT_NE(reader.seekToFrame(1000, &frame), KXPLAYER_OK);
  EXPECT_NE(reader.readPreviousKeyFrame(&frame), KXPLAYER_OK);
}

INSTANTIATE_TEST_SUITE_P(BothFileTypes, ReaderOpen, ::testing::Values(kTransportStream, kFrameHeadStream),
                         [](const ::testing::TestParamInfo<int>& info) { return readertest::typeName(info.param); });

TEST(ReaderOpenType, RefusesAFileTypeWithoutParser) {
  IndexedFileReader reader;
  reader.setFileType(3);
  EXPECT_EQ(reader.open(readertest::standardRecording(kFrameHeadStream).path.c_str()), KXPLAYER_NO_PARSER);
}

}  // namespace

namespace {

// The frame-stream recordings of the fixture script, each with its listing of frames
// ("offset es_type frame_type sequence_id timestamp length", "#" comments).
TEST(ReaderOpenFixtures, FrameCountAndDurationMatchWhatTheFixtureScriptWrote) {
  std::vector<std::string> recordings;
  for (const std::string& dir : {kxtest::fixtureDir(), kxtest::generatedDir()}) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
      if (entry.path().extension() == ".kxav" && std::filesystem::exists(entry.path().string() + ".frames")) {
        recordings.push_back(entry.path().string());
      }
    }
  }
  ASSERT_FALSE(recordings.empty()) << "no frame-stream fixtures found";
  for (const std::string& path : recordings) {
    SCOPED_TRACE(path);
    std::ifstream listing(path + ".frames");
    std::string line;
    int64_t firstKey = -1;
    int64_t lastVideo = -1;
    int64_t firstKeyOffset = -1;
    while (std::getline(listing, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream fields(line);
      int64_t offset = 0, esType = 0, frameType = 0, id = 0;
      fields >> offset >> esType >> frameType >> id;
      if (esType != 1) continue;
      if (firstKey < 0 && frameType == 1) {
        firstKey = id;
        firstKeyOffset = offset;
      }
      if (firstKey >= 0) lastVideo = id;
    }
    ASSERT_GE(firstKey, 0);
    // The frame rate stands in byte 34 of every frame head.
    std::ifstream file(path, std::ios::binary);
    file.seekg(firstKeyOffset + 34);
    int frameRate = file.get();

    IndexedFileReader reader;
    reader.setFileType(kFrameHeadStream);
    int result = reader.open(path.c_str());
    if (lastVideo < firstKey) {
      EXPECT_EQ(result, KXPLAYER_WRONG_FORMAT) << "ids that wrap are refused";
      continue;
    }
    ASSERT_EQ(result, KXPLAYER_OK);
    const int64_t count = lastVideo - firstKey + 1;
    EXPECT_EQ(reader.getFirstFrameId(), firstKey);
    EXPECT_EQ(reader.getLastFrameId(), lastVideo);
    EXPECT_EQ(reader.getFrameCount(), count);
    EXPECT_EQ(reader.getFrameRate(), frameRate);
    EXPECT_EQ(reader.getDuration(), frameRate > 0 ? count / frameRate : count / 25);
  }
}

}  // namespace
