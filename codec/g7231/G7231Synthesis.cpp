#include "codec/g7231/G7231Synthesis.h"

#include "codec/g7231/G7231SignalTools.h"
#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

namespace {

constexpr int kOrder = T::LpcOrder;

// Coefficients in reverse, so that a filter step is a forward dot product with the history
// window ending at the newest value.
void reverse(int16_t* reversed, const int16_t* coefficients) {
  for (int j = 0; j < kOrder; ++j) reversed[j] = coefficients[kOrder - 1 - j];
}

// The same steps one by one, for the rare sample where saturation is possible.
int32_t stepByStep(G7231BasicOps& o, int32_t acc, const int16_t* coefficients, const int16_t* newest, bool subtract) {
  for (int j = 0; j < kOrder; ++j)
    acc = subtract ? o.L_msu(acc, coefficients[j], newest[-j]) : o.L_mac(acc, coefficients[j], newest[-j]);
  return acc;
}

// Memory (newest first) into the front of a history (oldest first), and back from its end.
void loadHistory(int16_t* history, const int16_t* memory) {
  for (int j = 0; j < kOrder; ++j) history[kOrder - 1 - j] = memory[j];
}
void storeHistory(int16_t* memory, const int16_t* history) {
  for (int j = 0; j < kOrder; ++j) memory[j] = history[kOrder + T::SubFrLen - 1 - j];
}

}  // namespace

void G7231Synthesis::synthesize(G7231BasicOps& o, int16_t* subframe, const int16_t* lpc, int16_t* memory,
                                bool postFilterOn) {
  int16_t history[kOrder + T::SubFrLen];
  loadHistory(history, memory);
  int16_t reversed[kOrder];
  reverse(reversed, lpc);
  for (int i = 0; i < T::SubFrLen; ++i) {
    int32_t acc = o.L_shr(G7231BasicOps::L_deposit_h(subframe[i]), 3);
    const G7231BasicOps::ChainSums taps = G7231BasicOps::chainSums(reversed, history + i, kOrder);
    acc = G7231BasicOps::chainFits(acc, taps.reach) ? static_cast<int32_t>(acc + 2 * static_cast<int64_t>(taps.sum))
                                                    : stepByStep(o, acc, lpc, history + kOrder - 1 + i, false);
    acc = o.L_shl(acc, 2);
    history[kOrder + i] = o.round(acc);
    subframe[i] = postFilterOn ? history[kOrder + i] : o.shl(history[kOrder + i], 1);
  }
  storeHistory(memory, history);
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
  int32_t lagOne = o.L_mac_n(0, normalized + 1, normalized, T::SubFrLen - 1);
  const int32_t lagZero =
      o.L_mac_n(o.L_mult(normalized[0], normalized[0]), normalized + 1, normalized + 1, T::SubFrLen - 1);
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

  int16_t inputs[kOrder + T::SubFrLen];
  int16_t outputs[kOrder + T::SubFrLen];
  loadHistory(inputs, firMemory);
  loadHistory(outputs, iirMemory);
  for (int i = 0; i < T::SubFrLen; ++i) inputs[kOrder + i] = subframe[i];
  // The feed-forward taps depend on the input only: summed ahead of the recursion.
  int16_t zerosReversed[kOrder];
  int16_t polesReversed[kOrder];
  reverse(zerosReversed, zeros);
  reverse(polesReversed, poles);
  G7231BasicOps::ChainSums forward[T::SubFrLen];
  for (int i = 0; i < T::SubFrLen; ++i) forward[i] = G7231BasicOps::chainSums(zerosReversed, inputs + i, kOrder);

  for (int i = 0; i < T::SubFrLen; ++i) {
    const int32_t start = o.L_shr(G7231BasicOps::L_deposit_h(inputs[kOrder + i]), 2);
    const int16_t* newestOutput = outputs + kOrder - 1 + i;
    const G7231BasicOps::ChainSums backward = G7231BasicOps::chainSums(polesReversed, outputs + i, kOrder);
    if (G7231BasicOps::chainFits(start, forward[i].reach + backward.reach)) {
      acc = static_cast<int32_t>(start - 2 * static_cast<int64_t>(forward[i].sum) + 2 * static_cast<int64_t>(backward.sum));
    } else {
      acc = stepByStep(o, start, zeros, inputs + kOrder - 1 + i, true);
      acc = stepByStep(o, acc, poles, newestOutput, false);
    }
    acc = o.L_shl(acc, 2);
    outputs[kOrder + i] = o.round(acc);
    subframe[i] = o.round(o.L_mac(acc, outputs[kOrder - 1 + i], compensation));
  }
  storeHistory(firMemory, inputs);
  storeHistory(iirMemory, outputs);
  return energy;
}
