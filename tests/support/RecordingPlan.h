#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kxtest {

// One frame of a planned recording, in file order.
struct PlannedFrame {
  bool video = true;
  bool key = false;
  uint32_t id = 0;          // sequence id (video frames count on from the first id; audio on its own)
  int64_t timeStamp = 0;    // microseconds
  int size = 0;             // payload bytes
  int index = 0;            // position in file order
};

// A recording laid out frame by frame, the same for both file types: groups of pictures of the given
// lengths (a key frame, then P frames), an audio frame after every video frame, and optional audio-only
// stretches before chosen groups. Payload bytes are a function of the frame alone, so a delivered
// frame can be checked byte for byte against the plan.
class RecordingPlan {
 public:
  struct Options {
    std::vector<int> gopLengths{40, 60, 300, 45, 80, 33};
    // Audio frames without video inserted before the group of that number (-1: none; the number of
    // groups: after the last).
    int audioStretchBeforeGop = 3;
    int audioStretchFrames = 200;
    uint32_t firstVideoId = 1000;
    int frameRate = 25;
    int64_t firstTimeStamp = 1000000000;
    int keyFrameBytes = 40000;
    int otherFrameBytes = 12000;
    int audioFrameBytes = 320;
  };

  explicit RecordingPlan(const Options& options);
  RecordingPlan() : RecordingPlan(Options()) {}

  const Options& options() const { return m_options; }
  const std::vector<PlannedFrame>& frames() const { return m_frames; }
  // Indices into frames() of the video frames and of the key frames, in file order.
  const std::vector<int>& videoFrames() const { return m_video; }
  const std::vector<int>& keyFrames() const { return m_keys; }
  const PlannedFrame& video(size_t n) const { return m_frames[static_cast<size_t>(m_video[n])]; }

  uint32_t firstVideoId() const { return video(0).id; }
  uint32_t lastVideoId() const { return video(m_video.size() - 1).id; }
  // File-order index of the video frame with this id; -1 when there is none.
  int indexOfVideoId(int64_t id) const;
  // The key frame at or before the video frame with this id.
  const PlannedFrame& keyFrameFor(int64_t id) const;

  // The payload bytes of a frame.
  static std::string payload(const PlannedFrame& frame);

 private:
  Options m_options;
  std::vector<PlannedFrame> m_frames;
  std::vector<int> m_video;
  std::vector<int> m_keys;
};

}  // namespace kxtest
