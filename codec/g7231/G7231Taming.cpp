#include "codec/g7231/G7231Taming.h"

#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

int16_t G7231Taming::searchMargin(G7231BasicOps& o, const G7231CoderState& coder, int firstLag, int lastLag) {
  const int16_t lastZone = o.mult(static_cast<int16_t>(lastLag + T::ClPitchOrd / 2), 1092);
  int first = -T::SubFrLen + 1 + firstLag - T::ClPitchOrd / 2;
  if (first <= 0) first = 1;
  const int16_t firstZone = o.mult(static_cast<int16_t>(first), 1092);
  int32_t largest = -1;
  for (int i = lastZone; i >= firstZone; --i)
    if (o.L_sub(coder.Err[i], largest) > 0) largest = coder.Err[i];
  int32_t excess = o.L_sub(largest, T::ThreshErr);
  if (excess > 0 || coder.SinDet < 0) return 0;
  excess = o.L_shr(G7231BasicOps::L_negate(excess), T::DEC);
  return G7231BasicOps::extract_l(excess);
}

void G7231Taming::update(G7231BasicOps& o, G7231CoderState& coder, int16_t openLoopLag, int16_t lagOffset,
                         int16_t gainIndex, int rate) {
  const int16_t lag = static_cast<int16_t>(openLoopLag - T::Pstep + lagOffset);
  const int16_t* gains = T::tabgain85;
  if (rate != 0 || openLoopLag >= T::SubFrLen - 2) gains = T::tabgain170;
  const int16_t beta = gains[gainIndex];
  auto grown = [&](int32_t error) { return o.L_add(T::Err0, o.L_shl(o.L_mls(error, beta), 2)); };

  int32_t worst0;
  int32_t worst1;
  if (lag <= T::SubFrLen / 2) {
    worst0 = grown(coder.Err[0]);
    worst1 = worst0;
  } else {
    const int16_t zone = o.mult(lag, 1092);  // lag / 30
    const int16_t next = o.add(zone, 1);
    const int16_t boundary = o.sub(o.shl(next, 5), o.shl(next, 1));
    if (boundary != lag) {
      if (zone == 1) {
        worst0 = grown(coder.Err[0]);
        worst1 = grown(coder.Err[1]);
        if (worst0 > worst1)
          worst1 = worst0;
        else
          worst0 = worst1;
      } else {
        worst0 = grown(coder.Err[zone - 2]);
        const int32_t middle = grown(coder.Err[zone - 1]);
        if (middle > worst0) worst0 = middle;
        worst1 = grown(coder.Err[zone]);
        if (middle > worst1) worst1 = middle;
      }
    } else {
      worst0 = grown(coder.Err[zone - 1]);
      worst1 = grown(coder.Err[zone]);
    }
  }
  for (int i = 4; i >= 2; --i) coder.Err[i] = coder.Err[i - 2];
  coder.Err[0] = worst0;
  coder.Err[1] = worst1;
}
