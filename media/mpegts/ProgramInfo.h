#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace MPEG_TS {

// One elementary stream of the program, as the unpackager read it from the PMT.
struct StreamInfo {
  uint16_t pid = 0;
  int encoderType = 255;  // EncoderType::ES_STREAM_TYPE of the PMT stream type, 255 when unknown
  std::string name;
};

// The program of a transport stream, as the unpackager read it from the PMT.
struct ProgramInfo {
  uint16_t programNumber = 0;
  uint16_t pcrPid = 0;
  std::string programName;
  std::vector<StreamInfo> streams;
};

}  // namespace MPEG_TS
