#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"

// Frame-erasure concealment: after each good frame a voicing estimate (a lag, or 0 for
// unvoiced) is taken from the excitation; a lost frame repeats the excitation at that lag with a
// falling gain, or plays scaled noise, and from the third lost frame in a row plays silence.
class G7231Concealment {
 public:
  // Normalises excitation (145 + 240) in place and returns the voicing lag (0 when unvoiced).
  // energy receives the rounded energy of the last 120 samples and shift the normalisation, for
  // the comfort-noise level estimate.
  static int16_t voicingLag(G7231BasicOps& o, int16_t* excitation, int16_t openLoopLag, int16_t& energy,
                            int16_t& shift);
  // Replaces a lost frame: out (240) and the excitation buffer (145 + 240).
  static void regenerate(G7231BasicOps& o, int16_t* out, int16_t* excitation, int16_t lag, int16_t gain,
                         int16_t lostCount, int16_t& seed);
};
