#include "codec/g7231/G7231PitchAnalysis.h"

#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

int16_t G7231PitchAnalysis::openLoopLag(G7231BasicOps& o, const int16_t* buffer, int start) {
  int16_t best = T::PitchMin;
  int16_t bestExponent = 30;
  int16_t bestCross = 0x4000;
  int16_t bestEnergy = 0x7fff;

  int16_t past = static_cast<int16_t>(start - T::PitchMin + 1);
  int32_t energy = 0;
  for (int j = 0; j < 2 * T::SubFrLen; ++j) energy = o.L_mac(energy, buffer[past + j], buffer[past + j]);

  for (int lag = T::PitchMin; lag <= T::PitchMax - 3; ++lag) {
    past = o.sub(past, 1);
    energy = o.L_msu(energy, buffer[past + 2 * T::SubFrLen], buffer[past + 2 * T::SubFrLen]);
    energy = o.L_mac(energy, buffer[past], buffer[past]);

    int32_t acc = o.L_mac_n(0, buffer + start, buffer + past, 2 * T::SubFrLen);
    if (acc <= 0) continue;

    // Squared cross and energy as mantissa and common exponent.
    int16_t exponent = G7231BasicOps::norm_l(acc);
    acc = o.L_shl(acc, exponent);
    exponent = o.shl(exponent, 1);
    int16_t cross = o.round(acc);
    acc = o.L_mult(cross, cross);
    cross = G7231BasicOps::norm_l(acc);
    acc = o.L_shl(acc, cross);
    exponent = o.add(exponent, cross);
    cross = G7231BasicOps::extract_h(acc);

    int16_t lagEnergy = G7231BasicOps::norm_l(energy);
    acc = o.L_shl(energy, lagEnergy);
    exponent = o.sub(exponent, lagEnergy);
    lagEnergy = o.round(acc);
    if (cross >= lagEnergy) {
      exponent = o.sub(exponent, 1);
      cross = o.shr(cross, 1);
    }
    if (exponent > bestExponent) continue;
    if (exponent + 1 < bestExponent) {
      best = static_cast<int16_t>(lag);
      bestExponent = exponent;
      bestCross = cross;
      bestEnergy = lagEnergy;
      continue;
    }
    const int16_t compared = exponent + 1 == bestExponent ? o.shr(bestCross, 1) : bestCross;
    acc = o.L_msu(o.L_mult(cross, bestEnergy), lagEnergy, compared);
    if (acc <= 0) continue;
    bool take = lag - best < T::PitchMin;
    if (!take) {
      // A lag at least PitchMin longer must beat the best by a quarter.
      acc = G7231BasicOps::L_negate(o.L_shr(o.L_mult(cross, bestEnergy), 2));
      acc = o.L_mac(acc, cross, bestEnergy);
      acc = o.L_msu(acc, lagEnergy, compared);
      take = acc > 0;
    }
    if (take) {
      best = static_cast<int16_t>(lag);
      bestExponent = exponent;
      bestCross = cross;
      bestEnergy = lagEnergy;
    }
  }
  return best;
}

G7231PitchAnalysis::HarmonicFilter G7231PitchAnalysis::harmonicFilter(G7231BasicOps& o, const int16_t* buffer,
                                                                       int start, int16_t openLoopLag) {
  int32_t sums[15];
  sums[0] = 0;
  for (int i = 0; i < T::SubFrLen; ++i) sums[0] = o.L_mac(sums[0], buffer[start + i], buffer[start + i]);
  for (int i = 0; i <= 2 * T::PwRange; ++i) {
    const int16_t* delayed = buffer + start - (openLoopLag - T::PwRange + i);
    sums[2 * i + 1] = o.L_mac_n(0, delayed, delayed, T::SubFrLen);
    sums[2 * i + 2] = o.L_mac_n(0, buffer + start, delayed, T::SubFrLen);
  }
  int32_t largest = 0;
  for (int32_t sum : sums) {
    const int32_t magnitude = G7231BasicOps::L_abs(sum);
    if (magnitude > largest) largest = magnitude;
  }
  const int16_t shift = G7231BasicOps::norm_l(largest);
  int16_t scaled[15];
  for (int i = 0; i < 15; ++i) scaled[i] = o.round(o.L_shl(sums[i], shift));

  HarmonicFilter filter{-1, 0};
  int16_t bestSquare = 1;
  int16_t bestEnergy = 0x7fff;
  for (int i = 0; i <= 2 * T::PwRange; ++i) {
    const int16_t energy = scaled[2 * i + 1];
    const int16_t cross = scaled[2 * i + 2];
    if (cross <= 0) continue;
    const int16_t square = o.mult_r(cross, cross);
    if (o.L_msu(o.L_mult(square, bestEnergy), energy, bestSquare) > 0) {
      bestSquare = square;
      bestEnergy = energy;
      filter.lag = static_cast<int16_t>(i);
    }
  }
  if (filter.lag == -1) {
    filter.lag = openLoopLag;
    return filter;
  }

  // Use the filter only when the prediction gain is worth it.
  int32_t acc = o.L_mult(scaled[0], bestEnergy);
  acc = o.L_add(o.L_shr(acc, 2), o.L_shr(acc, 3));
  acc = o.L_sub(acc, o.L_mult(scaled[2 * filter.lag + 2], scaled[2 * filter.lag + 2]));
  if (acc < 0) {
    const int16_t cross = scaled[2 * filter.lag + 2];
    if (cross >= bestEnergy) {
      filter.gain = T::PwConst;
    } else {
      filter.gain = o.div_s(cross, bestEnergy);
      filter.gain = o.mult_r(filter.gain, T::PwConst);
    }
  }
  filter.lag = static_cast<int16_t>(openLoopLag - T::PwRange + filter.lag);
  return filter;
}

void G7231PitchAnalysis::applyHarmonicFilter(G7231BasicOps& o, int16_t* out, const int16_t* buffer, int start,
                                             const HarmonicFilter& filter) {
  for (int i = 0; i < T::SubFrLen; ++i) {
    int32_t acc = G7231BasicOps::L_deposit_h(buffer[T::PitchMax + start + i]);
    acc = o.L_msu(acc, filter.gain, buffer[T::PitchMax + start - filter.lag + i]);
    out[start + i] = o.round(acc);
  }
}
