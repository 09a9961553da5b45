#pragma once
#include "media/NalUnit.h"

// Reads NAL units one after the other from H.264 data held in memory in the Annex B byte-stream
// form (each unit behind a 00 00 01 or 00 00 00 01 start code). Each read copies the unit into the
// reader's own unit buffer; a unit that does not fit the buffer is refused.
class NalReader {
 public:
  static constexpr int kUnitBufferSize = 1228800;

  NalReader();
  virtual ~NalReader();
  NalReader(const NalReader&) = delete;
  NalReader& operator=(const NalReader&) = delete;

  // Points the reader at the caller's bytes (not copied; they must outlive the reads). With firstUnit
  // the next read counts as the first of a byte stream, which alone may have zero bytes in front of its
  // start code.
  void setInput(const unsigned char* data, int length, bool firstUnit = true);

  // Reads the next unit. Result: the input bytes it took (leading zeros, start code, unit, trailing
  // zeros) with the unit filled in; 0 when no input is left; -1 on a malformed stream or a unit larger
  // than the unit buffer (a message goes to standard output and the unit is left as it was).
  int GetAnnexbNALU(NalUnit& unit);

  // Input bytes consumed so far: the next read starts here.
  int inputOffset() const { return static_cast<int>(m_cursor - m_start); }
  int startCodePrefixLength() const { return m_prefixLength; }
  int leadingZeroCount() const { return m_leadingZeros; }
  int trailingZeroCount() const { return m_trailingZeros; }

 private:
  bool inputExhausted() const { return m_cursor - m_start >= m_length; }
  // Copies the next input byte into the unit buffer; false (with the message) when it is full.
  bool takeByte();
  bool endsWith(const unsigned char* pattern, int count) const;
  void fillUnit(NalUnit& unit, int unitLength) const;
  static int fail(const char* message);

  const unsigned char* m_start = nullptr;
  const unsigned char* m_cursor = nullptr;
  int m_length = 0;
  unsigned char* m_unitBuffer = nullptr;
  int m_buffered = 0;
  bool m_firstUnit = true;
  int m_prefixLength = 0;
  int m_leadingZeros = 0;
  int m_trailingZeros = 0;
  int m_stepBack = 0;
  // Bytes of the unit buffer written since it was last zeroed: every read starts on a zeroed buffer,
  // and only this part needs clearing again.
  int m_dirty = 0;
};
