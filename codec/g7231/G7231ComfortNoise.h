#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"
#include "codec/g7231/G7231State.h"

// Comfort noise of the silence compression, decoder side: SID gain decoding (and re-quantising a
// level estimated from speech when the first SID frame was lost), gain smoothing, the random
// excitation and the LPC sets of silent frames.
class G7231ComfortNoise {
 public:
  // One silent frame: frameType 2 (SID, parameters in frame) or 0 (untransmitted). Writes the
  // excitation (240) and the four LPC sets (40); updates the decoder's LSP and excitation history.
  static void decodeFrame(G7231BasicOps& o, int frameType, G7231FrameParams& frame, int16_t* excitation,
                          int16_t* lpc, G7231DecoderCngState& cng, G7231DecoderState& decoder, int rate);
  // Pseudo-log quantiser of a comfort-noise energy (here: the estimate left by the last good
  // frame, given as energy and normalisation shift) to a 6-bit index.
  static int16_t quantizeGain(G7231BasicOps& o, int16_t energy, int16_t shift);
  // The gain (times 32) a 6-bit index stands for.
  static int16_t decodeGain(G7231BasicOps& o, int16_t index);
  // Random excitation of a silent frame at the target gain; shifts it into pastExcitation.
  static void randomExcitation(G7231BasicOps& o, int16_t gain, int16_t* pastExcitation, int16_t* excitation,
                               int16_t& seed, G7231FrameParams& frame, int rate);
};
