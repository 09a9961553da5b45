#include "codec/g7231/G7231Ringing.h"

#include <cstring>

#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

namespace {

void pushDelay(int16_t* line, int16_t value) {
  for (int j = T::LpcOrder - 1; j > 0; --j) line[j] = line[j - 1];
  line[0] = value;
}

// One sample through synthesis and formant weighting, starting from acc (the input already in
// place); returns the weighted output and leaves the synthesis output in synthesized.
int16_t filterSample(G7231BasicOps& o, int32_t acc, const int16_t* lpc, const int16_t* weighting, int16_t* fir,
                     int16_t* iir, int32_t& synthesized, bool doubleWeightedInput) {
  acc = o.L_mac_n(acc, lpc, fir, T::LpcOrder);
  synthesized = o.L_shl(acc, 2);
  acc = o.L_msu_n(acc, weighting, fir, T::LpcOrder);
  if (doubleWeightedInput) acc = o.L_shl(acc, 1);
  pushDelay(fir, o.round(synthesized));
  acc = o.L_mac_n(acc, weighting + T::LpcOrder, iir, T::LpcOrder);
  acc = o.L_shl(acc, 2);
  pushDelay(iir, o.round(acc));
  return iir[0];
}

}  // namespace

void G7231Ringing::impulseResponse(G7231BasicOps& o, int16_t* impulse, const int16_t* lpc, const int16_t* weighting,
                                   const G7231PitchAnalysis::HarmonicFilter& harmonic) {
  int16_t fir[T::LpcOrder] = {};
  int16_t iir[T::LpcOrder] = {};
  int16_t weighted[T::PitchMax + T::SubFrLen] = {};
  int32_t acc = 0x04000000;  // the unit impulse
  for (int i = 0; i < T::SubFrLen; ++i) {
    int32_t synthesized = 0;
    weighted[T::PitchMax + i] = filterSample(o, acc, lpc, weighting, fir, iir, synthesized, true);
    acc = G7231BasicOps::L_deposit_h(weighted[T::PitchMax + i]);
    acc = o.L_msu(acc, harmonic.gain, weighted[T::PitchMax - harmonic.lag + i]);
    impulse[i] = o.round(acc);
    acc = 0;
  }
}

void G7231Ringing::subtractRinging(G7231BasicOps& o, int16_t* target, const int16_t* lpc, const int16_t* weighting,
                                   const G7231CoderState& coder, const G7231PitchAnalysis::HarmonicFilter& harmonic) {
  int16_t fir[T::LpcOrder];
  int16_t iir[T::LpcOrder];
  std::memcpy(fir, coder.RingFirDl, sizeof(fir));
  std::memcpy(iir, coder.RingIirDl, sizeof(iir));
  int16_t weighted[T::PitchMax + T::SubFrLen];
  std::memcpy(weighted, coder.PrevErr, sizeof(coder.PrevErr));
  for (int i = 0; i < T::SubFrLen; ++i) {
    int32_t synthesized = 0;
    const int16_t ringing = filterSample(o, 0, lpc, weighting, fir, iir, synthesized, false);
    weighted[T::PitchMax + i] = ringing;
    int32_t acc = G7231BasicOps::L_deposit_h(o.sub(target[i], ringing));
    acc = o.L_mac(acc, harmonic.gain, weighted[T::PitchMax - harmonic.lag + i]);
    target[i] = o.round(acc);
  }
}

void G7231Ringing::update(G7231BasicOps& o, int16_t* excitation, const int16_t* lpc, const int16_t* weighting,
                          G7231CoderState& coder) {
  std::memmove(coder.PrevErr, coder.PrevErr + T::SubFrLen, (T::PitchMax - T::SubFrLen) * sizeof(int16_t));
  for (int i = 0; i < T::SubFrLen; ++i) {
    const int32_t input = o.L_shr(G7231BasicOps::L_deposit_h(excitation[i]), 3);
    int32_t synthesized = 0;
    // The synthesised sample is taken before the delay lines move; filterSample keeps that order.
    const int16_t weighted = filterSample(o, input, lpc, weighting, coder.RingFirDl, coder.RingIirDl, synthesized, false);
    excitation[i] = o.shl(o.round(synthesized), 1);
    coder.PrevErr[T::PitchMax - T::SubFrLen + i] = weighted;
  }
}
