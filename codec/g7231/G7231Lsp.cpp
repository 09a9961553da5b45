#include "codec/g7231/G7231Lsp.h"

#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

namespace {

const int16_t* bandCodebook(int band) {
  static const int16_t* const kCodebooks[3] = {T::Band0Tb8, T::Band1Tb8, T::Band2Tb8};
  return kCodebooks[band];
}

// Value of the sum (k = 0) or difference (k = 1) polynomial at grid point step.
int32_t polynomialAt(G7231BasicOps& o, const int16_t* coefficients, int k, int step) {
  int32_t value = 0;
  for (int j = 0; j <= T::LpcOrder / 2; ++j)
    value = o.L_mac(value, coefficients[T::LpcOrder - 2 * j + k], T::CosineTable[step * j % T::CosineTableSize]);
  return value;
}

}  // namespace

void G7231Lsp::fromLpc(G7231BasicOps& o, int16_t* lsp, const int16_t* lpc, const int16_t* previous) {
  for (int i = 0; i < T::LpcOrder; ++i) lsp[i] = o.mult_r(lpc[i], T::BandExpTable[i]);

  // Sum and difference polynomials without their roots at -1 and +1, interleaved p0 q0 p1 q1 ...
  int32_t poly[T::LpcOrder + 2];
  poly[0] = poly[1] = 0x02000000;
  for (int i = 0; i < T::LpcOrder / 2; ++i) {
    const int32_t low = o.L_shr(G7231BasicOps::L_deposit_h(lsp[i]), 4);
    const int32_t high = o.L_shr(G7231BasicOps::L_deposit_h(lsp[T::LpcOrder - 1 - i]), 4);
    poly[2 * i + 2] = o.L_sub(o.L_sub(G7231BasicOps::L_negate(poly[2 * i]), low), high);
    poly[2 * i + 3] = o.L_add(o.L_sub(poly[2 * i + 1], low), high);
  }
  poly[T::LpcOrder] = o.L_shr(poly[T::LpcOrder], 1);
  poly[T::LpcOrder + 1] = o.L_shr(poly[T::LpcOrder + 1], 1);

  int32_t largest = G7231BasicOps::L_abs(poly[0]);
  for (int i = 1; i < T::LpcOrder + 2; ++i) {
    const int32_t magnitude = G7231BasicOps::L_abs(poly[i]);
    if (magnitude > largest) largest = magnitude;
  }
  const int16_t shift = G7231BasicOps::norm_l(largest);
  int16_t coefficients[T::LpcOrder + 2];
  for (int i = 0; i < T::LpcOrder + 2; ++i) coefficients[i] = o.round(o.L_shl(poly[i], shift));

  // Walk the upper half circle; the roots of the two polynomials alternate.
  int k = 0;
  int32_t before = 0;
  for (int j = 0; j <= T::LpcOrder / 2; ++j) before = o.L_mac(before, coefficients[2 * j], T::CosineTable[0]);
  int found = 0;
  for (int step = 1; step < T::CosineTableSize / 2; ++step) {
    int32_t now = polynomialAt(o, coefficients, k, step);
    if ((now ^ before) < 0) {
      int32_t total = o.L_add(G7231BasicOps::L_abs(now), G7231BasicOps::L_abs(before));
      int32_t part = G7231BasicOps::L_abs(before);
      const int16_t exponent = G7231BasicOps::norm_l(total);
      total = o.L_shl(total, exponent);
      part = o.L_shl(part, exponent);
      part = o.L_shr(part, 8);
      lsp[found] = o.div_l(part, G7231BasicOps::extract_h(total));
      lsp[found] = o.add(lsp[found], o.shl(static_cast<int16_t>(step - 1), 7));
      ++found;
      if (found == T::LpcOrder) break;
      k ^= 1;
      now = polynomialAt(o, coefficients, k, step);
    }
    before = now;
  }
  if (found != T::LpcOrder)
    for (int j = 0; j < T::LpcOrder; ++j) lsp[j] = previous[j];
}

