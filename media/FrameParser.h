#pragma once
#include <cstdint>
#include <vector>

class AVData;
class Buffer;

// Turns a byte buffer of a recording (transport stream or frame-head stream) into a list of frames
// and navigates it. The parser owns the frames it delivers (valid until the next clear, parse, scan or
// destruction) and borrows the input bytes while it may still read them.
//
// Navigation and search results: 0 with a frame delivered, or a negative code and no frame.
// Queries answer -1 when there is nothing to report. Sequence ids are widened to 64 bits unsigned.
class FrameParser {
 public:
  virtual ~FrameParser() {}

  // Parses buf into the frame list (whole: the old list is discarded and everything parsed at once).
  virtual int parse(const char* buf, int len, bool whole) = 0;
  virtual int parseBuffer(Buffer& b, bool whole) = 0;
  // Appends the sequence id and byte offset of every key frame in b; offsets run on across calls.
  virtual int scanKeyFrames(Buffer& b, std::vector<int64_t>& ids, std::vector<int64_t>& offsets) {
    (void)b;
    (void)ids;
    (void)offsets;
    return 0;
  }

  virtual bool moveToBegin() = 0;
  virtual bool moveToEnd() = 0;
  virtual bool restorePosition() = 0;
  virtual int nextFrame(AVData*& out) = 0;
  virtual int nextVideoFrame(AVData*& out) = 0;
  virtual int previousVideoFrame(AVData*& out) = 0;
  virtual int previousFrame(AVData*& out) = 0;
  virtual int nextKeyFrame(AVData*& out) = 0;
  virtual int previousKeyFrame(AVData*& out, bool includeCurrent) = 0;
  virtual int findKeyFrameById(int64_t id, AVData*& out, int direction) = 0;
  virtual int findVideoFrameById(int64_t id, AVData*& out, int direction) = 0;
  virtual int findVideoFrameByTime(int64_t time, AVData*& out, int direction) = 0;

  virtual int64_t getFirstSequenceId() = 0;
  virtual int64_t getLastSequenceId() = 0;
  virtual int64_t getFirstTimeStamp() = 0;
  virtual int64_t getLastTimeStamp() = 0;
  virtual int64_t getLastVideoTimeStamp() = 0;
  virtual int64_t getFirstVideoTimeStamp() = 0;
  virtual int64_t getLastVideoSequenceId() = 0;
  virtual int64_t getFirstVideoSequenceId() = 0;
  virtual int64_t getVideoFrameCount() = 0;

  virtual int getParsedLength() = 0;
  virtual int getTailLength() = 0;
  virtual int getLeftoverLength() = 0;
  virtual bool isEmpty() = 0;
  virtual int getImageHeight() = 0;
  virtual int getImageWidth() = 0;
  virtual int getImageFormatId() = 0;
  virtual void clear() = 0;
  virtual int64_t setStartTime(int64_t time) = 0;
  virtual int getLastParseLength() = 0;

  // Added after the operations above so that their order stays as embedding programs know it.
  // Tells the parser whether the buffer of the following parses and scans ends the stream (no more
  // input follows it), so that the last frame can be taken without waiting for a next one. Holds
  // until set again. Parsers that never wait for following bytes ignore it.
  virtual void setEndOfStream(bool atEnd) { (void)atEnd; }
};

// File-type codes of the recordings, as the file player's type check gives them.
enum FrameParserType { kTransportStreamParser = 1, kFrameHeadParser = 2 };

// Makes the parser for a file-type code (1 transport stream, 2 frame-head stream); null for any
// other code. The caller owns the result.
FrameParser* createFrameParser(int type);
