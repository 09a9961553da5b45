#include "media/BitReader.h"

BitReader::BitReader(const unsigned char* data, int length)
    : m_length(data == nullptr || length < 0 ? 0 : length), m_data(data) {}

unsigned BitReader::bitAt(int64_t position) const {
  return (m_data[position >> 3] >> (7 - (position & 7))) & 1u;
}

uint32_t BitReader::readBits(int count) {
  if (count < 1 || count > 32 || bitsLeft() < count) {
    m_failed = true;
    return 0;
  }
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 1) | bitAt(m_bitPosition + i);
  m_bitPosition += count;
  return value;
}

uint32_t BitReader::readFlag() { return readBits(1); }

bool BitReader::readCodeNumber(uint32_t& codeNumber) {
  const int64_t end = static_cast<int64_t>(m_length) * 8;
  int zeros = 0;
  int64_t position = m_bitPosition;
  while (position < end && bitAt(position) == 0) {
    if (++zeros > kMaxExpGolombZeros) {
      m_failed = true;
      return false;
    }
    ++position;
  }
  if (position + 1 + zeros > end) {
    m_failed = true;
    return false;
  }
  ++position;  // the 1 bit that ends the zero run
  uint64_t info = 0;
  for (int i = 0; i < zeros; ++i) info = (info << 1) | bitAt(position + i);
  m_bitPosition = position + zeros;
  codeNumber = static_cast<uint32_t>((uint64_t{1} << zeros) + info - 1);
  return true;
}

uint32_t BitReader::readUe() {
  uint32_t codeNumber = 0;
  return readCodeNumber(codeNumber) ? codeNumber : 0;
}

int32_t BitReader::readSe() {
  uint32_t codeNumber = 0;
  if (!readCodeNumber(codeNumber)) return 0;
  const int64_t magnitude = (static_cast<int64_t>(codeNumber) + 1) / 2;
  return static_cast<int32_t>(codeNumber % 2 == 0 ? -magnitude : magnitude);
}
