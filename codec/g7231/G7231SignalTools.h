#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"

// Small signal helpers shared by the encoder and the decoder: block normalisation, energy,
// square root, the pseudo-random generator, the high-pass input filter and the post-filter gain
// scaling.
class G7231SignalTools {
 public:
  // Scales a vector in place so that its largest magnitude uses the 16-bit range; returns the
  // applied power of two, minus 3.
  static int16_t normalize(G7231BasicOps& o, int16_t* vector, int length);
  // Energy of a 60-sample subframe, each sample first divided by 4.
  static int32_t subframeEnergy(G7231BasicOps& o, const int16_t* subframe);
  // Integer square root by successive approximation (14 bits).
  static int16_t squareRoot(G7231BasicOps& o, int32_t value);
  // Linear congruential generator over a 16-bit seed.
  static int16_t random(int16_t& seed);
  // DC-removing high-pass filter over a 240-sample block, in place.
  static void removeDc(G7231BasicOps& o, int16_t* block, int16_t& firMemory, int32_t& iirMemory);
  // Gain-scaling unit of the post-filter: matches the subframe's energy to energyBefore, with the
  // gain smoothed sample by sample in gainMemory.
  static void scaleGain(G7231BasicOps& o, int16_t* subframe, int32_t energyBefore, int16_t& gainMemory);
};
