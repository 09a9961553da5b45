#include "media/KXAVFrameHead.h"

#include <cstring>

const char kFrameHeadStartCode[10] = {'t', '~', 'a', '!', 'v', '@', 'r', 'i', '%', 'n'};

namespace {

void putBE32(unsigned char* out, uint32_t v) {
  out[0] = static_cast<unsigned char>(v >> 24);
  out[1] = static_cast<unsigned char>(v >> 16);
  out[2] = static_cast<unsigned char>(v >> 8);
  out[3] = static_cast<unsigned char>(v);
}

void putBE16(unsigned char* out, uint16_t v) {
  out[0] = static_cast<unsigned char>(v >> 8);
  out[1] = static_cast<unsigned char>(v);
}

uint32_t getBE32(const unsigned char* in) {
  return (uint32_t(in[0]) << 24) | (uint32_t(in[1]) << 16) | (uint32_t(in[2]) << 8) | uint32_t(in[3]);
}

uint16_t getBE16(const unsigned char* in) { return static_cast<uint16_t>((in[0] << 8) | in[1]); }

}  // namespace

bool KXAVFrameHead::isStartCode(const char* p) {
  return std::memcmp(p, kFrameHeadStartCode, kFrameHeadStartCodeLength) == 0;
}

void KXAVFrameHead::write(unsigned char* out) const {
  std::memcpy(out, kFrameHeadStartCode, kFrameHeadStartCodeLength);
  putBE32(out + 10, m_nSequenceId);
  putBE32(out + 14, m_nTimeStampHigh);
  putBE32(out + 18, m_nTimeStampLow);
  putBE32(out + 22, static_cast<uint32_t>(m_nFrameLength));
  putBE16(out + 26, m_nBitRate);
  out[28] = m_nFrameType;
  out[29] = m_nImageFormatId;
  out[30] = m_nVideoSystem;
  out[31] = m_nStreamFormat;
  out[32] = m_nESStreamType;
  out[33] = m_nEncodeType;
  out[34] = m_nFrameRate;
  out[35] = m_nTimezone;
  putBE16(out + 36, m_nDaylightSavingTime);
  putBE16(out + 38, m_nCheckNum);
}

bool KXAVFrameHead::getFrameHead(char* buf, int& len) const {
  if (buf == nullptr || len < kLength) return false;
  write(reinterpret_cast<unsigned char*>(buf));
  len = kLength;
  return true;
}

bool KXAVFrameHead::toByteFrameHead(char* buf, int bufLen, int& outLen) const {
  if (buf == nullptr || bufLen < kLength) return false;
  write(reinterpret_cast<unsigned char*>(buf));
  outLen = kLength;
  return true;
}

bool KXAVFrameHead::parseFrameHead(const char* buf, int len) {
  if (buf == nullptr || len < kLength || !isStartCode(buf)) return false;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(buf);
  m_nSequenceId = getBE32(in + 10);
  m_nTimeStampHigh = getBE32(in + 14);
  m_nTimeStampLow = getBE32(in + 18);
  m_nFrameLength = static_cast<int>(getBE32(in + 22));
  m_nBitRate = getBE16(in + 26);
  m_nFrameType = in[28];
  m_nImageFormatId = in[29];
  m_nVideoSystem = in[30];
  m_nStreamFormat = in[31];
  m_nESStreamType = in[32];
  m_nEncodeType = in[33];
  m_nFrameRate = in[34];
  m_nTimezone = in[35];
  m_nDaylightSavingTime = getBE16(in + 36);
  m_nCheckNum = getBE16(in + 38);
  return true;
}
