#pragma once
// The navigation, search and query rules that every FrameParser keeps, as one table of scenarios.
// An implementation's test file runs them on its parser with
//
//   bool loadMyParser(const std::vector<frame_parser_contract::ContractFrame>& frames,
//                     frame_parser_contract::LoadedParser& out);
//   KX_FRAME_PARSER_CONTRACT(MyParser, loadMyParser);
//
// loadMyParser builds the implementation's input bytes holding exactly these frames, in this order,
// parses them whole and returns the parser (with the bytes it borrows). An empty frame list asks for
// a parser whose last parse found nothing. It returns false for a layout that its format cannot
// express; those scenarios are skipped.
//
// Frames are named by their position in the list. Video frames of a layout carry consecutive
// sequence ids from each key frame on, and audio frames carry the time of the video frame before
// them, so that formats which derive ids and times (transport streams) can express them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "media/AVData.h"
#include "media/FrameParser.h"

namespace frame_parser_contract {

constexpr int kVideo = 1;
constexpr int kAudio = 2;
constexpr int kKey = 1;
constexpr int kOther = 2;

struct ContractFrame {
  int esType;
  int frameType;
  uint32_t sequenceId;
  int64_t timeStamp;
};

struct LoadedParser {
  std::string input;  // the bytes given to the parser, kept as long as the parser
  std::unique_ptr<FrameParser> parser;
};

using LoadParser = bool (*)(const std::vector<ContractFrame>& frames, LoadedParser& out);

enum class Layout { Mixed, Single, Wrapped, Empty };

// Mixed: video ids 10..20 with key frames at 10 (frame 0) and 15 (frame 6); audio frames at 2, 7
// and 13, those at 2 and 13 with frame type 1 (never key frames for navigation).
inline std::vector<ContractFrame> layoutFrames(Layout layout) {
  switch (layout) {
    case Layout::Mixed:
      return {{kVideo, kKey, 10, 1000000},  {kVideo, kOther, 11, 1040000}, {kAudio, kKey, 900, 1040000},
              {kVideo, kOther, 12, 1080000}, {kVideo, kOther, 13, 1120000}, {kVideo, kOther, 14, 1160000},
              {kVideo, kKey, 15, 1200000},  {kAudio, kOther, 901, 1200000}, {kVideo, kOther, 16, 1240000},
              {kVideo, kOther, 17, 1280000}, {kVideo, kOther, 18, 1320000}, {kVideo, kOther, 19, 1360000},
              {kVideo, kOther, 20, 1400000}, {kAudio, kKey, 902, 1400000}};
    case Layout::Single:
      return {{kVideo, kKey, 7, 2000000}};
    case Layout::Wrapped:
      return {{kVideo, kKey, 4294967294u, 3000000}, {kVideo, kOther, 4294967295u, 3040000},
              {kVideo, kOther, 0, 3080000},         {kVideo, kKey, 1, 3120000},
              {kVideo, kOther, 2, 3160000}};
    case Layout::Empty:
      return {};
  }
  return {};
}

inline const char* layoutName(Layout layout) {
  switch (layout) {
    case Layout::Mixed: return "Mixed";
    case Layout::Single: return "Single";
    case Layout::Wrapped: return "Wrapped";
    case Layout::Empty: return "Empty";
  }
  return "?";
}

enum class Op {
  Begin, End, Restore, Next, Previous, NextVideo, PreviousVideo, NextKey, PreviousKey, PreviousKeyOrCurrent,
  FindKeyForward, FindKeyBackward, FindVideoForward, FindVideoBackward, FindTimeForward, FindTimeBackward
};

constexpr int kNoFrame = -1;

// One step: the operation, its id or time argument, the result it must give (for Begin, End and
// Restore 1 for true, 0 for false), and the position of the frame it must deliver (kNoFrame: none).
struct Step {
  Op op;
  int64_t arg;
  int result;
  int frame;
};

struct NavigationCase {
  const char* name;
  Layout layout;
  std::vector<Step> steps;
};

inline Step begin() { return {Op::Begin, 0, 1, kNoFrame}; }
inline Step end() { return {Op::End, 0, 1, kNoFrame}; }
inline Step restore(bool ok) { return {Op::Restore, 0, ok ? 1 : 0, kNoFrame}; }
inline Step step(Op op, int frame) { return {op, 0, frame == kNoFrame ? -1 : 0, frame}; }
inline Step fails(Op op) { return {op, 0, -1, kNoFrame}; }
inline Step find(Op op, int64_t arg, int frame) { return {op, arg, 0, frame}; }
inline Step findFails(Op op, int64_t arg, int result) { return {op, arg, result, kNoFrame}; }

inline std::vector<NavigationCase> navigationCases() {
  using O = Op;
  const Layout M = Layout::Mixed;
  return {
      {"NextFromBeginDeliversTheFirstFrames", M, {begin(), step(O::Next, 0), step(O::Next, 1), step(O::Next, 2)}},
      {"PreviousFromEndDeliversTheLastFrames", M, {end(), step(O::Previous, 13), step(O::Previous, 12)}},
      {"NextFailsOnTheLastFrameWithoutMoving", M, {end(), step(O::Previous, 13), fails(O::Next), step(O::Previous, 12)}},
      {"NextFailsAfterTheEnd", M, {end(), fails(O::Next), fails(O::NextVideo), fails(O::NextKey), step(O::Previous, 13)}},
      {"PreviousFailsBeforeTheSecondFrame", M, {begin(), fails(O::Previous), step(O::Next, 0), fails(O::Previous)}},
      {"RestoreUndoesTheLastStep", M, {begin(), step(O::Next, 0), step(O::Next, 1), restore(true), step(O::Next, 1)}},
      {"RestoreUndoesAFind", M, {find(O::FindVideoForward, 13, 4), find(O::FindKeyForward, 15, 6), restore(true), step(O::Next, 5)}},
      {"RestoreRefusedBeforeTheFirstFrame", M, {begin(), restore(false), step(O::Next, 0)}},
      {"NextVideoStepsOverAudio", M, {begin(), step(O::NextVideo, 0), step(O::NextVideo, 1), step(O::NextVideo, 3)}},
      {"NextVideoPastTheLastVideoEndsAfterTheList", M, {find(O::FindVideoForward, 20, 12), fails(O::NextVideo), step(O::Previous, 13)}},
      {"PreviousVideoStepsOverAudio", M, {find(O::FindVideoForward, 12, 3), step(O::PreviousVideo, 1), step(O::PreviousVideo, 0)}},
      {"PreviousVideoBeforeTheFirstVideoEndsBeforeTheList", M, {step(O::Next, 0), fails(O::PreviousVideo), step(O::Next, 0)}},
      {"PreviousVideoFromEnd", M, {end(), step(O::PreviousVideo, 12)}},
      {"PreviousVideoFailsFromBegin", M, {begin(), fails(O::PreviousVideo), step(O::Next, 0)}},
      {"NextKeyTakesVideoKeyFramesOnly", M, {begin(), step(O::NextKey, 0), step(O::NextKey, 6), fails(O::NextKey), step(O::Next, 8)}},
      {"NextKeyStepsOverAnAudioFrameOfTypeOne", M, {begin(), step(O::Next, 0), step(O::Next, 1), step(O::NextKey, 6)}},
      {"PreviousKeyFromEnd", M, {end(), step(O::PreviousKey, 6), step(O::PreviousKey, 0), fails(O::PreviousKey), step(O::Next, 0)}},
      {"PreviousKeyOrCurrentDeliversTheCurrentKeyFrame", M, {find(O::FindKeyForward, 15, 6), step(O::PreviousKeyOrCurrent, 6), step(O::PreviousKey, 0)}},
      {"PreviousKeyOrCurrentFromEnd", M, {end(), step(O::PreviousKeyOrCurrent, 6)}},
      {"PreviousKeyFromANonKeyFrame", M, {find(O::FindVideoForward, 18, 10), step(O::PreviousKeyOrCurrent, 6)}},
      {"PreviousKeyFailsBeforeTheList", M, {begin(), fails(O::PreviousKey), fails(O::PreviousKeyOrCurrent), step(O::Next, 0)}},
      {"FindKeyByIdForwardAndBackward", M, {find(O::FindKeyForward, 12, 6), find(O::FindKeyBackward, 12, 0),
                                            find(O::FindKeyForward, 10, 0), find(O::FindKeyBackward, 20, 6),
                                            find(O::FindKeyForward, 15, 6), find(O::FindKeyBackward, 14, 0)}},
      {"FindKeyByIdOutsideTheRange", M, {findFails(O::FindKeyForward, 21, -1), findFails(O::FindKeyBackward, 9, -1),
                                         findFails(O::FindKeyForward, -1, -1), findFails(O::FindKeyForward, 900, -1)}},
      {"FindKeyByIdWithNoKeyFrameAfterIt", M, {step(O::Next, 0), findFails(O::FindKeyForward, 16, -2), step(O::Next, 1)}},
      {"FindVideoById", M, {find(O::FindVideoForward, 12, 3), find(O::FindVideoBackward, 12, 3),
                            find(O::FindVideoForward, 20, 12), find(O::FindVideoBackward, 10, 0), step(O::Next, 1)}},
      {"FindVideoByTime", M, {find(O::FindTimeForward, 1050000, 3), find(O::FindTimeBackward, 1050000, 1),
                              find(O::FindTimeForward, 1040000, 1), find(O::FindTimeBackward, 1400000, 12),
                              find(O::FindTimeForward, 1000000, 0), find(O::FindTimeBackward, 1199999, 5),
                              step(O::Next, 6)}},
      {"FindVideoByTimeOutsideTheRange", M, {findFails(O::FindTimeForward, 999999, -1),
                                             findFails(O::FindTimeBackward, 1400001, -1)}},
      {"SingleFrameAcceptsAnyId", Layout::Single, {find(O::FindVideoForward, 12345, 0), find(O::FindVideoBackward, 0, 0),
                                                   find(O::FindKeyForward, 99, 0), find(O::FindKeyBackward, 4000000000LL, 0)}},
      // A failed previousFrame on the first frame leaves the index to the parser (the transport-stream
      // parser moves it before the list), so it comes last among the steps that depend on the index.
      {"SingleFrameNavigation", Layout::Single, {begin(), step(O::Next, 0), fails(O::Next),
                                                 step(O::PreviousKeyOrCurrent, 0), fails(O::Previous),
                                                 find(O::FindTimeForward, 2000000, 0)}},
      {"WrappedIdsBetweenLastAndFirstAreRefused", Layout::Wrapped, {findFails(O::FindVideoForward, 100, -1),
                                                                    findFails(O::FindKeyBackward, 3, -1),
                                                                    findFails(O::FindVideoBackward, 4294967293LL, -1)}},
      {"WrappedIdsCountOnAcrossTheWrap", Layout::Wrapped, {find(O::FindVideoForward, 4294967295LL, 1), find(O::FindVideoForward, 0, 2),
                                                           find(O::FindVideoBackward, 0, 2), find(O::FindKeyForward, 4294967295LL, 3),
                                                           find(O::FindKeyBackward, 0, 0), find(O::FindKeyBackward, 2, 3),
                                                           findFails(O::FindKeyForward, 2, -2), find(O::FindVideoForward, 2, 4)}},
      {"EmptyListDeliversNothing", Layout::Empty, {begin(), fails(O::Next), fails(O::NextVideo), fails(O::NextKey), end(),
                                                   fails(O::Previous), fails(O::PreviousVideo), fails(O::PreviousKey),
                                                   findFails(O::FindVideoForward, 1, -1), findFails(O::FindKeyBackward, 1, -1),
                                                   findFails(O::FindTimeForward, 1, -1)}},
  };
}

struct Queries {
  int64_t firstSequenceId, lastSequenceId, firstTimeStamp, lastTimeStamp;
  int64_t firstVideoSequenceId, lastVideoSequenceId, firstVideoTimeStamp, lastVideoTimeStamp, videoFrameCount;
  bool empty;
};

constexpr int64_t kAnyValue = INT64_MIN;  // the format decides (ids of audio frames)

inline std::vector<std::tuple<Layout, Queries>> queryCases() {
  return {
      {Layout::Mixed, {10, kAnyValue, 1000000, 1400000, 10, 20, 1000000, 1400000, 11, false}},
      {Layout::Single, {7, 7, 2000000, 2000000, 7, 7, 2000000, 2000000, 1, false}},
      {Layout::Wrapped, {4294967294LL, 2, 3000000, 3160000, 4294967294LL, 2, 3000000, 3160000, 5, false}},
      {Layout::Empty, {-1, -1, -1, -1, -1, -1, -1, -1, -1, true}},
  };
}

using NavigationParam = std::tuple<LoadParser, NavigationCase>;
using QueryParam = std::tuple<LoadParser, std::tuple<Layout, Queries>>;

// Loads a layout and collects its frames in list order; false when the format cannot express it.
inline bool loadLayout(LoadParser load, Layout layout, LoadedParser& loaded, std::vector<AVData*>& frames) {
  const std::vector<ContractFrame> wanted = layoutFrames(layout);
  if (!load(wanted, loaded)) return false;
  FrameParser& parser = *loaded.parser;
  parser.moveToBegin();
  AVData* frame = nullptr;
  while (parser.nextFrame(frame) == 0) frames.push_back(frame);
  EXPECT_EQ(frames.size(), wanted.size()) << "the parser must hold exactly the frames of the layout";
  for (size_t i = 0; i < frames.size() && i < wanted.size(); ++i) {
    EXPECT_EQ(frames[i]->getESStreamType(), wanted[i].esType) << "frame " << i;
    EXPECT_EQ(frames[i]->getTimeStamp(), wanted[i].timeStamp) << "frame " << i;
    if (wanted[i].esType == kVideo) {
      EXPECT_EQ(frames[i]->getSequenceId(), wanted[i].sequenceId) << "frame " << i;
      EXPECT_EQ(frames[i]->getFrameType(), wanted[i].frameType) << "frame " << i;
    }
  }
  parser.moveToBegin();
  return true;
}

class FrameParserNavigation : public ::testing::TestWithParam<NavigationParam> {};

TEST_P(FrameParserNavigation, Scenario) {
  LoadParser load = std::get<0>(GetParam());
  const NavigationCase& c = std::get<1>(GetParam());
  LoadedParser loaded;
  std::vector<AVData*> frames;
  if (!loadLayout(load, c.layout, loaded, frames)) GTEST_SKIP() << "layout " << layoutName(c.layout) << " not expressible";
  ASSERT_EQ(frames.size(), layoutFrames(c.layout).size());
  FrameParser& parser = *loaded.parser;
  int number = 0;
  for (const Step& s : c.steps) {
    ++number;
    AVData* out = nullptr;
    int result = 0;
    switch (s.op) {
      case Op::Begin: result = parser.moveToBegin() ? 1 : 0; break;
      case Op::End: result = parser.moveToEnd() ? 1 : 0; break;
      case Op::Restore: result = parser.restorePosition() ? 1 : 0; break;
      case Op::Next: result = parser.nextFrame(out); break;
      case Op::Previous: result = parser.previousFrame(out); break;
      case Op::NextVideo: result = parser.nextVideoFrame(out); break;
      case Op::PreviousVideo: result = parser.previousVideoFrame(out); break;
      case Op::NextKey: result = parser.nextKeyFrame(out); break;
      case Op::PreviousKey: result = parser.previousKeyFrame(out, false); break;
      case Op::PreviousKeyOrCurrent: result = parser.previousKeyFrame(out, true); break;
      case Op::FindKeyForward: result = parser.findKeyFrameById(s.arg, out, 1); break;
      case Op::FindKeyBackward: result = parser.findKeyFrameById(s.arg, out, 0); break;
      case Op::FindVideoForward: result = parser.findVideoFrameById(s.arg, out, 1); break;
      case Op::FindVideoBackward: result = parser.findVideoFrameById(s.arg, out, 0); break;
      case Op::FindTimeForward: result = parser.findVideoFrameByTime(s.arg, out, 1); break;
      case Op::FindTimeBackward: result = parser.findVideoFrameByTime(s.arg, out, 0); break;
    }
    EXPECT_EQ(result, s.result) << "step " << number;
    if (s.frame == kNoFrame) {
      EXPECT_EQ(out, nullptr) << "step " << number;
    } else {
      ASSERT_NE(out, nullptr) << "step " << number;
      EXPECT_EQ(out, frames[static_cast<size_t>(s.frame)]) << "step " << number << " delivered the frame with id "
                                                           << out->getSequenceId();
    }
  }
}

class FrameParserQueries : public ::testing::TestWithParam<QueryParam> {};

TEST_P(FrameParserQueries, Layout) {
  LoadParser load = std::get<0>(GetParam());
  const Layout layout = std::get<0>(std::get<1>(GetParam()));
  const Queries& q = std::get<1>(std::get<1>(GetParam()));
  LoadedParser loaded;
  std::vector<AVData*> frames;
  if (!loadLayout(load, layout, loaded, frames)) GTEST_SKIP() << "layout " << layoutName(layout) << " not expressible";
  FrameParser& parser = *loaded.parser;
  EXPECT_EQ(parser.getFirstSequenceId(), q.firstSequenceId);
  if (q.lastSequenceId != kAnyValue) {
    EXPECT_EQ(parser.getLastSequenceId(), q.lastSequenceId);
  }
  EXPECT_EQ(parser.getFirstTimeStamp(), q.firstTimeStamp);
  EXPECT_EQ(parser.getLastTimeStamp(), q.lastTimeStamp);
  EXPECT_EQ(parser.getFirstVideoSequenceId(), q.firstVideoSequenceId);
  EXPECT_EQ(parser.getLastVideoSequenceId(), q.lastVideoSequenceId);
  EXPECT_EQ(parser.getFirstVideoTimeStamp(), q.firstVideoTimeStamp);
  EXPECT_EQ(parser.getLastVideoTimeStamp(), q.lastVideoTimeStamp);
  EXPECT_EQ(parser.getVideoFrameCount(), q.videoFrameCount);
  EXPECT_EQ(parser.isEmpty(), q.empty);
}

inline std::string navigationCaseName(const ::testing::TestParamInfo<NavigationParam>& info) {
  return std::get<1>(info.param).name;
}

inline std::string queryCaseName(const ::testing::TestParamInfo<QueryParam>& info) {
  return layoutName(std::get<0>(std::get<1>(info.param)));
}

}  // namespace frame_parser_contract

// Runs every scenario of the table on the parsers that load makes. Use once per test program.
#define KX_FRAME_PARSER_CONTRACT(Name, load)                                                                   \
  namespace frame_parser_contract {                                                                            \
  INSTANTIATE_TEST_SUITE_P(Name, FrameParserNavigation,                                                        \
                           ::testing::Combine(::testing::Values(&(load)), ::testing::ValuesIn(navigationCases())), \
                           navigationCaseName);                                                                \
  INSTANTIATE_TEST_SUITE_P(Name, FrameParserQueries,                                                           \
                           ::testing::Combine(::testing::Values(&(load)), ::testing::ValuesIn(queryCases())),    \
                           queryCaseName);                                                                     \
  }
