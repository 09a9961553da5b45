#include "codec/g7231/G7231FixedCodebook.h"

#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

namespace {

// One candidate pulse vector of the multipulse search.
struct PulseCandidate {
  int32_t score;
  int16_t grid;
  int16_t gainIndex;
  int16_t train;
  int16_t position[T::MaxPulseNum];
  int16_t amplitude[T::MaxPulseNum];
};

// Tries both grids and the four gains around the best single-pulse gain for one impulse response
// (with or without the pulse train); keeps the best in best.
void findBestPulses(G7231BasicOps& o, PulseCandidate& best, const int16_t* target, const int16_t* impulse, int pulses,
                    int16_t lag) {
  PulseCandidate trial;
  int16_t response[T::SubFrLen];
  if (lag < T::SubFrLen - 2) {
    trial.train = 1;
    G7231FixedCodebook::repeatAtLag(o, response, impulse, lag);
  } else {
    trial.train = 0;
    for (int i = 0; i < T::SubFrLen; ++i) response[i] = impulse[i];
  }

  int16_t work[T::SubFrLen];
  for (int i = 0; i < T::SubFrLen; ++i) work[i] = o.shr(response[i], 1);
  int16_t autocorrelation[T::SubFrLen];
  int32_t acc = 0;
  for (int i = 0; i < T::SubFrLen; ++i) acc = o.L_mac(acc, work[i], work[i]);
  int16_t shift = G7231BasicOps::norm_l(acc);
  autocorrelation[0] = o.round(o.L_shl(acc, shift));
  for (int i = 1; i < T::SubFrLen; ++i) {
    acc = 0;
    for (int j = i; j < T::SubFrLen; ++j) acc = o.L_mac(acc, work[j], work[j - i]);
    autocorrelation[i] = o.round(o.L_shl(acc, shift));
  }
  int32_t cross[T::SubFrLen];
  shift = o.sub(shift, 4);
  for (int i = 0; i < T::SubFrLen; ++i) {
    acc = 0;
    for (int j = i; j < T::SubFrLen; ++j) acc = o.L_mac(acc, target[j], response[j - i]);
    cross[i] = o.L_shl(acc, shift);
  }

  int32_t residual[T::SubFrLen];
  for (int grid = 0; grid < T::Sgrid; ++grid) {
    trial.grid = static_cast<int16_t>(grid);
    int32_t peak = 0;
    for (int i = grid; i < T::SubFrLen; i += T::Sgrid) {
      const int32_t magnitude = G7231BasicOps::L_abs(cross[i]);
      if (magnitude >= peak) {
        peak = magnitude;
        trial.position[0] = static_cast<int16_t>(i);
      }
    }
    // Gain level nearest to the single best pulse.
    int32_t nearest = 0x40000000;
    int16_t level = T::NumOfGainLev - T::MlqSteps;
    for (int i = level; i >= T::MlqSteps; --i) {
      const int32_t distance =
          G7231BasicOps::L_abs(o.L_sub(o.L_mult(T::FcbkGainTable[i], autocorrelation[0]), peak));
      if (distance < nearest) {
        nearest = distance;
        level = static_cast<int16_t>(i);
      }
    }
    --level;

    for (int step = 1; step <= 2 * T::MlqSteps; ++step) {
      for (int j = grid; j < T::SubFrLen; j += T::Sgrid) {
        residual[j] = cross[j];
        work[j] = 0;
      }
      trial.gainIndex = static_cast<int16_t>(level - T::MlqSteps + step);
      const int16_t amplitude = T::FcbkGainTable[trial.gainIndex];
      trial.amplitude[0] = residual[trial.position[0]] >= 0 ? amplitude : G7231BasicOps::negate(amplitude);
      work[trial.position[0]] = 1;
      for (int j = 1; j < pulses; ++j) {
        int32_t strongest = static_cast<int32_t>(0xc0000000u);
        for (int l = grid; l < T::SubFrLen; l += T::Sgrid) {
          if (work[l] != 0) continue;
          residual[l] = o.L_msu(residual[l], trial.amplitude[j - 1],
                                autocorrelation[G7231BasicOps::abs_s(static_cast<int16_t>(l - trial.position[j - 1]))]);
          const int32_t magnitude = G7231BasicOps::L_abs(residual[l]);
          if (magnitude > strongest) {
            strongest = magnitude;
            trial.position[j] = static_cast<int16_t>(l);
          }
        }
        trial.amplitude[j] = residual[trial.position[j]] >= 0 ? amplitude : G7231BasicOps::negate(amplitude);
        work[trial.position[j]] = 1;
      }

      // Filter the pulse vector and score it against the target.
      for (int j = 0; j < T::SubFrLen; ++j) work[j] = 0;
      for (int j = 0; j < pulses; ++j) work[trial.position[j]] = trial.amplitude[j];
      for (int l = T::SubFrLen - 1; l >= 0; --l) {
        acc = 0;
        for (int j = 0; j <= l; ++j) acc = o.L_mac(acc, work[j], response[l - j]);
        work[l] = G7231BasicOps::extract_h(o.L_shl(acc, 2));
      }
      int32_t score = 0;
      for (int j = 0; j < T::SubFrLen; ++j) {
        score = o.L_mac(score, target[j], work[j]);
        score = o.L_sub(score, o.L_shr(o.L_mult(work[j], work[j]), 1));
      }
      if (score > best.score) {
        best.score = score;
        best.grid = trial.grid;
        best.gainIndex = trial.gainIndex;
        best.train = trial.train;
        for (int j = 0; j < pulses; ++j) {
          best.amplitude[j] = trial.amplitude[j];
          best.position[j] = trial.position[j];
        }
      }
    }
  }
}

}  // namespace

