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
  numerator = L_shr(numerator, 1);
  shiftedDenominator = L_shr(shiftedDenominator, 1);
  int16_t quotient = 0;
  for (int step = 0; step < 15; ++step) {
    quotient = shl(quotient, 1);
    numerator = L_shl(numerator, 1);
    if (numerator >= shiftedDenominator) {
      numerator = L_sub(numerator, shiftedDenominator);
      quotient = add(quotient, 1);
    }
  }
  return quotient;
}
