#pragma once

class AVData;
class VideoInfo;

// Writes a live stream to a record file: an optional head block, then every chunk handed in while
// recording, in order, with nothing between them. The recorder never looks inside the bytes.
class Recorder {
 public:
  virtual ~Recorder() = default;
  // The UTF-8 path of the next recording. False (and no path kept, so that the next start fails
  // rather than writing to an older file) for null or a path longer than the recorder can hold.
  virtual bool setRecordFile(const char* path) = 0;
  // The block written once at the start of every later recording; length 0 removes it. False (the
  // old block kept) for a null pointer or a negative length.
  virtual bool setRecordFileHead(const char* data, int length) = 0;
  // Truncates or creates the file, writes the head block and starts accepting chunks. False while
  // recording, when the file cannot be opened or the head block cannot be written, or when the
  // writer cannot start.
  virtual bool startRecord() = 0;
  // Stops accepting chunks and returns once every accepted chunk is in the file and it is closed.
  virtual bool stopRecord() = 0;
  virtual void setVideoInfo(const VideoInfo& info) = 0;
  // Queues a copy of the frame's bytes: 0 when accepted, -1 when not recording (or out of memory).
  virtual int inputData(const AVData& frame) = 0;
};
