#pragma once
#include <cstdint>
#include <vector>

#include "media/FrameListParser.h"

class KXAVFrameHead;

// Frame parser for private frame streams: 40-byte frame heads, each followed by its payload.
// A head is taken as a frame only when the start code of the next head follows its payload exactly
// (or, at the end of the stream, when its payload reaches the end); every other byte is stepped over.
class HeadFrameParser : public FrameListParser {
 public:
  // getParsedLength reports this minus the bytes skipped before the first frame.
  static constexpr int kParsedLengthBase = 940000;

  HeadFrameParser();
  HeadFrameParser(const HeadFrameParser&) = delete;
  HeadFrameParser& operator=(const HeadFrameParser&) = delete;
  ~HeadFrameParser() override;

  // Always parses the whole buffer: 0 when at least one frame was taken (index before the first
  // frame), -2 when none was.
  int parse(const char* buf, int len, bool whole) override;
  int parseBuffer(Buffer& b, bool whole) override;
  // Appends id and file offset of every video key frame. Offsets are counted from the start of the
  // first buffer scanned and run on across scans, each buffer starting where the caller resumes
  // after the previous one's leftover bytes. Always 0.
  int scanKeyFrames(Buffer& b, std::vector<int64_t>& ids, std::vector<int64_t>& offsets) override;
  void setEndOfStream(bool atEnd) override { m_bEndOfStream = atEnd; }

  int getParsedLength() override { return kParsedLengthBase - m_nSkippedBytes; }
  int getTailLength() override { return 0; }
  int getLeftoverLength() override { return m_nLeftoverLength; }
  int getImageHeight() override { return 0; }
  int getImageWidth() override { return 0; }
  int getImageFormatId() override { return m_nImageFormatId; }
  void clear() override;
  int64_t setStartTime(int64_t time) override;
  int getLastParseLength() override { return 0; }

 private:
  // Walks buf frame by frame and calls onFrame(head, payload, offset in buf) for every frame taken;
  // sets the skipped and leftover lengths. Returns the number of frames taken.
  template <typename OnFrame>
  int searchFrames(const char* buf, int len, OnFrame onFrame);

  const char* m_pInput = nullptr;
  int m_nInputLength = 0;
  int m_nSkippedBytes = 0;
  int m_nLeftoverLength = 0;
  int m_nImageFormatId = 0;
  bool m_bStartTimeSet = false;
  int64_t m_nStartTime = 0;
  bool m_bEndOfStream = false;
  // File offset of the first byte of the next buffer that scanKeyFrames is given.
  int64_t m_nScanOffset = 0;
};
