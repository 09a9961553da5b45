#include "codec/g7231/G7231PitchPostFilter.h"

#include "codec/g7231/G7231SignalTools.h"
#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

int16_t G7231PitchPostFilter::bestLag(G7231BasicOps& o, const int16_t* excitation, int16_t openLoopLag, int sfc,
                                      bool forward) {
  if (openLoopLag > T::PitchMax - 3) openLoopLag = T::PitchMax - 3;
  const int16_t* current = excitation + T::PitchMax + sfc * T::SubFrLen;
  int16_t lag = 0;
  int32_t best = 0;
  for (int i = openLoopLag - 3; i <= openLoopLag + 3; ++i) {
    int32_t acc = 0;
    if (!forward)
      acc = o.L_mac_n(0, current, current - i, T::SubFrLen);
    else if (sfc * T::SubFrLen + T::SubFrLen + i <= T::Frame)  // the forward lag must stay inside the frame
      acc = o.L_mac_n(0, current, current + i, T::SubFrLen);
    if (acc > best) {
      best = acc;
      lag = static_cast<int16_t>(forward ? i : -i);
    }
  }
  return lag;
}

G7231PitchPostFilter::Params G7231PitchPostFilter::gains(G7231BasicOps& o, int16_t lag, int16_t energy, int16_t cross,
                                                         int16_t lagEnergy, int rate) {
  Params params{lag, 0, 0x7fff};
  const int32_t limit = o.L_shr(o.L_mult(energy, lagEnergy), 2);
  if (o.L_mult(cross, cross) > limit) {
    if (cross >= lagEnergy) {
      params.gain = T::LpfConstTable[rate];
    } else {
      params.gain = o.div_s(cross, lagEnergy);
      params.gain = o.mult(params.gain, T::LpfConstTable[rate]);
    }
    int32_t acc = o.L_shr(G7231BasicOps::L_deposit_h(energy), 1);
    acc = o.L_mac(acc, cross, params.gain);
    const int16_t squared = o.mult(params.gain, params.gain);
    acc = o.L_add(acc, o.L_shr(o.L_mult(lagEnergy, squared), 1));
    int16_t filteredEnergy = o.round(acc);
    const int32_t half = o.L_shr(G7231BasicOps::L_deposit_h(energy), 1);
    const int32_t filtered = G7231BasicOps::L_deposit_h(filteredEnergy);
    int16_t ratio = half >= filtered ? static_cast<int16_t>(0x7fff) : o.div_l(half, filteredEnergy);
    params.scale = G7231SignalTools::squareRoot(o, G7231BasicOps::L_deposit_h(ratio));
  }
  params.gain = o.mult(params.gain, params.scale);
  return params;
}

G7231PitchPostFilter::Params G7231PitchPostFilter::compute(G7231BasicOps& o, const int16_t* excitation,
                                                           int16_t openLoopLag, int sfc, int rate) {
  const int16_t backward = bestLag(o, excitation, openLoopLag, sfc, false);
  const int16_t forward = bestLag(o, excitation, openLoopLag, sfc, true);
  if (backward == 0 && forward == 0) return Params{0, 0, 0x7fff};

  const int16_t* current = excitation + T::PitchMax + sfc * T::SubFrLen;
  int32_t sums[5] = {0, 0, 0, 0, 0};
  sums[0] = o.L_mac_n(0, current, current, T::SubFrLen);
  const int16_t lags[2] = {backward, forward};
  for (int side = 0; side < 2; ++side) {
    if (lags[side] == 0) continue;
    const int16_t* delayed = current + lags[side];
    sums[1 + 2 * side] = o.L_mac_n(0, current, delayed, T::SubFrLen);
    sums[2 + 2 * side] = o.L_mac_n(0, delayed, delayed, T::SubFrLen);
  }

  int32_t largest = 0;
  for (int32_t sum : sums)
    if (sum > largest) largest = sum;
  const int16_t shift = G7231BasicOps::norm_l(largest);
  int16_t scaled[5];
  for (int i = 0; i < 5; ++i) scaled[i] = G7231BasicOps::extract_h(o.L_shl(sums[i], shift));

  if (forward == 0) return gains(o, backward, scaled[0], scaled[1], scaled[2], rate);
  if (backward == 0) return gains(o, forward, scaled[0], scaled[3], scaled[4], rate);
  const int32_t backwardScore = o.L_mult(o.mult_r(scaled[1], scaled[1]), scaled[4]);
  const int32_t forwardScore = o.L_mult(o.mult_r(scaled[3], scaled[3]), scaled[2]);
  if (backwardScore > forwardScore) return gains(o, backward, scaled[0], scaled[1], scaled[2], rate);
  return gains(o, forward, scaled[0], scaled[3], scaled[4], rate);
}

void G7231PitchPostFilter::apply(G7231BasicOps& o, int16_t* out, const int16_t* excitation, const Params& params,
                                 int sfc) {
  const int16_t* current = excitation + T::PitchMax + sfc * T::SubFrLen;
  for (int i = 0; i < T::SubFrLen; ++i) {
    int32_t acc = o.L_mult(current[i], params.scale);
    acc = o.L_mac(acc, current[params.lag + i], params.gain);
    out[sfc * T::SubFrLen + i] = o.round(acc);
  }
}
