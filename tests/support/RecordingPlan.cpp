#include "support/RecordingPlan.h"

namespace kxtest {

RecordingPlan::RecordingPlan(const Options& options) : m_options(options) {
  uint32_t videoId = options.firstVideoId;
  uint32_t audioId = 1;
  int64_t videoTime = options.firstTimeStamp;
  int64_t interval = 1000000 / (options.frameRate > 0 ? options.frameRate : 25);
  auto addAudio = [&](int64_t time) {
    PlannedFrame audio;
    audio.video = false;
    audio.id = audioId++;
    audio.timeStamp = time;
    audio.size = options.audioFrameBytes;
    audio.index = static_cast<int>(m_frames.size());
    m_frames.push_back(audio);
  };
  for (size_t gop = 0; gop < options.gopLengths.size(); ++gop) {
    if (static_cast<int>(gop) == options.audioStretchBeforeGop) {
      for (int i = 0; i < options.audioStretchFrames; ++i) addAudio(videoTime - interval);
    }
    for (int i = 0; i < options.gopLengths[gop]; ++i) {
      PlannedFrame video;
      video.video = true;
      video.key = i == 0;
      video.id = videoId++;
      video.timeStamp = videoTime;
      // Sizes vary so that frames fall across chunk boundaries at every phase.
      video.size = video.key ? options.keyFrameBytes + static_cast<int>(video.id * 7919u % 20000u)
                             : options.otherFrameBytes + static_cast<int>(video.id * 104729u % 8000u);
      video.index = static_cast<int>(m_frames.size());
      m_video.push_back(video.index);
      if (video.key) m_keys.push_back(video.index);
      m_frames.push_back(video);
      addAudio(videoTime);
      videoTime += interval;
    }
  }
  // A stretch numbered after the last group ends the recording (with no group: audio only).
  if (options.audioStretchBeforeGop == static_cast<int>(options.gopLengths.size())) {
    for (int i = 0; i < options.audioStretchFrames; ++i) addAudio(videoTime);
  }
}

RecordingPlan::RecordingPlan(const Options& options, const Content& content) : m_options(options) {
  const int64_t interval = 1000000 / (options.frameRate > 0 ? options.frameRate : 25);
  size_t audio = 0;
  for (size_t n = 0; n < content.videoUnits.size(); ++n) {
    PlannedFrame video;
    video.video = true;
    video.key = content.videoKeys[n];
    video.id = options.firstVideoId + static_cast<uint32_t>(n);
    video.timeStamp = options.firstTimeStamp + static_cast<int64_t>(n) * interval;
    video.content = std::make_shared<const std::string>(content.videoUnits[n]);
    video.size = static_cast<int>(video.content->size());
    video.index = static_cast<int>(m_frames.size());
    m_video.push_back(video.index);
    if (video.key) m_keys.push_back(video.index);
    m_frames.push_back(video);
    // The audio frames that start before the next video frame.
    const int64_t nextVideo = video.timeStamp + interval;
    while (audio < content.audioFrames.size()) {
      const int64_t start = options.firstTimeStamp + static_cast<int64_t>(audio) * content.audioFrameMicroseconds;
      if (start >= nextVideo && n + 1 < content.videoUnits.size()) break;
      PlannedFrame frame;
      frame.video = false;
      frame.id = static_cast<uint32_t>(audio + 1);
      frame.timeStamp = start;
      frame.content = std::make_shared<const std::string>(content.audioFrames[audio]);
      frame.size = static_cast<int>(frame.content->size());
      frame.index = static_cast<int>(m_frames.size());
      m_frames.push_back(frame);
      ++audio;
    }
  }
}

int RecordingPlan::indexOfVideoId(int64_t id) const {
  if (m_video.empty() || id < firstVideoId() || id > lastVideoId()) return -1;
  return m_video[static_cast<size_t>(id - firstVideoId())];
}

const PlannedFrame& RecordingPlan::keyFrameFor(int64_t id) const {
  const PlannedFrame* key = &m_frames[static_cast<size_t>(m_keys.front())];
  for (int k : m_keys) {
    if (m_frames[static_cast<size_t>(k)].id > id) break;
    key = &m_frames[static_cast<size_t>(k)];
  }
  return *key;
}

std::string RecordingPlan::payload(const PlannedFrame& frame) {
  if (frame.content) return *frame.content;
  std::string bytes(static_cast<size_t>(frame.size), '\0');
  // A tag that names the frame, then bytes of a generator seeded by it.
  uint32_t tag = (frame.video ? 0x56000000u : 0x41000000u) | (frame.id & 0xFFFFFFu);
  uint32_t state = tag * 2654435761u + 12345u;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i < 4) {
      bytes[i] = static_cast<char>(tag >> (24 - 8 * i));
      continue;
    }
    state = state * 1664525u + 1013904223u;
    bytes[i] = static_cast<char>(state >> 24);
  }
  return bytes;
}

}  // namespace kxtest