int32_t G7231Lsp::quantize(G7231BasicOps& o, int16_t* lsp, int16_t* previous) {
  // Weights: the inverse of the distance to the nearer neighbour.
  int16_t weights[T::LpcOrder];
  weights[0] = o.sub(lsp[1], lsp[0]);
  weights[T::LpcOrder - 1] = o.sub(lsp[T::LpcOrder - 1], lsp[T::LpcOrder - 2]);
  for (int i = 1; i < T::LpcOrder - 1; ++i) {
    const int16_t above = o.sub(lsp[i + 1], lsp[i]);
    const int16_t below = o.sub(lsp[i], lsp[i - 1]);
    weights[i] = above > below ? below : above;
  }
  for (int i = 0; i < T::LpcOrder; ++i) weights[i] = weights[i] > 0x20 ? o.div_s(0x20, weights[i]) : T::MAX_16;
  int16_t largest = 0;
  for (int i = 0; i < T::LpcOrder; ++i)
    if (weights[i] > largest) largest = weights[i];
  const int16_t shift = G7231BasicOps::norm_s(largest);
  for (int i = 0; i < T::LpcOrder; ++i) weights[i] = o.shl(weights[i], shift);

  // Target: the LSPs without their mean and without the prediction from the previous frame.
  for (int i = 0; i < T::LpcOrder; ++i) {
    lsp[i] = o.sub(lsp[i], T::LspDcTable[i]);
    previous[i] = o.sub(previous[i], T::LspDcTable[i]);
  }
  for (int i = 0; i < T::LpcOrder; ++i) lsp[i] = o.sub(lsp[i], o.mult_r(previous[i], T::LspPrd0));
  for (int i = 0; i < T::LpcOrder; ++i) previous[i] = o.add(previous[i], T::LspDcTable[i]);

  int32_t packed = 0;
  for (int band = 0; band < T::LspQntBands; ++band) {
    const int first = T::BandInfoTable[band][0];
    const int length = T::BandInfoTable[band][1];
    const int16_t* entry = bandCodebook(band);
    int32_t best = -1;
    int32_t bestIndex = 0;
    for (int index = 0; index < T::LspCbSize; ++index, entry += length) {
      int16_t weighted[4];
      for (int j = 0; j < length; ++j) weighted[j] = o.mult_r(weights[first + j], entry[j]);
      int32_t score = 0;
      for (int j = 0; j < length; ++j) score = o.L_mac(score, lsp[first + j], weighted[j]);
      score = o.L_shl(score, 1);
      for (int j = 0; j < length; ++j) score = o.L_msu(score, entry[j], weighted[j]);
      if (score > best) {
        best = score;
        bestIndex = index;
      }
    }
    packed = o.L_add(o.L_shl(packed, T::LspCbBits), bestIndex);
  }
  return packed;
}

void G7231Lsp::decode(G7231BasicOps& o, int16_t* lsp, int16_t* previous, int32_t index, int16_t badFrame) {
  int16_t spacing = 0x0100;
  int16_t prediction = T::LspPrd0;
  if (badFrame != 0) {
    index = 0;
    spacing = 0x0200;
    prediction = T::LspPrd1;
  }
  for (int band = T::LspQntBands - 1; band >= 0; --band) {
    const int entry = index & 0xff;
    index >>= 8;
    const int first = T::BandInfoTable[band][0];
    const int length = T::BandInfoTable[band][1];
    for (int j = 0; j < length; ++j) lsp[first + j] = bandCodebook(band)[entry * length + j];
  }
  for (int j = 0; j < T::LpcOrder; ++j) previous[j] = o.sub(previous[j], T::LspDcTable[j]);
  for (int j = 0; j < T::LpcOrder; ++j) lsp[j] = o.add(lsp[j], o.mult_r(previous[j], prediction));
  for (int j = 0; j < T::LpcOrder; ++j) {
    previous[j] = o.add(previous[j], T::LspDcTable[j]);
    lsp[j] = o.add(lsp[j], T::LspDcTable[j]);
  }

  // Keep the frequencies ordered with a minimum spacing; give up after ten passes.
  bool unstable = false;
  for (int pass = 0; pass < T::LpcOrder; ++pass) {
    if (lsp[0] < 0x180) lsp[0] = 0x180;
    if (lsp[T::LpcOrder - 1] > 0x7e00) lsp[T::LpcOrder - 1] = 0x7e00;
    for (int j = 1; j < T::LpcOrder; ++j) {
      int16_t overlap = o.sub(o.add(spacing, lsp[j - 1]), lsp[j]);
      if (overlap > 0) {
        overlap = o.shr(overlap, 1);
        lsp[j - 1] = o.sub(lsp[j - 1], overlap);
        lsp[j] = o.add(lsp[j], overlap);
      }
    }
    unstable = false;
    for (int j = 1; j < T::LpcOrder; ++j) {
      const int16_t overlap = o.sub(o.sub(o.add(lsp[j - 1], spacing), 4), lsp[j]);
      if (overlap > 0) unstable = true;
    }
    if (!unstable) break;
  }
  // The repair pulls the first frequency down when the second lies below it, so a damaged index can
  // leave it under zero, outside the cosine grid every later step looks up: such a set is as unusable
  // as an unordered one. Ordered sets of valid streams never go below zero.
  for (int j = 0; j < T::LpcOrder; ++j)
    if (lsp[j] < 0) unstable = true;
  if (unstable)
    for (int j = 0; j < T::LpcOrder; ++j) lsp[j] = previous[j];
}

