#include "codec/g7231/G7231SignalTools.h"

#include <algorithm>

#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

int16_t G7231SignalTools::normalize(G7231BasicOps& o, int16_t* vector, int length) {
  // Largest magnitude as abs_s sees it (-32768 counts as 32767), from the extremes.
  int16_t highest = 0;
  int16_t lowest = 0;
  for (int i = 0; i < length; ++i) {
    highest = vector[i] > highest ? vector[i] : highest;
    lowest = vector[i] < lowest ? vector[i] : lowest;
  }
  const int16_t largest = std::max(highest, G7231BasicOps::abs_s(lowest));
  const int16_t shift = G7231BasicOps::norm_s(largest);
  // The factor is a positive power of two (at most 0x7fff), so L_mult cannot saturate and the
  // product shifted right by 4 is exact.
  const int32_t factor = T::ShiftTable[shift];
  for (int i = 0; i < length; ++i) vector[i] = static_cast<int16_t>((2 * factor * vector[i]) >> 4);
  return o.sub(shift, 3);
}

int32_t G7231SignalTools::subframeEnergy(G7231BasicOps& o, const int16_t* subframe) {
  int16_t quarter[T::SubFrLen];
  for (int i = 0; i < T::SubFrLen; ++i) quarter[i] = o.shr(subframe[i], 2);
  return o.L_mac_n(0, quarter, quarter, T::SubFrLen);
}

int16_t G7231SignalTools::squareRoot(G7231BasicOps& o, int32_t value) {
  int16_t root = 0;
  int16_t bit = 0x4000;
  for (int i = 0; i < 14; ++i) {
    const int16_t candidate = o.add(root, bit);
    if (value >= o.L_mult(candidate, candidate)) root = o.add(root, bit);
    bit = o.shr(bit, 1);
  }
  return root;
}

int16_t G7231SignalTools::random(int16_t& seed) {
  const int32_t next = (static_cast<int32_t>(seed) & 0xffff) * 521 + 259;
  seed = G7231BasicOps::extract_l(next);
  return seed;
}

void G7231SignalTools::removeDc(G7231BasicOps& o, int16_t* block, int16_t& firMemory, int32_t& iirMemory) {
  for (int i = 0; i < T::Frame; ++i) {
    int32_t acc = o.L_mult(block[i], 0x4000);
    acc = o.L_mac(acc, firMemory, static_cast<int16_t>(0xc000));
    firMemory = block[i];
    acc = o.L_add(acc, o.L_mls(iirMemory, 0x7f00));
    iirMemory = acc;
    block[i] = o.round(acc);
  }
}

void G7231SignalTools::scaleGain(G7231BasicOps& o, int16_t* subframe, int32_t energyBefore, int16_t& gainMemory) {
  int32_t before = energyBefore;
  int32_t after = subframeEnergy(o, subframe);
  int16_t target = 0x1000;
  if (after != 0 && before != 0) {
    int16_t exponent = G7231BasicOps::norm_l(after);
    after = o.L_shl(after, exponent);
    const int16_t beforeShift = G7231BasicOps::norm_l(before);
    before = o.L_shl(before, beforeShift);
    before = o.L_shr(before, 1);
    exponent = o.sub(exponent, beforeShift);
    exponent = o.add(exponent, 1);
    exponent = o.sub(6, exponent);
    if (exponent < 0) exponent = 0;
    target = o.div_l(before, G7231BasicOps::extract_h(after));
    const int32_t ratio = o.L_shr(G7231BasicOps::L_deposit_h(target), exponent);
    target = squareRoot(o, ratio);
  }
  for (int i = 0; i < T::SubFrLen; ++i) {
    int32_t acc = G7231BasicOps::L_deposit_h(gainMemory);
    acc = o.L_msu(acc, gainMemory, 0x0800);
    acc = o.L_mac(acc, target, 0x0800);
    gainMemory = o.round(acc);
    const int16_t gain = o.add(gainMemory, o.shr(gainMemory, 4));
    subframe[i] = o.round(o.L_shl(o.L_mult(subframe[i], gain), 4));
  }
}
