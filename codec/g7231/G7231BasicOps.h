#pragma once
// The saturating 16- and 32-bit fixed-point operators the G.723.1 arithmetic is defined with.
// Every result equals the standard's basic operators bit for bit; the only difference is that the
// saturation flag belongs to the object (one per context) instead of being process-wide, so any
// number of contexts can run at once. Nothing reads the flag; it is kept for fidelity and for
// diagnosis.
#include <cstdint>
#include <stdexcept>

// Raised by div_s and div_l on operands outside their domain. The coder never produces such
// operands; a context that meets one reports the frame as failed instead of ending the process.
class G7231ArithmeticError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class G7231BasicOps {
 public:
  static constexpr int16_t kMax16 = 32767;
  static constexpr int16_t kMin16 = -32768;
  static constexpr int32_t kMax32 = 2147483647;
  static constexpr int32_t kMin32 = -2147483647 - 1;

  int16_t saturationFlag() const { return m_saturated ? 1 : 0; }
  void clearSaturationFlag() { m_saturated = false; }

  // 16-bit operators. add, sub, mult and mult_r go through the saturate step, which also clears
  // the flag when the result fits.
  int16_t saturate(int32_t value) {
    if (value > kMax16) {
      m_saturated = true;
      return kMax16;
    }
    if (value < kMin16) {
      m_saturated = true;
      return kMin16;
    }
    m_saturated = false;
    return static_cast<int16_t>(value);
  }
  int16_t add(int16_t a, int16_t b) { return saturate(static_cast<int32_t>(a) + b); }
  int16_t sub(int16_t a, int16_t b) { return saturate(static_cast<int32_t>(a) - b); }
  static int16_t abs_s(int16_t a) { return a == kMin16 ? kMax16 : static_cast<int16_t>(a < 0 ? -a : a); }
  static int16_t negate(int16_t a) { return a == kMin16 ? kMax16 : static_cast<int16_t>(-a); }
  int16_t shl(int16_t value, int16_t count) {
    if (count < 0) return shr(value, static_cast<int16_t>(-count));
    if (count > 15) {
      if (value == 0) return 0;
      m_saturated = true;
      return value > 0 ? kMax16 : kMin16;
    }
    const int32_t shifted = static_cast<int32_t>(value) * (static_cast<int32_t>(1) << count);
    if (shifted != static_cast<int16_t>(shifted)) {
      m_saturated = true;
      return value > 0 ? kMax16 : kMin16;
    }
    return static_cast<int16_t>(shifted);
  }
  int16_t shr(int16_t value, int16_t count) {
    if (count < 0) return shl(value, static_cast<int16_t>(-count));
    if (count >= 15) return value < 0 ? -1 : 0;
    return static_cast<int16_t>(value >> count);
  }
  int16_t mult(int16_t a, int16_t b) {
    int32_t product = (static_cast<int32_t>(a) * b) >> 15;
    if (product & 0x00010000) product |= static_cast<int32_t>(0xffff0000u);
    return saturate(product);
  }
  int16_t mult_r(int16_t a, int16_t b) {
    int32_t product = ((static_cast<int32_t>(a) * b) + 0x4000) >> 15;
    if (product & 0x00010000) product |= static_cast<int32_t>(0xffff0000u);
    return saturate(product);
  }
  int16_t round(int32_t value) { return extract_h(L_add(value, 0x8000)); }
  static int16_t extract_h(int32_t value) { return static_cast<int16_t>(value >> 16); }
  static int16_t extract_l(int32_t value) { return static_cast<int16_t>(value); }
  static int16_t norm_s(int16_t value) {
    if (value == 0) return 0;
    if (value == -1) return 15;
    int32_t v = value < 0 ? ~static_cast<int32_t>(value) : value;
    int16_t shift = 0;
    while (v < 0x4000) {
      v <<= 1;
      ++shift;
    }
    return shift;
  }
  static int16_t norm_l(int32_t value) {
    if (value == 0) return 0;
    if (value == -1) return 31;
    int64_t v = value < 0 ? ~static_cast<int64_t>(value) : value;
    int16_t shift = 0;
    while (v < 0x40000000) {
      v <<= 1;
      ++shift;
    }
    return shift;
  }

