#include "media/NalReader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
const unsigned char kLongStartCode[] = {0, 0, 0, 1};
const unsigned char kShortStartCode[] = {0, 0, 1};
}  // namespace

// calloc: a zeroed block of this size comes straight from the system's zero pages, so a reader made
// for every frame costs only the pages it touches.
NalReader::NalReader() : m_unitBuffer(static_cast<unsigned char*>(std::calloc(kUnitBufferSize, 1))) {
  if (m_unitBuffer == nullptr) throw std::bad_alloc();
}

NalReader::~NalReader() { std::free(m_unitBuffer); }

void NalReader::setInput(const unsigned char* data, int length, bool firstUnit) {
  m_start = data;
  m_cursor = data;
  m_length = (data == nullptr || length < 0) ? 0 : length;
  m_firstUnit = firstUnit;
}

int NalReader::fail(const char* message) {
  std::printf("%s", message);
  std::fflush(stdout);
  return -1;
}

bool NalReader::takeByte() {
  if (m_buffered >= kUnitBufferSize) {
    fail("GetAnnexbNALU: the NALU does not fit the unit buffer, return -1\n");
    return false;
  }
  m_unitBuffer[m_buffered++] = *m_cursor++;
  if (m_buffered > m_dirty) m_dirty = m_buffered;
  return true;
}

bool NalReader::endsWith(const unsigned char* pattern, int count) const {
  return m_buffered >= count && std::memcmp(m_unitBuffer + m_buffered - count, pattern, count) == 0;
}

int NalReader::GetAnnexbNALU(NalUnit& unit) {
  std::memset(m_unitBuffer, 0, m_dirty);
  m_dirty = 0;
  m_buffered = 0;
  m_leadingZeros = 0;
  m_trailingZeros = 0;
  m_stepBack = 0;

  // The start code: zero bytes up to and including the first non-zero one.
  while (!inputExhausted()) {
    if (!takeByte()) return -1;
    if (m_unitBuffer[m_buffered - 1] != 0) break;
  }
  if (inputExhausted()) {
    if (m_buffered == 0) return 0;
    return fail("GetAnnexbNALU can't read start code\n");
  }
  if (m_buffered < 3 || m_unitBuffer[m_buffered - 1] != 1) {
    return fail("GetAnnexbNALU: no Start Code at the begin of the NALU, return -1\n");
  }
  int prefixLength = 3;
  int leadingZeros = 0;
  if (m_buffered > 3) {
    prefixLength = 4;
    leadingZeros = m_buffered - 4;
  }
  if (!m_firstUnit && leadingZeros > 0) {
    return fail(
        "GetAnnexbNALU: The leading_zero_8bits syntax can only be present in the first byte stream "
        "NAL unit, return -1\n");
  }
  m_firstUnit = false;
  m_prefixLength = prefixLength;
  m_leadingZeros = leadingZeros;
  const int unitStart = leadingZeros + prefixLength;

  // The unit runs up to the next start code or to the end of the input.
  while (!inputExhausted()) {
    if (!takeByte()) return -1;
    bool longCode = endsWith(kLongStartCode, 4);
    if (!longCode && !endsWith(kShortStartCode, 3)) continue;
    m_stepBack = longCode ? -4 : -3;
    if (longCode) {
      // Zeros directly in front of a long start code belong to neither unit.
      for (int i = m_buffered - 5; i >= unitStart && m_unitBuffer[i] == 0; --i) ++m_trailingZeros;
    }
    m_cursor += m_stepBack;
    int took = m_buffered + m_stepBack;
    fillUnit(unit, took - m_trailingZeros - unitStart);
    return took;
  }
  for (int i = m_buffered - 1; i >= unitStart && m_unitBuffer[i] == 0; --i) ++m_trailingZeros;
  fillUnit(unit, m_buffered - m_trailingZeros - unitStart);
  return m_buffered;
}

void NalReader::fillUnit(NalUnit& unit, int unitLength) const {
  unit.startCodePrefixLength = m_prefixLength;
  unit.payload = m_unitBuffer + m_leadingZeros + m_prefixLength;
  unit.length = unitLength;
  const unsigned char header = unit.payload[0];
  unit.forbidden_zero_bit = (header >> 7) & 0x01;
  unit.nal_ref_idc = (header >> 5) & 0x03;
  unit.nal_unit_type = header & 0x1F;
  unit.typeName = NalUnit::typeNameOf(unit.nal_unit_type);
}
