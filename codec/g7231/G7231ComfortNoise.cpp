#include "codec/g7231/G7231ComfortNoise.h"

#include "codec/g7231/G7231AdaptiveCodebook.h"
#include "codec/g7231/G7231Lsp.h"
#include "codec/g7231/G7231SignalTools.h"
#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

namespace {

// A number in [0, limit - 1] from the generator.
int16_t randomBelow(G7231BasicOps& o, int16_t limit, int16_t& seed) {
  const int16_t value = static_cast<int16_t>(G7231SignalTools::random(seed) & 0x7fff);
  return o.mult(value, limit);
}

}  // namespace

void G7231ComfortNoise::decodeFrame(G7231BasicOps& o, int frameType, G7231FrameParams& frame, int16_t* excitation,
                                    int16_t* lpc, G7231DecoderCngState& cng, G7231DecoderState& decoder, int rate) {
  if (frameType == 2) {
    cng.SidGain = decodeGain(o, frame.subframes[0].fixedGainIndex);
    G7231Lsp::decode(o, cng.LspSid, decoder.PrevLsp, frame.lspIndex, 0);
  } else if (cng.PastFtyp == 1) {
    // The SID frame that should have opened this silence is missing: use the level of the speech.
    cng.SidGain = decodeGain(o, quantizeGain(o, cng.SidGain, cng.CurGain));
  }
  if (cng.PastFtyp == 1)
    cng.CurGain = cng.SidGain;
  else
    cng.CurGain = G7231BasicOps::extract_h(o.L_add(o.L_mult(cng.CurGain, 0x7000), o.L_mult(cng.SidGain, 0x1000)));
  randomExcitation(o, cng.CurGain, decoder.PrevExc, excitation, cng.RandSeed, frame, rate);
  G7231Lsp::interpolate(o, lpc, cng.LspSid, decoder.PrevLsp);
  for (int i = 0; i < T::LpcOrder; ++i) decoder.PrevLsp[i] = cng.LspSid[i];
}

int16_t G7231ComfortNoise::quantizeGain(G7231BasicOps& o, int16_t energy, int16_t shift) {
  const int16_t scaleShift = o.sub(16, o.shl(shift, 1));
  const int32_t level = o.L_mls(o.L_shl(G7231BasicOps::L_deposit_l(energy), scaleShift), T::fact[0]);

  if (level >= T::L_bseg[2]) return 63;
  int16_t segment;
  int16_t steps;
  if (level >= T::L_bseg[1]) {
    segment = 2;
    steps = 4;
  } else {
    steps = 3;
    segment = level >= T::L_bseg[0] ? 1 : 0;
  }
  const int16_t segmentShift = o.add(segment, 1);
  int16_t j = o.shl(1, steps);
  int16_t k = o.shr(j, 1);
  auto squaredLevel = [&](int16_t index) {
    const int16_t value = o.add(T::base[segment], o.shl(index, segmentShift));
    return o.L_mult(value, value);
  };
  for (int i = 0; i < steps; ++i) {
    if (level >= squaredLevel(j))
      j = o.add(j, k);
    else
      j = o.sub(j, k);
    k = o.shr(k, 1);
  }
  const int32_t above = o.L_sub(squaredLevel(j), level);
  if (above <= 0) {
    const int16_t up = o.add(j, 1);
    const int32_t below = o.L_sub(level, squaredLevel(up));
    return above > below ? o.add(o.shl(segment, 4), j) : o.add(o.shl(segment, 4), up);
  }
  const int16_t down = o.sub(j, 1);
  const int32_t below = o.L_sub(level, squaredLevel(down));
  return above < below ? o.add(o.shl(segment, 4), j) : o.add(o.shl(segment, 4), down);
}

int16_t G7231ComfortNoise::decodeGain(G7231BasicOps& o, int16_t index) {
  int16_t segment = o.shr(index, 4);
  if (segment == 3) segment = 2;
  const int16_t step = o.sub(index, o.shl(segment, 4));
  int16_t gain = o.shl(step, o.add(segment, 1));
  gain = o.add(gain, T::base[segment]);
  return o.shl(gain, 5);
}

