#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"

// Decoder output stage per subframe: the LPC synthesis filter and the formant post-filter with
// its tilt compensation.
class G7231Synthesis {
 public:
  // Synthesis filter over 60 samples in place; memory holds the last ten outputs. With the
  // post-filter off the output is doubled (the gain-scaling unit would otherwise do it).
  static void synthesize(G7231BasicOps& o, int16_t* subframe, const int16_t* lpc, int16_t* memory,
                         bool postFilterOn);
  // Formant post-filter over 60 samples in place; returns the energy of its input for the
  // gain-scaling unit.
  static int32_t postFilter(G7231BasicOps& o, int16_t* subframe, const int16_t* lpc, int16_t* firMemory,
                            int16_t* iirMemory, int16_t& tilt);
};
