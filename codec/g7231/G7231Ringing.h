#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"
#include "codec/g7231/G7231PitchAnalysis.h"
#include "codec/g7231/G7231State.h"

// The encoder's combined filter per subframe: synthesis, formant weighting and harmonic noise
// weighting. It gives the impulse response the codebook searches use, the zero-input response
// (ringing) removed from the target, and the memories carried to the next subframe.
class G7231Ringing {
 public:
  static void impulseResponse(G7231BasicOps& o, int16_t* impulse, const int16_t* lpc, const int16_t* weighting,
                              const G7231PitchAnalysis::HarmonicFilter& harmonic);
  static void subtractRinging(G7231BasicOps& o, int16_t* target, const int16_t* lpc, const int16_t* weighting,
                              const G7231CoderState& coder, const G7231PitchAnalysis::HarmonicFilter& harmonic);
  // Passes the subframe's final excitation through the filters, updating their memories; the
  // excitation is replaced by the synthesised signal.
  static void update(G7231BasicOps& o, int16_t* excitation, const int16_t* lpc, const int16_t* weighting,
                     G7231CoderState& coder);
};
