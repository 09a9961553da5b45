#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class AVData;

// The owned, ordered frame list of a frame parser with its current and saved index, and the
// navigation, search and query rules that every frame parser shares. A parser that can extend its
// list on navigation (the transport-stream parser) extends it first and then asks the list.
//
// Current index: -1 before the first frame, size() after the last, otherwise the frame last delivered.
// Every successful step stores the index it started from as the saved index.
class FrameList {
 public:
  FrameList() = default;
  FrameList(const FrameList&) = delete;
  FrameList& operator=(const FrameList&) = delete;
  ~FrameList();

  // Takes ownership of frame and appends it.
  void append(AVData* frame);
  // Deletes every frame; the indexes are left to the caller.
  void clear();
  int size() const { return static_cast<int>(m_frames.size()); }
  bool isEmpty() const { return m_frames.empty(); }
  AVData* at(int index) const { return m_frames[static_cast<size_t>(index)]; }

  int currentIndex() const { return m_nCurrentIndex; }
  void setCurrentIndex(int index) { m_nCurrentIndex = index; }
  int64_t savedIndex() const { return m_nSavedIndex; }

  bool moveToBegin();
  bool moveToEnd();
  bool restorePosition();
  int nextFrame(AVData*& out);
  int previousFrame(AVData*& out);
  int nextVideoFrame(AVData*& out);
  int previousVideoFrame(AVData*& out);
  int nextKeyFrame(AVData*& out);
  int previousKeyFrame(AVData*& out, bool includeCurrent);
  int findKeyFrameById(int64_t id, AVData*& out, int direction);
  int findVideoFrameById(int64_t id, AVData*& out, int direction);
  int findVideoFrameByTime(int64_t time, AVData*& out, int direction);

  int64_t getFirstSequenceId() const;
  int64_t getLastSequenceId() const;
  int64_t getFirstTimeStamp() const;
  int64_t getLastTimeStamp() const;
  int64_t getFirstVideoTimeStamp() const;
  int64_t getLastVideoTimeStamp() const;
  int64_t getFirstVideoSequenceId() const;
  int64_t getLastVideoSequenceId() const;
  int64_t getVideoFrameCount() const;

  static bool isVideo(const AVData& frame);
  static bool isVideoKeyFrame(const AVData& frame);

 private:
  int firstVideoIndex() const;
  int lastVideoIndex() const;
  int deliver(int index, AVData*& out);
  int findById(int64_t id, AVData*& out, int direction, bool keyFramesOnly);
  // Moves to the first video key frame from start on, going by step (+1 or -1); without one the
  // current index becomes start.
  int moveToKeyFrameFrom(int start, int step, AVData*& out);

  std::vector<AVData*> m_frames;
  int m_nCurrentIndex = -1;
  int64_t m_nSavedIndex = 0;
};
