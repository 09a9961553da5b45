#pragma once
#include <vector>

#include "media/BitReader.h"
#include "media/NalReader.h"
#include "media/SeqParameterSet.h"

// Parsing of H.264 sequence parameter sets.
//
// Parses the SPS unit at unitBytes (pointing at the NAL header byte, unitLength bytes from there as
// the byte-stream reader gives it) into sps, which the caller has zeroed. The emulation-prevention
// bytes are taken out before the bits are read. A profile the reader does not know leaves everything
// but profile_idc as it was. sps->valid becomes 1 only when every element was read in full.
// Result: 0 in every case.
int parseSPS(int unitLength, const unsigned char* unitBytes, SeqParameterSet* sps);

// Finds the first SPS unit among the units of the Annex B data in front of its first slice (after an
// access-unit delimiter, for example) and parses it into sps. False when none is found.
bool findSPS(const unsigned char* data, int length, SeqParameterSet* sps);
// The same with a reader of the caller's, which then points at data.
bool findSPS(NalReader& reader, const unsigned char* data, int length, SeqParameterSet* sps);

// The payload bytes with every emulation-prevention byte (the 03 of 00 00 03) taken out.
std::vector<unsigned char> removeEmulationPrevention(const unsigned char* data, int length);

// One scaling list of 16 or 64 entries, stored in raster order; useDefault is set when the stream asks
// for the default list.
void parseScalingList(BitReader& reader, uint32_t* list, int size, uint32_t* useDefault);
void parseVuiParameters(BitReader& reader, SeqParameterSet* sps);
void parseHrdParameters(BitReader& reader, SeqParameterSet::HrdParameters* hrd);
