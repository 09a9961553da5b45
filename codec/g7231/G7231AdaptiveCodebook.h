#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"
#include "codec/g7231/G7231State.h"

// The pitch (adaptive-codebook) contribution: the delayed excitation around a lag, its five-tap
// filtering with a gain vector from the 85- or 170-entry codebook, and the encoder's closed-loop
// search of lag offset and gain vector, bounded by the taming test.
class G7231AdaptiveCodebook {
 public:
  // 64 samples of the past excitation (145) around lag: two before, sixty at the lag (repeated
  // when the lag is shorter than the subframe), two after.
  static void delayedExcitation(int16_t* out, const int16_t* pastExcitation, int lag);
  // Which gain codebook applies: 1 for the 170-entry one, 0 for the 85-entry one.
  static int gainCodebook(int rate, int lag);
  static const int16_t* gainTable(int codebook);
  // Contribution of one subframe (60 samples) for the open-loop lag, offset and gain index.
  static void contribution(G7231BasicOps& o, int16_t* out, const int16_t* pastExcitation, int16_t openLoopLag,
                           int16_t lagOffset, int16_t gainIndex, int rate);
  // Encoder: chooses the lag offset and gain vector of subframe sfc, stores them (and, for even
  // subframes, the refined open-loop lag) in frame, and subtracts the filtered contribution from
  // target.
  static void search(G7231BasicOps& o, int16_t* target, const int16_t* impulse, const int16_t* pastExcitation,
                     G7231FrameParams& frame, int sfc, const G7231CoderState& coder, int rate);
};
