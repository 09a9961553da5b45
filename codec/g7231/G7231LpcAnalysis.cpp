#include "codec/g7231/G7231LpcAnalysis.h"

#include <cstring>

#include "codec/g7231/G7231SignalTools.h"
#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

namespace {

void pushDelay(int16_t* line, int16_t value) {
  for (int j = T::LpcOrder - 1; j > 0; --j) line[j] = line[j - 1];
  line[0] = value;
}

}  // namespace

void G7231LpcAnalysis::analyze(G7231BasicOps& o, int16_t* lpc, const int16_t* history, const int16_t* block,
                               int16_t& sineDetector) {
  int16_t signal[T::Frame + T::LpcFrame - T::SubFrLen];
  std::memcpy(signal, history, (T::LpcFrame - T::SubFrLen) * sizeof(int16_t));
  std::memcpy(signal + (T::LpcFrame - T::SubFrLen), block, T::Frame * sizeof(int16_t));

  for (int k = 0; k < T::SubFrames; ++k) {
    int16_t segment[T::LpcFrame];
    std::memcpy(segment, signal + k * T::SubFrLen, sizeof(segment));
    G7231SignalTools::normalize(o, segment, T::LpcFrame);
    for (int i = 0; i < T::LpcFrame; ++i) segment[i] = o.mult_r(segment[i], T::HammingWindowTable[i]);

    int32_t energy = 0;
    for (int i = 0; i < T::LpcFrame; ++i) energy = o.L_add(energy, o.L_shr(o.L_mult(segment[i], segment[i]), 1));
    energy = o.L_add(energy, o.L_shr(energy, T::RidgeFact));  // white-noise correction 1025/1024
    const int16_t shift = G7231BasicOps::norm_l(energy);
    int16_t correlation[T::LpcOrder + 1];
    correlation[0] = o.round(o.L_shl(energy, shift));
    if (correlation[0] == 0) {
      for (int i = 1; i <= T::LpcOrder; ++i) correlation[i] = 0;
    } else {
      for (int i = 1; i <= T::LpcOrder; ++i) {
        int32_t acc = 0;
        for (int j = i; j < T::LpcFrame; ++j) acc = o.L_add(acc, o.L_shr(o.L_mult(segment[j], segment[j - i]), 1));
        acc = o.L_mls(o.L_shl(acc, shift), T::BinomialWindowTable[i - 1]);
        correlation[i] = o.round(acc);
      }
    }

    int16_t secondReflection = 0;
    durbin(o, &lpc[k * T::LpcOrder], &correlation[1], correlation[0], secondReflection);
    sineDetector = static_cast<int16_t>(static_cast<uint16_t>(sineDetector) << 1);
    if (secondReflection > 0x799a) ++sineDetector;
  }

  sineDetector = static_cast<int16_t>(sineDetector & 0x7fff);
  int bits = 0;
  for (int i = 0, value = sineDetector; i < 15; ++i, value >>= 1) bits += value & 1;
  if (bits >= 14) sineDetector = static_cast<int16_t>(sineDetector | 0x8000);
}

int16_t G7231LpcAnalysis::durbin(G7231BasicOps& o, int16_t* lpc, const int16_t* correlation, int16_t energy,
                                 int16_t& secondReflection) {
  for (int i = 0; i < T::LpcOrder; ++i) lpc[i] = 0;
  int16_t previous[T::LpcOrder];
  for (int i = 0; i < T::LpcOrder; ++i) {
    int32_t acc = o.L_shr(G7231BasicOps::L_deposit_h(correlation[i]), 2);
    for (int j = 0; j < i; ++j) acc = o.L_msu(acc, lpc[j], correlation[i - j - 1]);
    acc = o.L_shl(acc, 2);
    const int32_t signedAcc = acc;
    acc = G7231BasicOps::L_abs(acc);
    const int32_t error = G7231BasicOps::L_deposit_h(energy);
    if (acc >= error) {
      secondReflection = 32767;
      break;
    }
    int16_t reflection = o.div_l(acc, energy);
    if (signedAcc >= 0) reflection = G7231BasicOps::negate(reflection);
    if (i == 1) secondReflection = reflection;

    lpc[i] = o.round(o.L_shr(G7231BasicOps::L_deposit_h(G7231BasicOps::negate(reflection)), 2));
    energy = o.round(o.L_add(o.L_mls(signedAcc, reflection), error));
    for (int j = 0; j < i; ++j) previous[j] = lpc[j];
    for (int j = 0; j < i; ++j)
      lpc[j] = o.round(o.L_mac(G7231BasicOps::L_deposit_h(lpc[j]), reflection, previous[i - j - 1]));
  }
  return energy;
}

void G7231LpcAnalysis::weightingFilters(G7231BasicOps& o, int16_t* weighting, const int16_t* lpc) {
  for (int k = 0; k < T::SubFrames; ++k) {
    for (int j = 0; j < T::LpcOrder; ++j) weighting[j] = o.mult_r(lpc[j], T::PerFiltZeroTable[j]);
    weighting += T::LpcOrder;
    for (int j = 0; j < T::LpcOrder; ++j) weighting[j] = o.mult_r(lpc[j], T::PerFiltPoleTable[j]);
    weighting += T::LpcOrder;
    lpc += T::LpcOrder;
  }
}

void G7231LpcAnalysis::weight(G7231BasicOps& o, int16_t* block, const int16_t* weighting, int16_t* firMemory,
                              int16_t* iirMemory) {
  for (int k = 0; k < T::SubFrames; ++k, weighting += 2 * T::LpcOrder) {
    for (int i = 0; i < T::SubFrLen; ++i, ++block) {
      int32_t acc = o.L_mult(*block, 0x2000);
      acc = o.L_msu_n(acc, weighting, firMemory, T::LpcOrder);
      pushDelay(firMemory, *block);
      acc = o.L_mac_n(acc, weighting + T::LpcOrder, iirMemory, T::LpcOrder);
      acc = o.L_shl(acc, 2);
      pushDelay(iirMemory, o.round(acc));
      *block = iirMemory[0];
    }
  }
}
