#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The RGB output buffer of the MJPEG decoder: grows, never shrinks, freed by its destructor.
class JpegRgbBuffer {
 public:
  JpegRgbBuffer() = default;
  ~JpegRgbBuffer() {
    std::free(m_pData);
    m_pData = nullptr;
  }
  JpegRgbBuffer(const JpegRgbBuffer&) = delete;
  JpegRgbBuffer& operator=(const JpegRgbBuffer&) = delete;

  // Makes room for at least size bytes: a smaller buffer is replaced by one of exactly that size.
  // False (and no buffer) when memory is short.
  bool reserve(size_t size) {
    if (m_pData != nullptr && m_nCapacity >= size) return true;
    std::free(m_pData);
    m_pData = static_cast<uint8_t*>(std::malloc(size));
    m_nCapacity = m_pData != nullptr ? size : 0;
    return m_pData != nullptr;
  }
  uint8_t* data() const { return m_pData; }
  size_t capacity() const { return m_nCapacity; }

 private:
  uint8_t* m_pData = nullptr;
  size_t m_nCapacity = 0;
};
