#include "codec/g7231/G7231AdaptiveCodebook.h"

#include "codec/g7231/G7231Taming.h"
#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

void G7231AdaptiveCodebook::delayedExcitation(int16_t* out, const int16_t* pastExcitation, int lag) {
  const int half = T::ClPitchOrd / 2;
  for (int i = 0; i < half; ++i) out[i] = pastExcitation[T::PitchMax - lag - half + i];
  for (int i = 0; i < T::SubFrLen + half; ++i) out[half + i] = pastExcitation[T::PitchMax - lag + i % lag];
}

int G7231AdaptiveCodebook::gainCodebook(int rate, int lag) {
  if (rate != 0) return 1;
  return lag >= T::SubFrLen - 2 ? 1 : 0;
}

const int16_t* G7231AdaptiveCodebook::gainTable(int codebook) {
  return codebook == 0 ? T::AcbkGainTable085 : T::AcbkGainTable170;
}

void G7231AdaptiveCodebook::contribution(G7231BasicOps& o, int16_t* out, const int16_t* pastExcitation,
                                         int16_t openLoopLag, int16_t lagOffset, int16_t gainIndex, int rate) {
  int16_t delayed[T::SubFrLen + T::ClPitchOrd - 1];
  delayedExcitation(delayed, pastExcitation, openLoopLag - T::Pstep + lagOffset);
  const int16_t* taps = gainTable(gainCodebook(rate, openLoopLag)) + gainIndex * 20;
  for (int i = 0; i < T::SubFrLen; ++i) {
    out[i] = o.round(o.L_shl(o.L_mac_n(0, delayed + i, taps, T::ClPitchOrd), 1));
  }
}

void G7231AdaptiveCodebook::search(G7231BasicOps& o, int16_t* target, const int16_t* impulse,
                                   const int16_t* pastExcitation, G7231FrameParams& frame, int sfc,
                                   const G7231CoderState& coder, int rate) {
  constexpr int kTerms = 20;  // 5 crosses, 5 energies, 10 cross terms per candidate lag
  int16_t lag = frame.openLoopLag[sfc >> 1];
  int16_t bestOffset = T::Pstep;
  int16_t bestGain = 0;
  const int candidates = 3 + (sfc & 1);
  if ((sfc & 1) == 0) {
    if (lag == T::PitchMin) lag = o.add(lag, 1);
    if (lag > T::PitchMax - 5) lag = T::PitchMax - 5;
  }

  int32_t correlations[4 * kTerms];
  int32_t* next = correlations;
  int16_t delayed[T::SubFrLen + T::ClPitchOrd - 1];
  int16_t filtered[T::ClPitchOrd][T::SubFrLen];
  for (int k = 0; k < candidates; ++k) {
    delayedExcitation(delayed, pastExcitation, lag - T::Pstep + k);
    for (int i = 0; i < T::SubFrLen; ++i) {
      int32_t acc = 0;
      for (int j = 0; j <= i; ++j) acc = o.L_mac(acc, delayed[T::ClPitchOrd - 1 + j], impulse[i - j]);
      filtered[T::ClPitchOrd - 1][i] = o.round(acc);
    }
    for (int i = T::ClPitchOrd - 2; i >= 0; --i) {
      filtered[i][0] = o.mult_r(delayed[i], 0x2000);
      for (int j = 1; j < T::SubFrLen; ++j)
        filtered[i][j] = o.round(o.L_mac(G7231BasicOps::L_deposit_h(filtered[i + 1][j - 1]), delayed[i], impulse[j]));
    }
    for (int i = 0; i < T::ClPitchOrd; ++i) {
      int32_t acc = 0;
      for (int j = 0; j < T::SubFrLen; ++j) acc = o.L_add(acc, o.L_shr(o.L_mult(target[j], filtered[i][j]), 1));
      *next++ = o.L_shl(acc, 1);
    }
    for (int i = 0; i < T::ClPitchOrd; ++i) {
      int32_t acc = 0;
      for (int j = 0; j < T::SubFrLen; ++j) acc = o.L_mac(acc, filtered[i][j], filtered[i][j]);
      *next++ = acc;
    }
    for (int i = 1; i < T::ClPitchOrd; ++i) {
      for (int j = 0; j < i; ++j) {
        int32_t acc = 0;
        for (int l = 0; l < T::SubFrLen; ++l) acc = o.L_add(acc, o.L_shr(o.L_mult(filtered[i][l], filtered[j][l]), 1));
        *next++ = o.L_shl(acc, 2);
      }
    }
  }

  int32_t largest = 0;
  for (int i = 0; i < candidates * kTerms; ++i) {
    const int32_t magnitude = G7231BasicOps::L_abs(correlations[i]);
    if (magnitude > largest) largest = magnitude;
  }
  const int16_t shift = G7231BasicOps::norm_l(largest);
  int16_t scaled[4 * kTerms];
  for (int i = 0; i < candidates * kTerms; ++i) scaled[i] = o.round(o.L_shl(correlations[i], shift));

  // Taming: a large estimated excitation error (or a steady tone) narrows the gain search.
  const int16_t margin = G7231Taming::searchMargin(o, coder, lag - T::Pstep, lag - T::Pstep + candidates - 1);
  int16_t bound[2];
  bound[0] = static_cast<int16_t>(T::NbFilt085_min + o.shl(margin, 2));
  if (bound[0] > T::NbFilt085) bound[0] = T::NbFilt085;
  bound[1] = static_cast<int16_t>(T::NbFilt170_min + o.shl(margin, 3));
  if (bound[1] > T::NbFilt170) bound[1] = T::NbFilt170;

  int32_t best = 0;
  for (int k = 0; k < candidates; ++k) {
    int codebook = 1;
    if (rate == 0) {
      const int tested = (sfc & 1) == 0 ? lag - T::Pstep + k : lag;
      codebook = tested >= T::SubFrLen - 2 ? 1 : 0;
    }
    const int16_t* entry = gainTable(codebook);
    for (int i = 0; i < bound[codebook]; ++i) {
      int32_t acc = 0;
      for (int j = 0; j < kTerms; ++j) acc = o.L_add(acc, o.L_shr(o.L_mult(scaled[k * kTerms + j], *entry++), 1));
      if (acc > best) {
        best = acc;
        bestGain = static_cast<int16_t>(i);
        bestOffset = static_cast<int16_t>(k);
      }
    }
  }

  if ((sfc & 1) == 0) {
    lag = static_cast<int16_t>(lag - T::Pstep + bestOffset);
    bestOffset = T::Pstep;
  }
  frame.subframes[sfc].lagOffset = bestOffset;
  frame.subframes[sfc].pitchGainIndex = bestGain;
  frame.openLoopLag[sfc >> 1] = lag;

  contribution(o, delayed, pastExcitation, lag, bestOffset, bestGain, rate);
  for (int i = 0; i < T::SubFrLen; ++i) {
    int32_t acc = o.L_shr(G7231BasicOps::L_deposit_h(target[i]), 1);
    for (int j = 0; j <= i; ++j) acc = o.L_msu(acc, delayed[j], impulse[i - j]);
    target[i] = o.round(o.L_shl(acc, 1));
  }
}
