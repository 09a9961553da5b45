#pragma once
#include <cstdint>

#include "codec/g7231/G7231State.h"

// Packing and unpacking of the four frame types. Bits are stored least significant first: stream
// bit i is bit (i mod 8) of byte i / 8, and every field is written with its lowest bit first.
class G7231BitStream {
 public:
  // Frame types on the wire (low two bits of the first byte).
  enum WireType { kActive63 = 0, kActive53 = 1, kSid = 2, kUntransmitted = 3 };
  // Frame types inside the coder.
  enum FrameType { kSilent = 0, kActive = 1, kSidFrame = 2 };

  // Size in bytes of a frame whose first byte is firstByte: 24, 20, 4 or 1.
  static int frameSize(int firstByte);
  // Writes an active 6.3 (rate 0) or 5.3 (rate 1) kbit/s frame; returns its size in bytes. out must
  // hold 24 bytes.
  static int packActive(const G7231FrameParams& frame, int rate, uint8_t* out);
  // Reads one frame (only its own bytes). Returns the frame type; for active frames rate is set
  // from the type bits. A forbidden lag or gain code sets frame.badFrame and stops the reading.
  static int unpack(const uint8_t* in, G7231FrameParams& frame, int& rate);
};
