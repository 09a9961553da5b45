#include "codec/g7231/G7231BasicOps.h"

int16_t G7231BasicOps::div_s(int16_t numerator, int16_t denominator) {
  if (numerator > denominator || numerator < 0 || denominator < 0) throw G7231ArithmeticError("Division Error");
  if (denominator == 0) throw G7231ArithmeticError("Division by 0, Fatal error");
  if (numerator == 0) return 0;
  if (numerator == denominator) return kMax16;
  int16_t quotient = 0;
  int32_t remainder = numerator;
  for (int step = 0; step < 15; ++step) {
    quotient = static_cast<int16_t>(quotient << 1);
    remainder <<= 1;
    if (remainder >= denominator) {
      remainder = L_sub(remainder, denominator);
      quotient = add(quotient, 1);
    }
  }
  return quotient;
}

int16_t G7231BasicOps::div_l(int32_t numerator, int16_t denominator) {
  if (denominator == 0) throw G7231ArithmeticError("Division by 0 in div_l, Fatal error");
  if (numerator < 0 || denominator < 0) throw G7231ArithmeticError("Division Error in div_l, Fatal error");
  int32_t shiftedDenominator = L_deposit_h(denominator);
  if (numerator >= shiftedDenominator) return kMax16;
  // From here nothing can saturate: the numerator stays below the halved denominator (< 2^30)
  // before each doubling, and the quotient below 2^15. Plain arithmetic gives the same bits; the
  // only trace of the operators is the flag, which a non-saturating add clears.
  numerator >>= 1;
  shiftedDenominator >>= 1;
  int16_t quotient = 0;
  bool added = false;
  for (int step = 0; step < 15; ++step) {
    quotient = static_cast<int16_t>(quotient << 1);
    numerator <<= 1;
    if (numerator >= shiftedDenominator) {
      numerator -= shiftedDenominator;
      ++quotient;
      added = true;
    }
  }
  if (added) m_saturated = false;
  return quotient;
}
