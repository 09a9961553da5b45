#include "media/FrameList.h"

#include "media/AVData.h"
#include "media/FrameKind.h"

namespace {

constexpr int kNotFound = -1;
constexpr int kNothingQualifies = -2;

int64_t sequenceIdOf(const AVData& frame) { return static_cast<int64_t>(frame.getSequenceId()); }

}  // namespace

FrameList::~FrameList() { clear(); }

void FrameList::append(AVData* frame) { m_frames.push_back(frame); }

void FrameList::clear() {
  for (AVData* frame : m_frames) delete frame;
  m_frames.clear();
}

bool FrameList::isVideo(const AVData& frame) { return frame.getESStreamType() == FrameKind::kVideoStream; }

bool FrameList::isVideoKeyFrame(const AVData& frame) {
  return isVideo(frame) && frame.getFrameType() == FrameKind::kKeyFrame;
}

int FrameList::deliver(int index, AVData*& out) {
  m_nSavedIndex = m_nCurrentIndex;
  m_nCurrentIndex = index;
  out = m_frames[static_cast<size_t>(index)];
  return 0;
}

bool FrameList::moveToBegin() {
  m_nCurrentIndex = -1;
  return true;
}

bool FrameList::moveToEnd() {
  m_nCurrentIndex = size();
  return true;
}

bool FrameList::restorePosition() {
  if (m_nCurrentIndex < 0) return false;
  // The saved index may come from a longer list that was cleared since; keep it within this one.
  int64_t index = m_nSavedIndex;
  if (index > size()) index = size();
  if (index < -1) index = -1;
  m_nCurrentIndex = static_cast<int>(index);
  return true;
}

int FrameList::nextFrame(AVData*& out) {
  if (m_nCurrentIndex >= size() - 1) return kNotFound;
  return deliver(m_nCurrentIndex + 1, out);
}

int FrameList::previousFrame(AVData*& out) {
  if (m_nCurrentIndex < 1) return kNotFound;
  return deliver(m_nCurrentIndex - 1, out);
}

int FrameList::nextVideoFrame(AVData*& out) {
  if (m_nCurrentIndex >= size() - 1) return kNotFound;
  m_nSavedIndex = m_nCurrentIndex;
  int index = m_nCurrentIndex + 1;
  while (index < size() && !isVideo(*at(index))) ++index;
  m_nCurrentIndex = index;
  if (index == size()) return kNotFound;
  out = at(index);
  return 0;
}

int FrameList::previousVideoFrame(AVData*& out) {
  if (m_nCurrentIndex < 0) return kNotFound;
  m_nSavedIndex = m_nCurrentIndex;
  int index = m_nCurrentIndex - 1;
  while (index >= 0 && !isVideo(*at(index))) --index;
  m_nCurrentIndex = index;
  if (index < 0) return kNotFound;
  out = at(index);
  return 0;
}

int FrameList::nextKeyFrame(AVData*& out) {
  if (m_nCurrentIndex >= size()) return kNotFound;
  m_nSavedIndex = m_nCurrentIndex;
  return moveToKeyFrameFrom(m_nCurrentIndex + 1, 1, out);
}

int FrameList::previousKeyFrame(AVData*& out, bool includeCurrent) {
  if (m_nCurrentIndex < 0) return kNotFound;
  m_nSavedIndex = m_nCurrentIndex;
  int start = includeCurrent ? m_nCurrentIndex : m_nCurrentIndex - 1;
  if (start > size() - 1) start = size() - 1;  // after the last frame there is no current frame
  return moveToKeyFrameFrom(start, -1, out);
}

int FrameList::moveToKeyFrameFrom(int start, int step, AVData*& out) {
  for (int index = start; index >= 0 && index < size(); index += step) {
    if (isVideoKeyFrame(*at(index))) {
      m_nCurrentIndex = index;
      out = at(index);
      return 0;
    }
  }
  m_nCurrentIndex = start;
  return kNotFound;
}

int FrameList::findKeyFrameById(int64_t id, AVData*& out, int direction) {
  return findById(id, out, direction, true);
}

