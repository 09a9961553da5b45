#include "codec/g7231/G7231Synthesis.h"

#include "codec/g7231/G7231SignalTools.h"
#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

namespace {

constexpr int kOrder = T::LpcOrder;

// The ten products of a filter step, summed, with the sum of their magnitudes. newest points at
// the most recent value of a history laid out oldest first, so tap j reads newest[-j].
struct TapSums {
  int64_t sum;
  int64_t reach;
};

TapSums tapSums(const int16_t* coefficients, const int16_t* newest) {
  TapSums sums{0, 0};
  for (int j = 0; j < kOrder; ++j) {
    const int32_t product = static_cast<int32_t>(coefficients[j]) * newest[-j];
    sums.sum += product;
    sums.reach += product < 0 ? -static_cast<int64_t>(product) : product;
  }
  return sums;
}

// True when no partial sum of a chain of L_mac / L_msu steps starting at acc can saturate.
bool chainFits(int32_t acc, int64_t reach) {
  const int64_t start = acc < 0 ? -static_cast<int64_t>(acc) : acc;
  return start + 2 * reach <= G7231BasicOps::kMax32;
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
  for (int i = 0; i < T::SubFrLen; ++i) {
    int32_t acc = o.L_shr(G7231BasicOps::L_deposit_h(subframe[i]), 3);
    const int16_t* newest = history + kOrder - 1 + i;
    const TapSums taps = tapSums(lpc, newest);
    acc = chainFits(acc, taps.reach) ? static_cast<int32_t>(acc + 2 * taps.sum) : stepByStep(o, acc, lpc, newest, false);
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
  TapSums forward[T::SubFrLen];
  for (int i = 0; i < T::SubFrLen; ++i) forward[i] = tapSums(zeros, inputs + kOrder - 1 + i);

  for (int i = 0; i < T::SubFrLen; ++i) {
    const int32_t start = o.L_shr(G7231BasicOps::L_deposit_h(inputs[kOrder + i]), 2);
    const int16_t* newestOutput = outputs + kOrder - 1 + i;
    const TapSums backward = tapSums(poles, newestOutput);
    if (chainFits(start, forward[i].reach + backward.reach)) {
      acc = static_cast<int32_t>(start - 2 * forward[i].sum + 2 * backward.sum);
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