void G7231FixedCodebook::repeatAtLag(G7231BasicOps& o, int16_t* dst, const int16_t* src, int16_t lag) {
  int16_t original[T::SubFrLen];
  for (int i = 0; i < T::SubFrLen; ++i) {
    original[i] = src[i];
    dst[i] = src[i];
  }
  for (int16_t delay = lag; delay < T::SubFrLen; delay = o.add(delay, lag))
    for (int i = delay; i < T::SubFrLen; ++i) dst[i] = o.add(dst[i], original[i - delay]);
}

int16_t G7231FixedCodebook::sharpeningLag(int16_t lag, int16_t gainIndex, int16_t& gain) {
  gain = T::gain170[gainIndex];
  return static_cast<int16_t>(lag + T::epsi170[gainIndex]);
}

void G7231FixedCodebook::decode(G7231BasicOps& o, int16_t* out, const G7231SubframeParams& params,
                                int16_t openLoopLag, int sfc, int rate) {
  if (rate == 0) {
    for (int i = 0; i < T::SubFrLen; ++i) out[i] = 0;
    if (params.pulsePositions >= T::MaxPosTable[sfc]) return;
    int used = T::MaxPulseNum - T::Nb_puls[sfc];
    int32_t rest = params.pulsePositions;
    for (int i = 0; i < T::SubFrLen / T::Sgrid; ++i) {
      rest = o.L_sub(rest, T::CombinatorialTable[used][i]);
      if (rest < 0) {
        rest = o.L_add(rest, T::CombinatorialTable[used][i]);
        ++used;
        const int16_t amplitude = T::FcbkGainTable[params.fixedGainIndex];
        const bool negative = (params.pulseSigns & (1 << (T::MaxPulseNum - used))) != 0;
        out[params.grid + T::Sgrid * i] = negative ? static_cast<int16_t>(-amplitude) : amplitude;
        if (used == T::MaxPulseNum) break;
      }
    }
    if (params.pulseTrain == 1) repeatAtLag(o, out, out, openLoopLag);
    return;
  }

  // 5.3 kbit/s: four pulses, each on its own track of eight positions, all shifted by the grid.
  int16_t pulses[T::SubFrLen + 4] = {};
  const int16_t amplitude = T::FcbkGainTable[params.fixedGainIndex];
  int16_t positions = static_cast<int16_t>(params.pulsePositions);
  int16_t signs = params.pulseSigns;
  int16_t track = 0;
  for (int i = 0; i < 4; ++i) {
    const int position = o.shl(static_cast<int16_t>(positions & 7), 3) + params.grid + track;
    pulses[position] = (signs & 1) == 1 ? amplitude : static_cast<int16_t>(-amplitude);
    track = o.add(track, 2);
    positions = o.shr(positions, 3);
    signs = o.shr(signs, 1);
  }
  for (int i = 0; i < T::SubFrLen; ++i) out[i] = pulses[i];
  int16_t gain = 0;
  const int16_t lag =
      sharpeningLag(static_cast<int16_t>(openLoopLag - 1 + params.lagOffset), params.pitchGainIndex, gain);
  if (lag < T::SubFrLen - 2)
    for (int i = lag; i < T::SubFrLen; ++i) out[i] = o.add(out[i], o.mult(out[i - lag], gain));
}

void G7231FixedCodebook::search(G7231BasicOps& o, int16_t* target, const int16_t* impulse,
                                G7231SubframeParams& params, int16_t openLoopLag, int sfc) {
  const int pulses = T::Nb_puls[sfc];
  PulseCandidate best;
  best.score = static_cast<int32_t>(0xc0000000u);
  best.grid = 0;
  best.gainIndex = 0;
  best.train = 0;
  findBestPulses(o, best, target, impulse, pulses, T::SubFrLen);
  if (openLoopLag < T::SubFrLen - 2) findBestPulses(o, best, target, impulse, pulses, openLoopLag);

  for (int i = 0; i < T::SubFrLen; ++i) target[i] = 0;
  for (int i = 0; i < pulses; ++i) target[best.position[i]] = best.amplitude[i];

  // Combinatorial code of the occupied grid positions, signs in order of position.
  int used = T::MaxPulseNum - pulses;
  params.pulseSigns = 0;
  params.pulsePositions = 0;
  for (int i = 0; i < T::SubFrLen / T::Sgrid; ++i) {
    const int16_t value = target[best.grid + T::Sgrid * i];
    if (value == 0) {
      params.pulsePositions = o.L_add(params.pulsePositions, T::CombinatorialTable[used][i]);
    } else {
      params.pulseSigns = o.shl(params.pulseSigns, 1);
      if (value < 0) params.pulseSigns = o.add(params.pulseSigns, 1);
      if (++used == T::MaxPulseNum) break;
    }
  }
  params.fixedGainIndex = best.gainIndex;
  params.grid = best.grid;
  params.pulseTrain = best.train;
  if (best.train == 1) repeatAtLag(o, target, target, openLoopLag);
}
