// The shared navigation, search and query scenarios of every frame parser, run on transport streams
// written by the packager: each video key frame carries its record (sequence id and microsecond
// time), the other frames take their times from 90 kHz time stamps.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "media/FrameParser.h"
#include "media/FrameParserContract.h"
#include "media/mpegts/TSTestFrames.h"

namespace {

using frame_parser_contract::ContractFrame;
using frame_parser_contract::LoadedParser;

bool loadTransportStream(const std::vector<ContractFrame>& frames, LoadedParser& out) {
  tstest::TestPackager ts;
  std::deque<tstest::TestFrame> sent;
  int64_t lastVideoTime = 0;
  for (size_t i = 0; i < frames.size(); ++i) {
    const ContractFrame& f = frames[i];
    const bool video = f.esType == frame_parser_contract::kVideo;
    if (video) lastVideoTime = f.timeStamp;
    // 90 kHz ticks of the time (40 000 µs are 3600 ticks); audio frames carry their video frame's.
    const int64_t ticks = (video ? f.timeStamp : lastVideoTime) * 9 / 100;
    sent.emplace_back(f.esType, f.frameType, ticks, tstest::pattern(100 + static_cast<int>(i), static_cast<int>(i)));
    if (video && f.frameType == frame_parser_contract::kKey) {
      MPEG_TS::FrameInfoRecord record;
      record.sequenceId = f.sequenceId;
      record.timeStamp = static_cast<uint64_t>(f.timeStamp);
      record.width = 352;
      record.height = 288;
      record.frameRate = 25;
      sent.back().setRecord(record);
    }
    ts.add(sent.back().frame);
  }
  if (frames.empty()) {
    // Sections alone: the parse finds no frame.
    tstest::TestFrame key(1, 1, 0, tstest::pattern(10));
    ts.add(key.frame);
    ts.stream.resize(2 * 188);
    ts.stream.insert(ts.stream.end(), ts.stream.begin(), ts.stream.end());
  }
  out.input.assign(ts.stream.begin(), ts.stream.end());
  out.parser.reset(createFrameParser(kTransportStreamParser));
  const int result = out.parser->parse(out.input.data(), static_cast<int>(out.input.size()), true);
  EXPECT_EQ(frames.empty() ? -1 : 0, result);
  return true;
}

}  // namespace

KX_FRAME_PARSER_CONTRACT(TransportStream, loadTransportStream);
