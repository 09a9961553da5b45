#include "player/decode/InputClock.h"

#include <cstdlib>

#include "technic/SaturatingMath.h"

namespace {

constexpr int64_t kDriftInterval = 200000;        // between two drift samples
constexpr int64_t kNotLiveDrift = -1000000;       // a first drift sample below this: maybe not live
constexpr int64_t kDecreaseWindow = 60000000;     // a window without late frames lowers the delay
constexpr int64_t kDecreaseStep = 10000;          // per pushed frame while lowering
constexpr int kMinRate = 32;
constexpr int kMaxRate = 32000;
constexpr int kMinSampleCount = 10;

void clearAverage(input_clock_average* average) {
  average->value = 0;
  average->residue = 0;
  average->count = 0;
}

}  // namespace

input_clock* input_clock_Create(int rate, int sampleCount) {
  auto* clock = static_cast<input_clock*>(std::calloc(1, sizeof(input_clock)));
  if (clock == nullptr) return nullptr;
  clock->rate = rate;
  clock->drift.divider = sampleCount < kMinSampleCount ? kMinSampleCount : sampleCount;
  return clock;
}

void input_clock_Delete(input_clock* clock) { std::free(clock); }

int64_t input_clock_StreamToSystem(const input_clock* clock, int64_t stream) {
  if (!clock->hasReference) return 0;
  return saturating::add(saturating::scale(saturating::sub(stream, clock->ref.stream), clock->rate, 1000),
                         clock->ref.system);
}

int64_t input_clock_SystemToStream(const input_clock* clock, int64_t system) {
  return saturating::add(saturating::scale(saturating::sub(system, clock->ref.system), 1000, clock->rate),
                         clock->ref.stream);
}

void input_clock_AverageUpdate(input_clock_average* average, int64_t value) {
  const int f0 = average->divider - 1 < average->count ? average->divider - 1 : average->count;
  const int f1 = average->divider - f0;
  const int64_t t = saturating::add(saturating::add(saturating::mul(f0, average->value), saturating::mul(f1, value)),
                                    average->residue);
  average->value = t / average->divider;
  average->residue = t % average->divider;
  average->count++;
}

void input_clock_Update(input_clock* clock, bool* late, bool canPace, int64_t stream, int64_t system) {
  if (!clock->hasReference) {
    clock->nextDriftUpdate = 0;
    clearAverage(&clock->drift);
    clock->ref = {stream, system};
    clock->hasReference = true;
  }
  if (!canPace && system > clock->nextDriftUpdate && !clock->mayBeNotLive) {
    const int64_t old = clock->drift.value;
    input_clock_AverageUpdate(&clock->drift, saturating::sub(input_clock_SystemToStream(clock, system), stream));
    clock->nextDriftUpdate = saturating::add(system, kDriftInterval);
    if (old == 0 && clock->drift.value < kNotLiveDrift) {
      clock->mayBeNotLive = true;
      clearAverage(&clock->drift);
    }
  }
  clock->last = {stream, system};

  const int64_t expected = input_clock_StreamToSystem(clock, saturating::add(stream, clock->drift.value));
  const int64_t lateness = saturating::sub(saturating::sub(system, expected), clock->pts_delay);
  if (late != nullptr) *late = lateness > 0;
  if (lateness > 0) {
    clock->late[clock->lateIndex] = lateness;
    clock->lateIndex = (clock->lateIndex + 1) % 3;
  }
  if (canPace) return;

  if (clock->decreasing) {
    if (clock->pts_delay <= clock->decreaseTarget) {
      clock->pts_delay = clock->decreaseTarget;
      clock->decreasing = false;
    } else {
      clock->pts_delay -= kDecreaseStep;
    }
  }
  if (system > clock->windowEnd) {
    if (clock->windowEnd != 0 && !clock->lateSeen && !clock->decreasing) {
      clock->decreaseTarget = clock->pts_delay / 2;
      if (clock->decreaseTarget < clock->minEarly && clock->minEarly < 4 * clock->pts_delay) {
        clock->decreasing = true;
      }
    }
    clock->windowEnd = saturating::add(system, kDecreaseWindow);
    clock->lateSeen = false;
    clock->minEarly = 0;
    return;
  }
  if (!clock->lateSeen) {
    if (lateness >= 0) {
      clock->lateSeen = true;
      clock->decreasing = false;
    } else {
      const int64_t earliness = saturating::sub(0, lateness);
      if (clock->minEarly == 0 || earliness < clock->minEarly) clock->minEarly = earliness;
    }
  }
}