void G7231ComfortNoise::randomExcitation(G7231BasicOps& o, int16_t gain, int16_t* pastExcitation, int16_t* excitation,
                                         int16_t& seed, G7231FrameParams& frame, int rate) {
  frame.openLoopLag[0] = static_cast<int16_t>(randomBelow(o, 21, seed) + 123);
  frame.openLoopLag[1] = static_cast<int16_t>(randomBelow(o, 19, seed) + 123);
  for (auto& subframe : frame.subframes)
    subframe.pitchGainIndex = static_cast<int16_t>(randomBelow(o, T::NbFilt, seed) + 1);
  frame.subframes[0].lagOffset = 1;
  frame.subframes[1].lagOffset = 0;
  frame.subframes[2].lagOffset = 1;
  frame.subframes[3].lagOffset = 3;

  // Grids and signs: one random word per pair of subframes.
  int16_t signs[2 * T::NbPulsBlk];
  int16_t offsets[T::SubFrames];
  int16_t* nextSign = signs;
  int16_t* nextOffset = offsets;
  for (int block = 0; block < T::SubFrames / 2; ++block) {
    int16_t bits = randomBelow(o, 1 << (T::NbPulsBlk + 2), seed);
    *nextOffset++ = static_cast<int16_t>(bits & 1);
    bits = o.shr(bits, 1);
    *nextOffset++ = o.add(T::SubFrLen, static_cast<int16_t>(bits & 1));
    for (int i = 0; i < T::NbPulsBlk; ++i) {
      *nextSign++ = o.shl(o.sub(static_cast<int16_t>(bits & 2), 1), 14);
      bits = o.shr(bits, 1);
    }
  }

  // Positions: drawn without repetition from the subframe's grid.
  int16_t positions[2 * T::NbPulsBlk];
  int16_t* nextPosition = positions;
  for (int sfc = 0; sfc < T::SubFrames; ++sfc) {
    int16_t free[T::SubFrLen / T::Sgrid];
    for (int i = 0; i < T::SubFrLen / T::Sgrid; ++i) free[i] = static_cast<int16_t>(i);
    int16_t left = T::SubFrLen / T::Sgrid;
    for (int i = 0; i < T::Nb_puls[sfc]; ++i) {
      const int16_t pick = randomBelow(o, left, seed);
      *nextPosition++ = o.add(o.shl(free[pick], 1), offsets[sfc]);
      left = o.sub(left, 1);
      free[pick] = free[left];
    }
  }

  // Per pair of subframes: pitch part from the past excitation, then pulses whose gain makes the
  // block's energy match the target.
  const int16_t* position = positions;
  const int16_t* sign = signs;
  int16_t* block = excitation;
  for (int pair = 0; pair < T::SubFrames / 2; ++pair) {
    const int sfc = 2 * pair;
    G7231AdaptiveCodebook::contribution(o, block, pastExcitation, frame.openLoopLag[pair],
                                        frame.subframes[sfc].lagOffset, frame.subframes[sfc].pitchGainIndex, rate);
    G7231AdaptiveCodebook::contribution(o, block + T::SubFrLen, pastExcitation + T::SubFrLen, frame.openLoopLag[pair],
                                        frame.subframes[sfc + 1].lagOffset, frame.subframes[sfc + 1].pitchGainIndex,
                                        rate);
    int16_t peak = 0;
    for (int i = 0; i < T::SubFrLenD; ++i) {
      const int16_t magnitude = G7231BasicOps::abs_s(block[i]);
      if (magnitude > peak) peak = magnitude;
    }
    int16_t shift = 0;
    if (peak != 0) {
      shift = o.sub(4, G7231BasicOps::norm_s(peak));
      if (shift < -2) shift = -2;
    }
    int32_t pitchEnergy = 0;
    int16_t scaled[T::SubFrLenD];
    for (int i = 0; i < T::SubFrLenD; ++i) {
      scaled[i] = o.shr(block[i], shift);
      pitchEnergy = o.L_mac(pitchEnergy, scaled[i], scaled[i]);
    }
    int32_t acc = 0;
    for (int i = 0; i < T::NbPulsBlk; ++i) acc = o.L_mac(acc, scaled[position[i]], sign[i]);
    const int16_t crossTerm = G7231BasicOps::extract_h(o.L_shl(acc, 1));

    acc = o.L_shr(o.L_mult(gain, T::SubFrLen), 6);
    acc = o.L_mult(G7231BasicOps::extract_l(acc), gain);
    acc = o.L_shr(acc, o.add(o.shl(shift, 1), 4));
    acc = o.L_sub(pitchEnergy, acc);
    const int32_t c = o.L_mls(acc, T::InvNbPulsBlk);

    // Root of x^2 + 2 b x + c with the smaller magnitude.
    const int16_t b = o.mult_r(crossTerm, T::InvNbPulsBlk);
    acc = G7231BasicOps::L_negate(o.L_msu(c, b, b));
    int16_t root;
    if (acc <= 0) {
      root = G7231BasicOps::negate(b);
    } else {
      const int16_t delta = G7231SignalTools::squareRoot(o, acc);
      root = o.sub(delta, b);
      const int16_t other = o.add(b, delta);
      if (G7231BasicOps::abs_s(other) < G7231BasicOps::abs_s(root)) root = G7231BasicOps::negate(other);
    }
    shift = o.add(shift, 1);
    int16_t pulseGain = o.shl(root, shift);
    if (pulseGain > 2 * T::Gexc_Max) pulseGain = 2 * T::Gexc_Max;
    if (pulseGain < -2 * T::Gexc_Max) pulseGain = -2 * T::Gexc_Max;
    for (int i = 0; i < T::NbPulsBlk; ++i) {
      const int16_t at = *position++;
      block[at] = o.add(block[at], o.mult(pulseGain, *sign++));
    }

    for (int i = T::SubFrLenD; i < T::PitchMax; ++i) pastExcitation[i - T::SubFrLenD] = pastExcitation[i];
    for (int i = 0; i < T::SubFrLenD; ++i) pastExcitation[T::PitchMax - T::SubFrLenD + i] = block[i];
    block += T::SubFrLenD;
  }
}