int FrameList::findVideoFrameById(int64_t id, AVData*& out, int direction) {
  return findById(id, out, direction, false);
}

int FrameList::findById(int64_t id, AVData*& out, int direction, bool keyFramesOnly) {
  const int64_t first = getFirstVideoSequenceId();
  const int64_t last = getLastVideoSequenceId();
  if (first == -1 || last == -1) return kNotFound;
  if (first < last && (id < first || id > last)) return kNotFound;
  if (first > last && id > last && id < first) return kNotFound;

  // When the 32-bit ids wrapped inside the list, ids are compared by their distance from the first
  // video id, so that the ids after the wrap count as later than those before it.
  auto position = [first](int64_t value) {
    return value >= first ? value - first : value + (int64_t(1) << 32) - first;
  };
  const bool anyId = first == last;
  const int64_t wanted = position(id);
  auto qualifies = [keyFramesOnly](const AVData& frame) {
    return keyFramesOnly ? isVideoKeyFrame(frame) : isVideo(frame);
  };

  if (direction == 1) {
    for (int index = 0; index < size(); ++index) {
      const AVData& frame = *at(index);
      if (qualifies(frame) && (anyId || position(sequenceIdOf(frame)) >= wanted)) return deliver(index, out);
    }
  } else {
    for (int index = size() - 1; index >= 0; --index) {
      const AVData& frame = *at(index);
      if (qualifies(frame) && (anyId || position(sequenceIdOf(frame)) <= wanted)) return deliver(index, out);
    }
  }
  return kNothingQualifies;
}

int FrameList::findVideoFrameByTime(int64_t time, AVData*& out, int direction) {
  const int64_t first = getFirstVideoTimeStamp();
  const int64_t last = getLastVideoTimeStamp();
  if (first == -1 || last == -1 || time < first || time > last) return kNotFound;
  if (direction == 1) {
    for (int index = 0; index < size(); ++index) {
      const AVData& frame = *at(index);
      if (isVideo(frame) && frame.getTimeStamp() >= time) return deliver(index, out);
    }
  } else {
    for (int index = size() - 1; index >= 0; --index) {
      const AVData& frame = *at(index);
      if (isVideo(frame) && frame.getTimeStamp() <= time) return deliver(index, out);
    }
  }
  return kNothingQualifies;
}

int FrameList::firstVideoIndex() const {
  for (int index = 0; index < size(); ++index) {
    if (isVideo(*at(index))) return index;
  }
  return -1;
}

int FrameList::lastVideoIndex() const {
  for (int index = size() - 1; index >= 0; --index) {
    if (isVideo(*at(index))) return index;
  }
  return -1;
}

int64_t FrameList::getFirstSequenceId() const { return isEmpty() ? -1 : sequenceIdOf(*m_frames.front()); }

int64_t FrameList::getLastSequenceId() const { return isEmpty() ? -1 : sequenceIdOf(*m_frames.back()); }

int64_t FrameList::getFirstTimeStamp() const { return isEmpty() ? -1 : m_frames.front()->getTimeStamp(); }

int64_t FrameList::getLastTimeStamp() const { return isEmpty() ? -1 : m_frames.back()->getTimeStamp(); }

int64_t FrameList::getFirstVideoTimeStamp() const {
  int index = firstVideoIndex();
  return index < 0 ? -1 : at(index)->getTimeStamp();
}

int64_t FrameList::getLastVideoTimeStamp() const {
  int index = lastVideoIndex();
  return index < 0 ? -1 : at(index)->getTimeStamp();
}

int64_t FrameList::getFirstVideoSequenceId() const {
  int index = firstVideoIndex();
  return index < 0 ? -1 : sequenceIdOf(*at(index));
}

int64_t FrameList::getLastVideoSequenceId() const {
  int index = lastVideoIndex();
  return index < 0 ? -1 : sequenceIdOf(*at(index));
}

int64_t FrameList::getVideoFrameCount() const {
  if (isEmpty()) return -1;
  int64_t count = 0;
  for (const AVData* frame : m_frames) {
    if (isVideo(*frame)) ++count;
  }
  return count;
}
