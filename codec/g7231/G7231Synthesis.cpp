#include "codec/g7231/G7231Synthesis.h"

#include "codec/g7231/G7231SignalTools.h"
#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

namespace {

void pushDelay(int16_t* line, int16_t value) {
  for (int j = T::LpcOrder - 1; j > 0; --j) line[j] = line[j - 1];
  line[0] = value;
}

}  // namespace

void G7231Synthesis::synthesize(G7231BasicOps& o, int16_t* subframe, const int16_t* lpc, int16_t* memory,
                                bool postFilterOn) {
  for (int i = 0; i < T::SubFrLen; ++i) {
    int32_t acc = o.L_shr(G7231BasicOps::L_deposit_h(subframe[i]), 3);
    for (int j = 0; j < T::LpcOrder; ++j) acc = o.L_mac(acc, lpc[j], memory[j]);
    acc = o.L_shl(acc, 2);
    pushDelay(memory, o.round(acc));
    subframe[i] = postFilterOn ? memory[0] : o.shl(memory[0], 1);
  }
}

int32_t G7231Synthesis::postFilter(G7231BasicOps& o, int16_t* subframe, const int16_t* lpc, int16_t* firMemory,
                                   int16_t* iirMemory, int16_t& tilt) {
  int16_t zeros[T::LpcOrder];
  int16_t poles[T::LpcOrder];
  for (int i = 0; i < T::LpcOrder; ++i) {
    zeros[i] = o.mult_r(lpc[i], T::PostFiltZeroTable[i]);
    poles[i] = o.mult_r(lpc[i], T::PostFiltPoleTable[i]);
  }

  int16_t normalized[T::SubFrLen];
  for (int i = 0; i < T::SubFrLen; ++i) normalized[i] = subframe[i];
  const int16_t shift = G7231SignalTools::normalize(o, normalized, T::SubFrLen);
  int32_t lagOne = 0;
  int32_t lagZero = o.L_mult(normalized[0], normalized[0]);
  for (int i = 1; i < T::SubFrLen; ++i) {
    lagOne = o.L_mac(lagOne, normalized[i], normalized[i - 1]);
    lagZero = o.L_mac(lagZero, normalized[i], normalized[i]);
  }
  const int32_t energy = o.L_shr(lagZero, static_cast<int16_t>(2 * shift + 4));

  // First reflection coefficient of the input drives the tilt compensation.
  int16_t reflection = G7231BasicOps::extract_h(lagZero);
  if (reflection != 0) {
    lagOne = o.L_shr(lagOne, 1);
    const int32_t sign = lagOne;
    reflection = o.div_l(G7231BasicOps::L_abs(lagOne), reflection);
    if (sign < 0) reflection = G7231BasicOps::negate(reflection);
  }
  int32_t acc = G7231BasicOps::L_deposit_h(tilt);
  acc = o.L_msu(acc, tilt, 0x2000);
  acc = o.L_mac(acc, reflection, 0x2000);
  tilt = o.round(acc);
  int16_t compensation = o.mult(tilt, static_cast<int16_t>(T::PreCoef));
  compensation = static_cast<int16_t>(compensation & static_cast<int16_t>(0xfffc));

  for (int i = 0; i < T::SubFrLen; ++i) {
    acc = o.L_shr(G7231BasicOps::L_deposit_h(subframe[i]), 2);
    for (int j = 0; j < T::LpcOrder; ++j) acc = o.L_msu(acc, zeros[j], firMemory[j]);
    pushDelay(firMemory, subframe[i]);
    for (int j = 0; j < T::LpcOrder; ++j) acc = o.L_mac(acc, poles[j], iirMemory[j]);
    acc = o.L_shl(acc, 2);
    pushDelay(iirMemory, o.round(acc));
    subframe[i] = o.round(o.L_mac(acc, iirMemory[1], compensation));
  }
  return energy;
}