void input_clock_Reset(input_clock* clock) {
  clock->ref = {0, 0};
  clock->hasReference = false;
  clock->mayBeNotLive = false;
  clock->windowEnd = 0;
  clock->minEarly = 0;
  clock->decreaseTarget = 0;
  clock->lateSeen = false;
  clock->decreasing = false;
}

int input_clock_ConvertTS(input_clock* clock, int64_t* ts) {
  if (!clock->hasReference) {
    *ts = 0;
    return -1;
  }
  if (*ts <= 0) return 0;
  *ts = saturating::add(input_clock_StreamToSystem(clock, saturating::add(*ts, clock->drift.value)), clock->pts_delay);
  return 0;
}

void input_clock_ChangeRate(input_clock* clock, int rate) {
  if (rate < kMinRate || rate > kMaxRate) return;
  if (clock->hasReference) {
    const int64_t pivot = (clock->lastOut.stream != 0 || clock->lastOut.system != 0) ? clock->lastOut.system
                                                                                    : clock->last.system;
    clock->ref.system = saturating::sub(pivot, saturating::scale(saturating::sub(pivot, clock->ref.system), rate, clock->rate));
  }
  clock->rate = rate;
}

void input_clock_ChangePause(input_clock* clock, bool paused, int64_t date) {
  if (clock->paused && clock->hasReference && date > clock->pauseDate) {
    const int64_t d = date - clock->pauseDate;
    clock->ref.system += d;
    clock->last.system += d;
    if (clock->lastOut.system != 0) clock->lastOut.system += d;
  }
  clock->pauseDate = date;
  clock->paused = paused;
}

void input_clock_SetJitter(input_clock* clock, int64_t ptsDelay, int sampleCount) {
  const int64_t delta = ptsDelay - clock->pts_delay;
  int64_t shifted[3];
  for (int i = 1; i <= 3; ++i) {
    const int64_t v = saturating::sub(clock->late[(clock->lateIndex + i) % 3], delta);
    shifted[i - 1] = v > 0 ? v : 0;
  }
  clock->late[0] = clock->late[1] = clock->late[2] = 0;
  clock->lateIndex = 0;
  for (int64_t v : shifted) {
    if (v <= 0) continue;
    clock->late[clock->lateIndex] = v;
    clock->lateIndex = (clock->lateIndex + 1) % 3;
  }
  if (ptsDelay > clock->pts_delay) clock->pts_delay = ptsDelay;

  const int divider = sampleCount < kMinSampleCount ? kMinSampleCount : sampleCount;
  if (divider != clock->drift.divider) {
    const int64_t t = saturating::add(saturating::mul(clock->drift.value, clock->drift.divider), clock->drift.residue);
    clock->drift.value = t / divider;
    clock->drift.residue = t % divider;
    clock->drift.divider = divider;
  }
}

int64_t input_clock_GetJitter(const input_clock* clock) {
  // The median of the three late values (their sum less the largest and the smallest, without the
  // sum's overflow).
  const int64_t a = clock->late[0], b = clock->late[1], c = clock->late[2];
  const int64_t low = a < b ? a : b, high = a < b ? b : a;
  const int64_t upper = high < c ? high : c;
  const int64_t median = low > upper ? low : upper;
  return saturating::add(clock->pts_delay, median);
}
