#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"

// Encoder pitch analysis on the weighted speech: the open-loop lag of each half frame and the
// harmonic noise weighting filter of each subframe.
class G7231PitchAnalysis {
 public:
  struct HarmonicFilter {
    int16_t lag;
    int16_t gain;
  };

  // Open-loop lag (18..142) for the 120 samples from start of buffer (145 past + 240 current),
  // preferring shorter lags unless a longer one is clearly better.
  static int16_t openLoopLag(G7231BasicOps& o, const int16_t* buffer, int start);
  // Lag within 3 of the open-loop lag with the best positive correlation, and its gain.
  static HarmonicFilter harmonicFilter(G7231BasicOps& o, const int16_t* buffer, int start, int16_t openLoopLag);
  // out[start..start+59] = buffer[145 + start + i] - gain x buffer[145 + start - lag + i].
  static void applyHarmonicFilter(G7231BasicOps& o, int16_t* out, const int16_t* buffer, int start,
                                  const HarmonicFilter& filter);
};
