// Fuzzes the Annex B splitting and the SPS parse: every unit the reader finds is parsed as an SPS,
// the whole input is parsed as one SPS unit, and the access-unit search runs over it.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "media/NalReader.h"
#include "media/SpsParser.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader reports malformed streams on standard output; that would drown the fuzzer's own.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(NalReader::kUnitBufferSize) * 2) return 0;
  const int length = static_cast<int>(size);

  // One reader for every input, as a decoder keeps one: its unit buffer is large.
  static NalReader reader;
  reader.setInput(data, length);
  NalUnit unit;
  long long taken = 0;
  int took = 0;
  while ((took = reader.GetAnnexbNALU(unit)) > 0) {
    taken += took;
    if (taken > length || unit.length < 0 || unit.length > NalReader::kUnitBufferSize) __builtin_trap();
    SeqParameterSet sps;
    parseSPS(unit.length, unit.payload, &sps);
  }

  SeqParameterSet whole;
  parseSPS(length, data, &whole);
  SeqParameterSet found;
  findSPS(reader, data, length, &found);
  return 0;
}
