#include "codec/g7231/G7231Concealment.h"

#include "codec/g7231/G7231SignalTools.h"
#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

int16_t G7231Concealment::voicingLag(G7231BasicOps& o, int16_t* excitation, int16_t openLoopLag, int16_t& energy,
                                     int16_t& shift) {
  shift = G7231SignalTools::normalize(o, excitation, T::PitchMax + T::Frame);
  if (openLoopLag > T::PitchMax - 3) openLoopLag = T::PitchMax - 3;
  const int16_t* tail = excitation + T::PitchMax + T::Frame - 2 * T::SubFrLen;

  int16_t lag = openLoopLag;
  int32_t bestCross = 0;
  for (int i = openLoopLag - 3; i <= openLoopLag + 3; ++i) {
    const int32_t acc = o.L_mac_n(0, tail, tail - i, 2 * T::SubFrLen);
    if (acc > bestCross) {
      bestCross = acc;
      lag = static_cast<int16_t>(i);
    }
  }
  int32_t acc = o.L_mac_n(0, tail, tail, 2 * T::SubFrLen);
  const int16_t targetEnergy = o.round(acc);
  energy = targetEnergy;

  acc = o.L_mac_n(0, tail - lag, tail - lag, 2 * T::SubFrLen);
  const int16_t cross = o.round(bestCross);
  if (cross <= 0) return 0;
  const int16_t lagEnergy = o.round(acc);
  acc = o.L_shr(o.L_mult(lagEnergy, targetEnergy), 3);
  acc = o.L_msu(acc, cross, cross);
  return acc < 0 ? lag : 0;
}

void G7231Concealment::regenerate(G7231BasicOps& o, int16_t* out, int16_t* excitation, int16_t lag, int16_t gain,
                                  int16_t lostCount, int16_t& seed) {
  if (lostCount >= T::ErrMaxNum) {
    for (int i = 0; i < T::Frame; ++i) out[i] = 0;
    for (int i = 0; i < T::Frame + T::PitchMax; ++i) excitation[i] = 0;
    return;
  }
  if (lag != 0) {
    for (int i = 0; i < T::Frame; ++i) excitation[T::PitchMax + i] = excitation[T::PitchMax - lag + i];
    for (int i = 0; i < T::Frame; ++i) {
      excitation[T::PitchMax + i] = o.mult(excitation[T::PitchMax + i], 0x6000);
      out[i] = excitation[T::PitchMax + i];
    }
    return;
  }
  for (int i = 0; i < T::Frame; ++i) out[i] = o.mult(gain, G7231SignalTools::random(seed));
  for (int i = 0; i < T::Frame + T::PitchMax; ++i) excitation[i] = 0;
}
