#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"

// Decoder pitch post-filter: per subframe, the better of a backward and a forward lag around the
// decoded pitch, a gain bounded by the rate's constant and a scaling gain that keeps the energy.
class G7231PitchPostFilter {
 public:
  struct Params {
    int16_t lag;      // negative: backward, positive: forward, 0: no filtering
    int16_t gain;
    int16_t scale;
  };

  // Parameters of subframe sfc from the excitation buffer (145 past + 240 current samples).
  static Params compute(G7231BasicOps& o, const int16_t* excitation, int16_t openLoopLag, int sfc, int rate);
  // Filters subframe sfc of excitation into out (240 samples).
  static void apply(G7231BasicOps& o, int16_t* out, const int16_t* excitation, const Params& params, int sfc);

 private:
  // Lag within 3 of the open-loop lag with the largest positive correlation, looking back
  // (returned negative) or forward; 0 when none correlates positively.
  static int16_t bestLag(G7231BasicOps& o, const int16_t* excitation, int16_t openLoopLag, int sfc, bool forward);
  static Params gains(G7231BasicOps& o, int16_t lag, int16_t energy, int16_t cross, int16_t lagEnergy, int rate);
};
