#pragma once
#include <cstdint>
#include <memory>

#include "media/AVData.h"
#include "media/mpegts/MPEG_TS_Packager.h"

// Packages single elementary frames as transport stream for the record file: one program, the
// frame's stream added by its encoder type, video key frames preceded by the PAT and the PMT and
// carrying their FrameInfoRecord. Works on its own copy of the frame's attributes, so the caller's
// frame (and its microsecond timestamp) is never changed. The buffers are made once and reused.
class RecordRepackager {
 public:
  static constexpr uint16_t kTransportStreamId = 256;
  static constexpr uint16_t kProgramNumber = 4096;
  static constexpr int kOutBufferSize = 2073600;
  // The largest frame whose recording reads back whole: the reader assembles one PES unit (header
  // and data) of at most its unpackager buffer.
  static int maxFrameLength();

  RecordRepackager();
  ~RecordRepackager();
  RecordRepackager(const RecordRepackager&) = delete;
  RecordRepackager& operator=(const RecordRepackager&) = delete;

  // The transport-stream form of the frame (whole packets, 90 kHz timestamps), valid until the next
  // call; null when no stream exists for its encoder type or when it cannot be recorded whole (too
  // large; a log line says so).
  const AVData* repackage(const AVData& frame);

 private:
  std::unique_ptr<MPEG_TS::MPEG_TS_Packager> m_packager;
  std::unique_ptr<uint8_t[]> m_tsOutBuffer;
  uint8_t m_frameInfoBuffer[32] = {};
  AVData m_recordFrame;
};
