#pragma once
#include <string>

// One NAL unit as the byte-stream reader found it. The payload points into the reader's unit
// buffer at the NAL header byte and stays valid until that reader's next read or its destruction.
struct NalUnit {
  std::string typeName;             // "NALU_TYPE_SPS", ... or "other"
  int startCodePrefixLength = 0;    // 3 or 4
  int nal_unit_type = 0;            // header bits 4..0
  int nal_ref_idc = 0;              // header bits 6..5
  int forbidden_zero_bit = 0;       // header bit 7
  const unsigned char* payload = nullptr;
  int length = 0;                   // header byte to the end of the unit, trailing zeros excluded

  // Name of a nal_unit_type value: 1..12 have names of their own, every other value is "other".
  static const char* typeNameOf(int nalUnitType);
};
