#pragma once
#include <cstdint>
#include <vector>

// Writes the bits of a hand-made sequence parameter set for the tests: fixed-length and exp-Golomb
// fields, then the NAL unit with its header byte, stop bit and emulation-prevention bytes.
class SpsBitWriter {
 public:
  SpsBitWriter& u(int count, uint64_t value) {
    for (int i = count - 1; i >= 0; --i) m_bits.push_back(static_cast<uint8_t>((value >> i) & 1));
    return *this;
  }
  SpsBitWriter& flag(bool value) { return u(1, value ? 1 : 0); }
  SpsBitWriter& ue(uint64_t value) {
    uint64_t code = value + 1;
    int length = 0;
    while ((code >> length) > 1) ++length;
    u(length, 0);
    return u(length + 1, code);
  }
  SpsBitWriter& se(int64_t value) { return ue(value > 0 ? 2 * value - 1 : -2 * value); }
  SpsBitWriter& zeros(int count) { return u(count, 0); }

  // The bits as bytes: the stop bit and zero alignment when withStopBit, else zero padding only.
  std::vector<unsigned char> rbsp(bool withStopBit = true) const {
    std::vector<uint8_t> bits = m_bits;
    if (withStopBit) bits.push_back(1);
    while (bits.size() % 8 != 0) bits.push_back(0);
    std::vector<unsigned char> bytes(bits.size() / 8, 0);
    for (size_t i = 0; i < bits.size(); ++i) bytes[i / 8] |= static_cast<unsigned char>(bits[i] << (7 - i % 8));
    return bytes;
  }

  // The whole unit from its header byte (0x67: an SPS with nal_ref_idc 3), escaped as in a stream.
  std::vector<unsigned char> unit(bool withStopBit = true) const {
    std::vector<unsigned char> out{0x67};
    int zeros = 0;
    for (unsigned char byte : rbsp(withStopBit)) {
      if (zeros >= 2 && byte <= 3) {
        out.push_back(3);
        zeros = 0;
      }
      out.push_back(byte);
      zeros = byte == 0 ? zeros + 1 : 0;
    }
    return out;
  }

 private:
  std::vector<uint8_t> m_bits;
};
