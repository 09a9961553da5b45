#pragma once
#include <cstdint>

// Reads the bits of one unit's payload, most significant bit of each byte first. A read that would
// need a bit beyond the end fails: the position stays where it was, the result is 0, and failed()
// reports it from then on.
class BitReader {
 public:
  // The longest zero run an exp-Golomb code word of a 32-bit value can have.
  static constexpr int kMaxExpGolombZeros = 31;

  BitReader(const unsigned char* data, int length);

  uint32_t readBits(int count);  // u(n), n from 1 to 32
  uint32_t readFlag();           // u(1)
  uint32_t readUe();             // ue(v)
  int32_t readSe();              // se(v)

  bool failed() const { return m_failed; }
  int64_t bitPosition() const { return m_bitPosition; }
  int64_t bitsLeft() const { return static_cast<int64_t>(m_length) * 8 - m_bitPosition; }

 private:
  unsigned bitAt(int64_t position) const;
  // The code number of the exp-Golomb word at the position, moving past it; false when the word runs
  // past the end or its zero run is longer than a 32-bit value allows.
  bool readCodeNumber(uint32_t& codeNumber);

  int64_t m_bitPosition = 0;
  int m_length = 0;
  const unsigned char* m_data = nullptr;
  bool m_failed = false;
};
