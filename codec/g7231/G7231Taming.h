#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"
#include "codec/g7231/G7231State.h"

// Encoder taming: tracks an estimate of how much an excitation error would grow through the
// pitch predictors (one value per half subframe of lag), and narrows the pitch-gain search when
// that estimate is high or the sine detector has fired, so that a decoder out of step with the
// encoder cannot diverge.
class G7231Taming {
 public:
  // 0 (tightest search) when the largest stored error over the lag range exceeds the threshold or
  // a steady tone is present; otherwise the margin below the threshold, scaled down.
  static int16_t searchMargin(G7231BasicOps& o, const G7231CoderState& coder, int firstLag, int lastLag);
  // Updates the error estimates after a subframe coded with this lag and gain.
  static void update(G7231BasicOps& o, G7231CoderState& coder, int16_t openLoopLag, int16_t lagOffset,
                     int16_t gainIndex, int rate);
};
