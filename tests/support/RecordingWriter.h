#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/RecordingPlan.h"

namespace kxtest {

// Writes a planned recording as either file type, with the system's own frame head and transport-
// stream packager, and damages written files in the ways recordings get damaged.
class RecordingWriter {
 public:
  // File-type codes of the reader: 1 transport stream, 2 frame-head stream.
  static bool write(const RecordingPlan& plan, int fileType, const std::string& path,
                    std::vector<int64_t>* frameOffsets = nullptr);

  // A private frame stream: every frame behind its 40-byte head. frameOffsets (when given) receives
  // the file offset of every frame's head, in file order.
  static bool writeFrameHeadStream(const RecordingPlan& plan, const std::string& path,
                                   std::vector<int64_t>* frameOffsets = nullptr);
  // A transport stream as the system records it: every video key frame carries its FrameInfoRecord.
  // frameOffsets (when given) receives, for every frame, the file offset of the first packet written
  // for it (for a key frame the tables that precede it).
  static bool writeTransportStream(const RecordingPlan& plan, const std::string& path,
                                   std::vector<int64_t>* frameOffsets = nullptr);

  // Damage: bytes of a fixed pseudo-random pattern inserted at offset (0: before the start).
  static bool insertGarbage(const std::string& path, int64_t offset, int count);
  // Cuts the file to length bytes.
  static bool truncate(const std::string& path, int64_t length);
};

}  // namespace kxtest
