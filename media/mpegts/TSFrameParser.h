#pragma once
#include <cstdint>
#include <vector>

#include "media/FrameListParser.h"
#include "media/mpegts/FrameInfoRecord.h"
#include "media/mpegts/MPEG_TS_Unpackager.h"

class AVData;
class Buffer;

// The frame parser of transport-stream recordings. Frames come from its unpackager; their
// attributes come from the FrameInfoRecord that every video key frame carries, their times are
// turned from 90 kHz ticks into microseconds. The unpackager and the timing state live as long as the
// parser, so consecutive chunks of one recording continue one another; a new recording needs a new
// parser. Frames before the first key frame with a record are consumed and discarded.
class TSFrameParser : public FrameListParser {
 public:
  static constexpr int kUnpackagerBufferSize = 940000;
  // Whole-buffer parses and scans of at most this many bytes parse nothing.
  static constexpr int kMinimumInput = 375;

  TSFrameParser();
  ~TSFrameParser() override;
  TSFrameParser(const TSFrameParser&) = delete;
  TSFrameParser& operator=(const TSFrameParser&) = delete;

  // whole: clear and parse every whole packet of buf (-1 when no frame results). Otherwise lazily:
  // frames up to the first video frame, later forward steps parse on.
  int parse(const char* buf, int len, bool whole) override;
  int parseBuffer(Buffer& b, bool whole) override;
  // Appends the sequence id of every video key frame with a record and the stream offset (counted
  // since construction) of the packet after the frame before it, which for a recording of this
  // system is the PAT before the key frame, also when the frame runs on into the next chunk.
  int scanKeyFrames(Buffer& b, std::vector<int64_t>& ids, std::vector<int64_t>& offsets) override;

  // At the end of the stream the frame still in assembly is delivered too.
  void setEndOfStream(bool atEnd) override { m_endOfStream = atEnd; }

  int nextFrame(AVData*& out) override;
  int nextVideoFrame(AVData*& out) override;
  int previousFrame(AVData*& out) override;
  int nextKeyFrame(AVData*& out) override;

  int getParsedLength() override { return m_parsedLength; }
  int getTailLength() override { return m_tailLength; }
  int getLeftoverLength() override { return m_leftoverLength; }
  int getImageHeight() override { return m_imageHeight; }
  int getImageWidth() override { return m_imageWidth; }
  int getImageFormatId() override { return m_imageFormatId; }
  // Deletes the frames and resets the input and its byte counts and the picture size and format;
  // the unpackager, the timing state, the start time and the read position stay.
  void clear() override;
  int64_t setStartTime(int64_t time) override;
  int getLastParseLength() override { return m_lastParseLength; }

  // Delivers the next frame of pushed stream bytes: 0 with a frame (consumed = bytes used), -1 when
  // no further frame completes (consumed = bytes used; fewer than 188 bytes are left, their count
  // becomes the leftover length). The frame borrows its bytes until the next call.
  int parsePackets(const char* buf, int len, int& consumed, AVData& frame);
  // parsePackets from position, which moves on by the bytes consumed; a new deep copy of the frame.
  int parseFrame(const char* buf, int len, int& position, AVData*& out);

 private:
  // Converts the time, applies the start time, takes the attributes from the frame information and
  // orders the timestamp. True when the frame is to be delivered. bounded: a non-key video frame
  // advances by at most 3 s, or by one frame period when its time jumps.
  bool applyFrameInformation(AVData& frame, bool bounded);
  // A video key frame whose private data holds the frame-information record.
  static bool carriesRecord(const AVData& frame);
  void takeRecord(const AVData& frame);
  AVData* deepCopy(const AVData& frame) const;
  // The unpackager's next frame from the whole packets of bytes, or at the end of the stream the
  // frame still in assembly; its PID or 0.
  int unpackNext(const uint8_t* bytes, int len, int& used, AVData& frame);
  // Parses every whole packet of the input; keep false only scans for key frames.
  void parseWhole(const char* buf, int len, bool keep, std::vector<int64_t>* ids, std::vector<int64_t>* offsets);
  bool hasVideoFrameAfterCurrent(bool keyOnly) const;
  // Appends frames parsed at the read position until one matches (video, or video key frame); the
  // error of the failed step otherwise.
  int extendUntil(bool videoOnly, bool keyOnly);

  const char* m_input = nullptr;
  int m_inputLength = 0;
  int m_readPosition = 0;
  int m_parsedLength = 0;
  int m_leftoverLength = 0;
  int m_tailLength = 0;
  int m_imageHeight = 0;
  int m_imageWidth = 0;
  int m_imageFormatId = 0;
  MPEG_TS::MPEG_TS_Unpackager m_unpackager;
  bool m_startTimeSet = false;
  int64_t m_startTime = 0;
  MPEG_TS::FrameInfoRecord m_info;
  bool m_infoSeen = false;
  int64_t m_runningTimestamp = 0;
  int64_t m_previousVideoTime = 0;
  int m_lastParseLength = 0;
  bool m_whole = true;
  int64_t m_runningOffset = 0;
  bool m_endOfStream = false;
  // Scan offset of the call that consumed the first packets of a frame not yet complete; -1 none.
  int64_t m_pendingUnitOffset = -1;
};
