#pragma once
#include <cstdint>

// Format description of an audio stream; the first seven fields follow the wave-format header.
class AudioInfo {
 public:
  AudioInfo() = default;
  AudioInfo(const AudioInfo&) = default;
  AudioInfo& operator=(const AudioInfo&) = default;
  ~AudioInfo() = default;

  void setFormatTag(uint16_t v) { m_wFormatTag = v; }
  uint16_t getFormatTag() const { return m_wFormatTag; }
  void setChannels(uint16_t v) { m_nChannels = v; }
  uint16_t getChannels() const { return m_nChannels; }
  void setSamplesPerSec(uint32_t v) { m_nSamplesPerSec = v; }
  uint32_t getSamplesPerSec() const { return m_nSamplesPerSec; }
  void setAvgBytesPerSec(uint32_t v) { m_nAvgBytesPerSec = v; }
  uint32_t getAvgBytesPerSec() const { return m_nAvgBytesPerSec; }
  void setBlockAlign(uint16_t v) { m_nBlockAlign = v; }
  uint16_t getBlockAligns() const { return m_nBlockAlign; }
  void setBitsPerSample(uint16_t v) { m_wBitsPerSample = v; }
  uint16_t getBitsPerSample() const { return m_wBitsPerSample; }
  void setCBSize(uint16_t v) { m_cbSize = v; }
  uint16_t getCBSize() const { return m_cbSize; }
  void setEncodeType(int v) { m_nEncodeType = v; }
  int getEncodeType() const { return m_nEncodeType; }

 private:
  uint16_t m_wFormatTag = 1;  // PCM
  uint16_t m_nChannels = 1;
  uint32_t m_nSamplesPerSec = 8000;
  uint32_t m_nAvgBytesPerSec = 16000;
  uint16_t m_nBlockAlign = 2;
  uint16_t m_wBitsPerSample = 16;
  uint16_t m_cbSize = 0;
  int m_nEncodeType = 0;
};
