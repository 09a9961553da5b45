#include "media/HeadFrameParser.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "media/Buffer.h"
#include "media/FrameParserContract.h"
#include "media/FrameStreamBuilder.h"
#include "media/mpegts/TSFrameParser.h"

using kxtest::FrameStreamBuilder;
using kxtest::StreamFrame;

namespace {

StreamFrame video(uint32_t id, bool key, int64_t time, const std::string& payload) {
  StreamFrame f;
  f.esType = 1;
  f.frameType = key ? 1 : 2;
  f.sequenceId = id;
  f.timeStamp = time;
  f.payload = payload;
  return f;
}

StreamFrame audio(uint32_t id, int frameType, int64_t time, const std::string& payload) {
  StreamFrame f = video(id, false, time, payload);
  f.esType = 2;
  f.frameType = frameType;
  f.encodeType = 102;
  return f;
}

// A payload whose bytes tell which frame they belong to.
std::string payloadOf(uint32_t id, size_t size) {
  std::string p(size, '\0');
  for (size_t i = 0; i < size; ++i) p[i] = static_cast<char>('A' + (id + i) % 26);
  return p;
}

bool loadHeadParser(const std::vector<frame_parser_contract::ContractFrame>& frames,
                    frame_parser_contract::LoadedParser& out) {
  FrameStreamBuilder stream;
  for (const auto& f : frames) {
    StreamFrame s = video(f.sequenceId, f.frameType == 1, f.timeStamp, payloadOf(f.sequenceId, 17));
    s.esType = f.esType;
    s.frameType = f.frameType;
    stream.frame(s);
  }
  out.input = stream.bytes();
  out.parser = std::make_unique<HeadFrameParser>();
  out.parser->setEndOfStream(true);
  int result = out.parser->parse(out.input.data(), static_cast<int>(out.input.size()), true);
  return result == (frames.empty() ? -2 : 0);
}

Buffer& fill(Buffer& b, const std::string& bytes) {
  EXPECT_TRUE(b.alloc(static_cast<int>(bytes.size()) + 1));
  EXPECT_TRUE(b.copy(bytes.data(), static_cast<unsigned>(bytes.size())));
  return b;
}

int parse(HeadFrameParser& parser, const std::string& bytes) {
  return parser.parse(bytes.data(), static_cast<int>(bytes.size()), true);
}

// A whole stream of a key frame (id 1) and two P frames (ids 2 and 3).
int parseKeyAndTwoFrames(HeadFrameParser& parser) {
  FrameStreamBuilder stream;
  stream.frame(video(1, true, 0, "a")).frame(video(2, false, 40, "b")).frame(video(3, false, 80, "c"));
  parser.setEndOfStream(true);
  return parse(parser, stream.bytes());
}

std::vector<uint32_t> idsOf(FrameParser& parser) {
  std::vector<uint32_t> ids;
  parser.moveToBegin();
  AVData* frame = nullptr;
  while (parser.nextFrame(frame) == 0) ids.push_back(frame->getSequenceId());
  return ids;
}

}  // namespace

KX_FRAME_PARSER_CONTRACT(HeadFrameParser, loadHeadParser);

TEST(HeadFrameParser, FactoryMakesTheParserOfEachFileType) {
  std::unique_ptr<FrameParser> parser(createFrameParser(2));
  EXPECT_NE(dynamic_cast<HeadFrameParser*>(parser.get()), nullptr);
  std::unique_ptr<FrameParser> transport(createFrameParser(1));
  EXPECT_NE(dynamic_cast<TSFrameParser*>(transport.get()), nullptr);
  for (int type : {0, 3, -1, 255}) EXPECT_EQ(createFrameParser(type), nullptr) << type;
}

