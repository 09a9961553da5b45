#pragma once
#include <cstdint>

#include "media/FrameList.h"
#include "media/FrameParser.h"

// The part of a frame parser that both recording types share: the parsed frames live in a FrameList,
// and navigation, search and the list queries are the list's own. A parser that must parse on while
// it navigates (a lazy parse) overrides the forward steps.
class FrameListParser : public FrameParser {
 public:
  bool moveToBegin() override { return m_frames.moveToBegin(); }
  bool moveToEnd() override { return m_frames.moveToEnd(); }
  bool restorePosition() override { return m_frames.restorePosition(); }
  int nextFrame(AVData*& out) override { return m_frames.nextFrame(out); }
  int nextVideoFrame(AVData*& out) override { return m_frames.nextVideoFrame(out); }
  int previousVideoFrame(AVData*& out) override { return m_frames.previousVideoFrame(out); }
  int previousFrame(AVData*& out) override { return m_frames.previousFrame(out); }
  int nextKeyFrame(AVData*& out) override { return m_frames.nextKeyFrame(out); }
  int previousKeyFrame(AVData*& out, bool includeCurrent) override {
    return m_frames.previousKeyFrame(out, includeCurrent);
  }
  int findKeyFrameById(int64_t id, AVData*& out, int direction) override {
    return m_frames.findKeyFrameById(id, out, direction);
  }
  int findVideoFrameById(int64_t id, AVData*& out, int direction) override {
    return m_frames.findVideoFrameById(id, out, direction);
  }
  int findVideoFrameByTime(int64_t time, AVData*& out, int direction) override {
    return m_frames.findVideoFrameByTime(time, out, direction);
  }

  int64_t getFirstSequenceId() override { return m_frames.getFirstSequenceId(); }
  int64_t getLastSequenceId() override { return m_frames.getLastSequenceId(); }
  int64_t getFirstTimeStamp() override { return m_frames.getFirstTimeStamp(); }
  int64_t getLastTimeStamp() override { return m_frames.getLastTimeStamp(); }
  int64_t getLastVideoTimeStamp() override { return m_frames.getLastVideoTimeStamp(); }
  int64_t getFirstVideoTimeStamp() override { return m_frames.getFirstVideoTimeStamp(); }
  int64_t getLastVideoSequenceId() override { return m_frames.getLastVideoSequenceId(); }
  int64_t getFirstVideoSequenceId() override { return m_frames.getFirstVideoSequenceId(); }
  int64_t getVideoFrameCount() override { return m_frames.getVideoFrameCount(); }
  bool isEmpty() override { return m_frames.isEmpty(); }

 protected:
  FrameList m_frames;
};
