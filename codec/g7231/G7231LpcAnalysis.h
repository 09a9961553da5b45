#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"

// Encoder LPC analysis: four LPC sets per frame from Hamming-windowed 180-sample segments
// (Levinson-Durbin over lag-windowed autocorrelations), the sine detector, and the formant
// perceptual weighting filters built from those sets.
class G7231LpcAnalysis {
 public:
  // lpc receives 4 x 10 coefficients; history is the previous 120 input samples, block the
  // current 240. sineDetector collects one bit per subframe (second reflection coefficient
  // above 0x799A) and gets its sign bit when 14 of the last 15 bits are set.
  static void analyze(G7231BasicOps& o, int16_t* lpc, const int16_t* history, const int16_t* block,
                      int16_t& sineDetector);
  // Levinson-Durbin recursion: 10 coefficients from the autocorrelations (1..10) and the energy;
  // returns the prediction error, secondReflection the second reflection coefficient.
  static int16_t durbin(G7231BasicOps& o, int16_t* lpc, const int16_t* correlation, int16_t energy,
                        int16_t& secondReflection);
  // 4 x (10 zero + 10 pole) coefficients of the weighting filters.
  static void weightingFilters(G7231BasicOps& o, int16_t* weighting, const int16_t* lpc);
  // Runs the weighting filters over the 240-sample block in place.
  static void weight(G7231BasicOps& o, int16_t* block, const int16_t* weighting, int16_t* firMemory,
                     int16_t* iirMemory);
};
