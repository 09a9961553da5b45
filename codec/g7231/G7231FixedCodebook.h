#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"
#include "codec/g7231/G7231State.h"

// The fixed-codebook (innovation) excitation: multipulse at 6.3 kbit/s (six or five pulses on an
// odd or even grid, optionally repeated at the pitch lag), four algebraic pulses at 5.3 kbit/s
// (sharpened by the pitch predictor), and the encoder's multipulse search.
class G7231FixedCodebook {
 public:
  // Adds to dst, from the lag on, the same vector delayed by every multiple of the lag.
  static void repeatAtLag(G7231BasicOps& o, int16_t* dst, const int16_t* src, int16_t lag);
  // Decodes the innovation of subframe sfc (60 samples).
  static void decode(G7231BasicOps& o, int16_t* out, const G7231SubframeParams& params, int16_t openLoopLag,
                     int sfc, int rate);
  // Encoder, 6.3 kbit/s: the best multipulse vector for target, written over target (train
  // included), with its code stored in params.
  static void search(G7231BasicOps& o, int16_t* target, const int16_t* impulse, G7231SubframeParams& params,
                     int16_t openLoopLag, int sfc);
  // Lag and gain of the pitch sharpening that 5.3 kbit/s applies to its pulses.
  static int16_t sharpeningLag(int16_t lag, int16_t gainIndex, int16_t& gain);
};