TEST(HeadFrameParser, FramesCarryTheHeadAttributesAndAnOwnedCopyOfThePayload) {
  StreamFrame key = video(0x01020304, true, -40000, payloadOf(1, 33));
  key.frameRate = 30;
  key.imageFormatId = 7;
  StreamFrame sound = audio(9, 1, 123456789012345LL, payloadOf(2, 160));
  FrameStreamBuilder stream;
  stream.frame(key).frame(sound).frame(video(3, false, 0, "x"));
  std::string bytes = stream.bytes();
  HeadFrameParser parser;
  ASSERT_EQ(parse(parser, bytes), 0);
  EXPECT_EQ(parser.getImageFormatId(), 1);  // of the last head taken (the third waits as leftover)
  AVData* frame = nullptr;
  ASSERT_EQ(parser.nextFrame(frame), 0);
  EXPECT_EQ(frame->getSequenceId(), 0x01020304u);
  EXPECT_EQ(frame->getTimeStamp(), -40000);
  EXPECT_EQ(frame->getESStreamType(), 1);
  EXPECT_EQ(frame->getFrameType(), 1);
  EXPECT_EQ(frame->getFrameRate(), 30);
  EXPECT_EQ(frame->getEncoderType(), 1);
  EXPECT_EQ(frame->getStreamFormat(), 1);
  EXPECT_EQ(frame->getCameraNo(), 0);
  EXPECT_EQ(frame->getImageFormatId(), 1);  // the record keeps its default; the parser keeps the head's
  EXPECT_EQ(frame->getBufferSize(), 33u);
  ASSERT_EQ(frame->getDataLength(), 33);
  EXPECT_EQ(std::string(frame->getData(), 33), key.payload);
  EXPECT_NE(frame->getData(), bytes.data() + 40);  // a copy, not a pointer into the input
  ASSERT_EQ(parser.nextFrame(frame), 0);
  EXPECT_EQ(frame->getESStreamType(), 2);
  EXPECT_EQ(frame->getEncoderType(), 102);
  EXPECT_EQ(frame->getTimeStamp(), 123456789012345LL);
  bytes.assign(bytes.size(), '\0');  // the frames do not depend on the input any more
  EXPECT_EQ(std::string(frame->getData(), 160), sound.payload);
  EXPECT_EQ(parser.getImageHeight(), 0);
  EXPECT_EQ(parser.getImageWidth(), 0);
  EXPECT_EQ(parser.getTailLength(), 0);
  EXPECT_EQ(parser.getLastParseLength(), 0);
}