void G7231Lsp::interpolate(G7231BasicOps& o, int16_t* lpc, const int16_t* current, const int16_t* previous) {
  const int16_t step = static_cast<int16_t>(T::MIN_16 / T::SubFrames);
  int16_t weight = step;
  for (int subframe = 0; subframe < T::SubFrames; ++subframe) {
    int16_t* set = lpc + subframe * T::LpcOrder;
    for (int j = 0; j < T::LpcOrder; ++j) {
      int32_t acc = G7231BasicOps::L_deposit_h(previous[j]);
      acc = o.L_mac(acc, weight, previous[j]);
      acc = o.L_msu(acc, weight, current[j]);
      set[j] = o.round(acc);
    }
    toLpc(o, set);
    weight = o.add(weight, step);
  }
}

void G7231Lsp::toLpc(G7231BasicOps& o, int16_t* lsp) {
  // Cosines of the frequencies by table look-up and linear interpolation.
  for (int i = 0; i < T::LpcOrder; ++i) {
    const int j = o.shr(lsp[i], 7);
    int32_t acc = G7231BasicOps::L_deposit_h(T::CosineTable[j]);
    const int16_t slope = o.sub(T::CosineTable[j + 1], T::CosineTable[j]);
    acc = o.L_mac(acc, slope, o.add(o.shl(static_cast<int16_t>(lsp[i] & 0x007f), 8), 0x0080));
    acc = o.L_shl(acc, 1);
    lsp[i] = G7231BasicOps::negate(o.round(acc));
  }

  // Products of the second-order sections of the sum (P) and difference (Q) polynomials.
  int32_t p[T::LpcOrder / 2 + 1];
  int32_t q[T::LpcOrder / 2 + 1];
  p[0] = 0x10000000;
  p[1] = o.L_mac(o.L_mult(lsp[0], 0x2000), lsp[2], 0x2000);
  p[2] = o.L_add(o.L_shr(o.L_mult(lsp[0], lsp[2]), 1), 0x20000000);
  q[0] = 0x10000000;
  q[1] = o.L_mac(o.L_mult(lsp[1], 0x2000), lsp[3], 0x2000);
  q[2] = o.L_add(o.L_shr(o.L_mult(lsp[1], lsp[3]), 1), 0x20000000);
  for (int i = 2; i < T::LpcOrder / 2; ++i) {
    p[i + 1] = o.L_add(o.L_mls(p[i], lsp[2 * i]), p[i - 1]);
    q[i + 1] = o.L_add(o.L_mls(q[i], lsp[2 * i + 1]), q[i - 1]);
    for (int j = i; j >= 2; --j) {
      p[j] = o.L_add(o.L_add(o.L_mls(p[j - 1], lsp[2 * i]), o.L_shr(p[j], 1)), o.L_shr(p[j - 2], 1));
      q[j] = o.L_add(o.L_add(o.L_mls(q[j - 1], lsp[2 * i + 1]), o.L_shr(q[j], 1)), o.L_shr(q[j - 2], 1));
    }
    p[0] = o.L_shr(p[0], 1);
    q[0] = o.L_shr(q[0], 1);
    p[1] = o.L_shr(o.L_add(o.L_shr(G7231BasicOps::L_deposit_h(lsp[2 * i]), static_cast<int16_t>(i)), p[1]), 1);
    q[1] = o.L_shr(o.L_add(o.L_shr(G7231BasicOps::L_deposit_h(lsp[2 * i + 1]), static_cast<int16_t>(i)), q[1]), 1);
  }

  for (int i = 0; i < T::LpcOrder / 2; ++i) {
    int32_t acc = o.L_add(o.L_sub(o.L_add(p[i], p[i + 1]), q[i]), q[i + 1]);
    lsp[i] = G7231BasicOps::negate(o.round(o.L_shl(acc, 3)));
    acc = o.L_sub(o.L_add(o.L_add(p[i], p[i + 1]), q[i]), q[i + 1]);
    lsp[T::LpcOrder - 1 - i] = G7231BasicOps::negate(o.round(o.L_shl(acc, 3)));
  }
}
