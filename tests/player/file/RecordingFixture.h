#pragma once
// Recordings for the reader and index-scan tests: the standard plan written once per file type, and
// checks of delivered frames against the plan.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "media/AVData.h"
#include "player/file/ChunkWindow.h"
#include "player/file/IndexedFileReader.h"
#include "support/RecordingPlan.h"
#include "support/RecordingWriter.h"
#include "support/TestPaths.h"

namespace readertest {

constexpr int kTransportStream = 1;
constexpr int kFrameHeadStream = 2;

inline std::string typeName(int fileType) {
  return fileType == kTransportStream ? "TransportStream" : "FrameHeadStream";
}

// A written recording: its plan, its path and where each of its frames begins.
struct Recording {
  kxtest::RecordingPlan plan;
  int fileType = kTransportStream;
  std::string path;
  std::vector<int64_t> frameOffsets;
};

// The standard recording of a file type (several chunks long, with a group of pictures longer than
// a chunk and an audio-only stretch), written once per test program.
inline const Recording& standardRecording(int fileType) {
  static std::map<int, Recording> written;
  auto found = written.find(fileType);
  if (found != written.end()) return found->second;
  Recording& recording = written[fileType];
  recording.fileType = fileType;
  recording.path = kxtest::scratchDir("reader-standard-" + typeName(fileType)) + "/standard" +
                   (fileType == kTransportStream ? ".ts" : ".kxav");
  EXPECT_TRUE(kxtest::RecordingWriter::write(recording.plan, fileType, recording.path, &recording.frameOffsets));
  return recording;
}

// Checks a delivered frame against the planned one: kind, id, key flag, time and every payload byte.
// The transport stream gives audio frames no sequence id of their own, so theirs is not compared.
inline void expectFrame(const AVData* frame, const kxtest::PlannedFrame& planned, int fileType,
                        const std::string& where) {
  SCOPED_TRACE(where);
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->getESStreamType(), planned.video ? 1 : 2) << "frame " << planned.index;
  if (planned.video || fileType == kFrameHeadStream) {
    ASSERT_EQ(static_cast<int64_t>(frame->getSequenceId()), planned.id) << "frame " << planned.index;
  }
  if (planned.video) {
    EXPECT_EQ(frame->getFrameType() == 1, planned.key) << "frame " << planned.index;
    EXPECT_EQ(frame->getTimeStamp(), planned.timeStamp) << "frame " << planned.index;
  }
  std::string payload = kxtest::RecordingPlan::payload(planned);
  ASSERT_EQ(frame->getDataLength(), static_cast<int>(payload.size())) << "frame " << planned.index;
  EXPECT_EQ(std::string(frame->getData(), static_cast<size_t>(frame->getDataLength())), payload)
      << "payload of frame " << planned.index;
}

// Waits for the background index scan to end; the scan runs at file speed, so this is short.
inline bool waitForIndex(IndexedFileReader& reader) {
  for (int i = 0; i < 20000; ++i) {
    if (reader.updateIndex()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

}  // namespace readertest