// Without knowing that the stream ends, the last frame of a buffer waits for the next head.
TEST(HeadFrameParser, LastFrameOfABufferWaitsAsLeftover) {
  FrameStreamBuilder stream;
  stream.frame(video(1, true, 0, payloadOf(1, 50)))
      .frame(video(2, false, 40, payloadOf(2, 60)))
      .frame(video(3, false, 80, payloadOf(3, 70)));
  HeadFrameParser parser;
  ASSERT_EQ(parse(parser, stream.bytes()), 0);
  EXPECT_EQ(idsOf(parser), (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(parser.getLeftoverLength(), 40 + 70);
  EXPECT_EQ(parser.getParsedLength(), 940000);
}

// At the end of the stream the last frame is taken: its payload reaching the end, or a cut-off
// start of a next head behind it, is enough.
TEST(HeadFrameParser, AtTheEndOfTheStreamTheLastFrameIsTaken) {
  struct Case {
    const char* name;
    std::string tail;  // bytes after the last frame
    std::vector<uint32_t> ids;
    int leftover;
  } cases[] = {
      {"EndsExactly", "", {1, 2}, 0},
      {"CutOffStartCode", "t~a!v", {1, 2}, 5},
      {"CutOffHead", "t~a!v@ri%n\x01\x02", {1, 2}, 12},
      {"GarbageBehind", "garbage", {1}, -1},  // the second frame is not verified
  };
  for (const Case& c : cases) {
    FrameStreamBuilder stream;
    stream.frame(video(1, true, 0, payloadOf(1, 30))).frame(video(2, false, 40, payloadOf(2, 25))).raw(c.tail);
    HeadFrameParser parser;
    parser.setEndOfStream(true);
    ASSERT_EQ(parse(parser, stream.bytes()), 0) << c.name;
    EXPECT_EQ(idsOf(parser), c.ids) << c.name;
    if (c.leftover >= 0) {
      EXPECT_EQ(parser.getLeftoverLength(), c.leftover) << c.name;
    }
  }
}

TEST(HeadFrameParser, AOneFrameFilePlaysItsFrame) {
  FrameStreamBuilder stream;
  stream.frame(video(42, true, 1000, payloadOf(42, 100)));
  HeadFrameParser parser;
  EXPECT_EQ(parse(parser, stream.bytes()), -2);  // nothing says the stream ends here
  parser.setEndOfStream(true);
  ASSERT_EQ(parse(parser, stream.bytes()), 0);
  AVData* frame = nullptr;
  ASSERT_EQ(parser.nextFrame(frame), 0);
  EXPECT_EQ(frame->getSequenceId(), 42u);
  EXPECT_EQ(std::string(frame->getData(), 100), payloadOf(42, 100));
  EXPECT_EQ(parser.getLeftoverLength(), 0);

  // A frame cut off by the end of the stream is never taken; its bytes are stepped over.
  std::string cut = stream.bytes().substr(0, stream.size() - 1);
  EXPECT_EQ(parse(parser, cut), -2);
  EXPECT_EQ(parser.getLeftoverLength(), 39);
}

TEST(HeadFrameParser, GarbageIsSteppedOverAndCountedBeforeTheFirstFrame) {
  FrameStreamBuilder stream;
  stream.raw("\x01t~a!")
      .frame(video(1, true, 0, payloadOf(1, 20)))
      .frame(video(2, false, 40, payloadOf(2, 20)))
      .raw("junk t~a!v@ri%n junk")
      .frame(video(3, false, 80, payloadOf(3, 20)))
      .frame(video(4, false, 120, payloadOf(4, 20)));
  HeadFrameParser parser;
  parser.setEndOfStream(true);
  ASSERT_EQ(parse(parser, stream.bytes()), 0);
  EXPECT_EQ(idsOf(parser), (std::vector<uint32_t>{1, 3, 4}));  // 2 is not followed by a head
  EXPECT_EQ(parser.getParsedLength(), 940000 - 5);
}

TEST(HeadFrameParser, AStartCodeInsideAPayloadMakesNoFrame) {
  std::string payload = "abc" + std::string("t~a!v@ri%n") + std::string(40, 'z');
  FrameStreamBuilder stream;
  stream.frame(video(1, true, 0, payload)).frame(video(2, false, 40, payloadOf(2, 20)));
  HeadFrameParser parser;
  parser.setEndOfStream(true);
  // Parsing from inside the first payload: the start code there is no frame, the real head after it is.
  std::string fromInside = stream.bytes().substr(40 + 3);
  ASSERT_EQ(parse(parser, fromInside), 0);
  EXPECT_EQ(idsOf(parser), (std::vector<uint32_t>{2}));
  EXPECT_EQ(parser.getParsedLength(), 940000 - (static_cast<int>(payload.size()) - 3));
}

TEST(HeadFrameParser, ShortBuffersTakeNothing) {
  HeadFrameParser parser;
  for (size_t size : {0, 1, 10, 39}) {
    std::string bytes = FrameStreamBuilder().frame(video(1, true, 0, "")).bytes().substr(0, size);
    EXPECT_EQ(parse(parser, bytes), -2) << size;
    EXPECT_EQ(parser.getLeftoverLength(), static_cast<int>(size)) << size;
    EXPECT_TRUE(parser.isEmpty());
  }
  EXPECT_EQ(parser.parse(nullptr, 100, true), -2);
  EXPECT_EQ(parser.parse("abc", -5, true), -2);
}

// Damaged frame lengths never stall the search, allocate what the input cannot hold, or read outside
// the buffer: such a head is stepped over, and the frames around it are still found.
TEST(HeadFrameParser, BadFrameLengthsAreSteppedOver) {
  struct Case {
    const char* name;
    int32_t length;
    bool waitsForMoreInput;  // fits the buffer, though not from where it stands
  } cases[] = {{"MinusForty", -40, false},     {"MinusOne", -1, false},
               {"MinusFortyOne", -41, false},  {"Negative", INT_MIN, false},
               {"NearIntMax", INT_MAX - 39, false}, {"IntMax", INT_MAX, false},
               {"BeyondTheBuffer", 5000, false}, {"OneBeyondTheInput", 0, true}};
  for (bool atEnd : {false, true}) {
    for (const Case& c : cases) {
      FrameStreamBuilder stream;
      stream.frame(video(1, true, 0, payloadOf(1, 30)));
      const size_t badAt = stream.size();
      stream.headWithLength(c.length, 99).frame(video(2, false, 40, payloadOf(2, 30)))
          .frame(video(3, false, 80, payloadOf(3, 30)));
      std::string bytes = stream.bytes();
      if (std::string(c.name) == "OneBeyondTheInput") {
        // A length that reaches one byte past the end of the input.
        const int32_t beyond = static_cast<int32_t>(bytes.size() - badAt - 40 + 1);
        for (int i = 0; i < 4; ++i) bytes[badAt + 22 + i] = static_cast<char>(uint32_t(beyond) >> (24 - 8 * i));
      }
      HeadFrameParser parser;
      parser.setEndOfStream(atEnd);
      ASSERT_EQ(parse(parser, bytes), 0) << c.name;
      // The first frame is followed by the bad head's start code and so is taken.
      std::vector<uint32_t> expected = atEnd ? std::vector<uint32_t>{1, 2, 3} : std::vector<uint32_t>{1, 2};
      const bool mayFitTheNextChunk = c.waitsForMoreInput && !atEnd;
      if (mayFitTheNextChunk) {
        // It could still be a frame cut off by the end of this chunk: it waits, from its head on.
        expected = {1};
        EXPECT_EQ(parser.getLeftoverLength(), static_cast<int>(bytes.size() - badAt)) << c.name;
      }
      EXPECT_EQ(idsOf(parser), expected) << c.name << (atEnd ? " at end" : "");

      Buffer b;
      std::vector<int64_t> ids, offsets;
      parser.scanKeyFrames(fill(b, bytes), ids, offsets);
      EXPECT_EQ(ids, std::vector<int64_t>{1}) << c.name;
    }
  }
}

// A buffer made only of heads with bad lengths takes nothing and ends.
TEST(HeadFrameParser, OnlyBadHeadsTakeNothing) {
  FrameStreamBuilder stream;
  for (int32_t length : {-40, -40, -1, INT_MAX, INT_MIN, -40}) stream.headWithLength(length);
  for (bool atEnd : {false, true}) {
    HeadFrameParser parser;
    parser.setEndOfStream(atEnd);
    EXPECT_EQ(parse(parser, stream.bytes()), -2);
    EXPECT_EQ(parser.getLeftoverLength(), 39);
  }
}

TEST(HeadFrameParser, PreviousFrameAtTheFirstFrameFailsWithoutMoving) {
  HeadFrameParser parser;
  ASSERT_EQ(parseKeyAndTwoFrames(parser), 0);
  AVData* frame = nullptr;
  ASSERT_EQ(parser.nextFrame(frame), 0);
  EXPECT_EQ(parser.previousFrame(frame), -1);
  ASSERT_EQ(parser.nextFrame(frame), 0);
  EXPECT_EQ(frame->getSequenceId(), 2u);
}

TEST(HeadFrameParser, ClearEmptiesTheListAndKeepsTheSavedPosition) {
  HeadFrameParser parser;
  ASSERT_EQ(parseKeyAndTwoFrames(parser), 0);
  AVData* frame = nullptr;
  parser.nextFrame(frame);
  parser.nextFrame(frame);
  parser.nextFrame(frame);  // saved index 1
  EXPECT_EQ(parser.setStartTime(5000), 5000);
  parser.clear();
  EXPECT_TRUE(parser.isEmpty());
  EXPECT_EQ(parser.getLeftoverLength(), 0);
  EXPECT_EQ(parser.getParsedLength(), 940000);
  EXPECT_EQ(parser.getImageFormatId(), 0);
  EXPECT_TRUE(parser.restorePosition());  // index 0 after clear; the saved index stays within the list
  EXPECT_EQ(parser.nextFrame(frame), -1);
  EXPECT_EQ(parser.previousFrame(frame), -1);
}

// Key-frame offsets are true offsets in the file, across chunks that resume at the leftover bytes,
// after garbage, and with audio frames of frame type 1 left out of the index.
TEST(HeadFrameParser, ScanGivesVideoKeyFramesAtTheirFileOffsets) {
  FrameStreamBuilder stream;
  std::vector<int64_t> keyIds, keyOffsets;
  uint32_t id = 100;
  for (int group = 0; group < 6; ++group) {
    if (group == 2) stream.raw(std::string(37, 'g') + "t~a!v@ri%n" + std::string(3, 'g'));
    if (group == 4) stream.frame(audio(5000, 1, 0, payloadOf(5000, 160)));
    keyIds.push_back(id);
    keyOffsets.push_back(static_cast<int64_t>(stream.size()));
    stream.frame(video(id, true, group * 1000, payloadOf(id, 500 + 37 * group)));
    ++id;
    for (int i = 0; i < 3; ++i) {
      stream.frame(audio(6000 + i, 1, 0, payloadOf(i, 160)));
      stream.frame(video(id, false, 0, payloadOf(id, 200 + i)));
      ++id;
    }
  }
  const std::string& file = stream.bytes();

  for (size_t chunkSize : {size_t(1500), size_t(2311), file.size()}) {
    HeadFrameParser parser;
    std::vector<int64_t> ids, offsets;
    size_t position = 0;
    while (position < file.size()) {
      const size_t length = std::min(chunkSize, file.size() - position);
      parser.setEndOfStream(position + length == file.size());
      Buffer chunk;
      EXPECT_EQ(parser.scanKeyFrames(fill(chunk, file.substr(position, length)), ids, offsets), 0);
      const size_t leftover = static_cast<size_t>(parser.getLeftoverLength());
      ASSERT_LT(leftover, length) << "a chunk must make progress";
      if (position + length == file.size()) break;
      position += length - leftover;
    }
    EXPECT_EQ(ids, keyIds) << chunkSize;
    EXPECT_EQ(offsets, keyOffsets) << chunkSize;
    EXPECT_TRUE(parser.isEmpty());  // scanning keeps no frames
  }
}

TEST(HeadFrameParser, ParseBufferParsesTheDataOfTheBuffer) {
  FrameStreamBuilder stream;
  stream.raw("xx").frame(video(1, true, 0, "abc")).frame(video(2, false, 40, "def"));
  Buffer b;
  fill(b, stream.bytes());
  ASSERT_TRUE(b.moveDataPointer(2));
  HeadFrameParser parser;
  parser.setEndOfStream(true);
  ASSERT_EQ(parser.parseBuffer(b, false), 0);
  EXPECT_EQ(idsOf(parser), (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(parser.getParsedLength(), 940000);
}