  // 32-bit operators.
  int32_t L_mult(int16_t a, int16_t b) {
    const int32_t product = static_cast<int32_t>(a) * b;
    if (product == 0x40000000) {
      m_saturated = true;
      return kMax32;
    }
    return product * 2;
  }
  int32_t L_add(int32_t a, int32_t b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    if (sum > kMax32) {
      m_saturated = true;
      return kMax32;
    }
    if (sum < kMin32) {
      m_saturated = true;
      return kMin32;
    }
    return static_cast<int32_t>(sum);
  }
  int32_t L_sub(int32_t a, int32_t b) {
    const int64_t difference = static_cast<int64_t>(a) - b;
    if (difference > kMax32) {
      m_saturated = true;
      return kMax32;
    }
    if (difference < kMin32) {
      m_saturated = true;
      return kMin32;
    }
    return static_cast<int32_t>(difference);
  }
  int32_t L_mac(int32_t acc, int16_t a, int16_t b) { return L_add(acc, L_mult(a, b)); }
  int32_t L_msu(int32_t acc, int16_t a, int16_t b) { return L_sub(acc, L_mult(a, b)); }
  static int32_t L_negate(int32_t value) { return value == kMin32 ? kMax32 : -value; }
  static int32_t L_abs(int32_t value) { return value == kMin32 ? kMax32 : (value < 0 ? -value : value); }
  int32_t L_shl(int32_t value, int16_t count) {
    if (count <= 0) return L_shr(value, static_cast<int16_t>(-count));
    // Doubling step by step saturates exactly when the value lies beyond the range shifted down.
    if (count >= 31) {
      if (value == 0) return 0;
      m_saturated = true;
      return value > 0 ? kMax32 : kMin32;
    }
    if (value > (kMax32 >> count)) {
      m_saturated = true;
      return kMax32;
    }
    if (value < (kMin32 >> count)) {
      m_saturated = true;
      return kMin32;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value) << count);
  }
  int32_t L_shr(int32_t value, int16_t count) {
    if (count < 0) return L_shl(value, static_cast<int16_t>(-count));
    if (count >= 31) return value < 0 ? -1 : 0;
    return value >> count;
  }
  static int32_t L_deposit_h(int16_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(value)) << 16); }
  static int32_t L_deposit_l(int16_t value) { return value; }
  // 32-bit by 16-bit fractional product of the G.723.1 coder.
  int32_t L_mls(int32_t value, int16_t factor) {
    int32_t low = (value & 0x0000ffff) * static_cast<int32_t>(factor);
    low = L_shr(low, 15);
    return L_mac(low, factor, extract_h(value));
  }

  // acc followed by n L_mac (or L_msu) steps with a[j] x b[j], j = 0..n-1, in that order. When no
  // partial sum can leave the 32-bit range the steps are summed at once (the common case);
  // otherwise they run one by one, saturating exactly as the single steps do.
  int32_t L_mac_n(int32_t acc, const int16_t* a, const int16_t* b, int n) { return macChain(acc, a, b, n, 1); }
  int32_t L_msu_n(int32_t acc, const int16_t* a, const int16_t* b, int n) { return macChain(acc, a, b, n, -1); }

  // The products a[j] x b[j] (n <= 256) summed in 32 bits, and a bound on their magnitudes: the
  // sum of (|product| >> 8) + 1. When chainFits(acc, reach) no partial sum of the L_mac / L_msu
  // chain can saturate, and then the 32-bit sum is exact.
  struct ChainSums {
    int32_t sum;
    int32_t reach;
  };
  static ChainSums chainSums(const int16_t* a, const int16_t* b, int n) {
    uint32_t sum = 0;
    int32_t reach = 0;
    for (int j = 0; j < n; ++j) {
      const int32_t product = static_cast<int32_t>(a[j]) * b[j];
      sum += static_cast<uint32_t>(product);
      reach += ((product < 0 ? -product : product) >> 8) + 1;
    }
    return {static_cast<int32_t>(sum), reach};
  }
  static bool chainFits(int32_t acc, int32_t reach) {
    const int64_t start = acc < 0 ? -static_cast<int64_t>(acc) : acc;
    return start + 512 * static_cast<int64_t>(reach) <= kMax32;
  }

  // Fractional divisions; operands outside the domain raise G7231ArithmeticError.
  int16_t div_s(int16_t numerator, int16_t denominator);
  int16_t div_l(int32_t numerator, int16_t denominator);

 private:
  int32_t macChain(int32_t acc, const int16_t* a, const int16_t* b, int n, int sign) {
    const ChainSums sums = chainSums(a, b, n);
    if (chainFits(acc, sums.reach)) return static_cast<int32_t>(acc + sign * 2 * static_cast<int64_t>(sums.sum));
    for (int j = 0; j < n; ++j) acc = sign > 0 ? L_mac(acc, a[j], b[j]) : L_msu(acc, a[j], b[j]);
    return acc;
  }

  // bool rather than int16_t: stores to the sample arrays then cannot alias the flag, so it can
  // stay in a register through the inner loops.
  bool m_saturated = false;
};
