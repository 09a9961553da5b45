#include "media/NalUnit.h"

const char* NalUnit::typeNameOf(int nalUnitType) {
  static const char* const kNames[] = {
      "NALU_TYPE_SLICE", "NALU_TYPE_DPA",   "NALU_TYPE_DPB",   "NALU_TYPE_DPC",
      "NALU_TYPE_IDR",   "NALU_TYPE_SEI",   "NALU_TYPE_SPS",   "NALU_TYPE_PPS",
      "NALU_TYPE_AUD",   "NALU_TYPE_EOSEQ", "NALU_TYPE_EOSTREAM", "NALU_TYPE_FILL"};
  if (nalUnitType < 1 || nalUnitType > 12) return "other";
  return kNames[nalUnitType - 1];
}
