#include "media/AVData.h"

#include <climits>
#include <cstring>
#include <new>

AVData::AVData() : FrameAttributes(255) {}

AVData::AVData(const AVData& other) : AVData() { *this = other; }

AVData::~AVData() { free(); }

AVData& AVData::operator=(const AVData& other) {
  if (this == &other) return *this;
  FrameAttributes::operator=(other);
  m_bDiscontinuityIndicator = other.m_bDiscontinuityIndicator;
  m_nPrivateDataLen = other.m_nPrivateDataLen;
  m_pPrivateData = other.m_pPrivateData;

  free();
  m_pData = nullptr;
  m_nDataLength = 0;
  if (other.m_pData == nullptr) {
    m_nDataLength = other.m_nDataLength;
  } else if (other.m_nBufferSize == 0) {
    m_pData = other.m_pData;  // borrowed by both
    m_nDataLength = other.m_nDataLength;
  } else {
    char* copy = new (std::nothrow) char[other.m_nBufferSize];
    if (copy != nullptr) {
      std::memcpy(copy, other.m_pData, static_cast<size_t>(other.m_nDataLength));
      m_pData = copy;
      m_nBufferSize = other.m_nBufferSize;
      m_nDataLength = other.m_nDataLength;
    }
  }
  return *this;
}

bool AVData::alloc(unsigned int n) {
  // The data length is an int: a buffer it cannot describe is refused.
  if (m_pData != nullptr || n == 0 || n > static_cast<unsigned int>(INT_MAX)) return false;
  char* block = new (std::nothrow) char[n];
  if (block == nullptr) return false;
  m_pData = block;
  m_nBufferSize = n;
  return true;
}

void AVData::free() {
  if (m_pData == nullptr || m_nBufferSize == 0) return;
  delete[] m_pData;
  m_pData = nullptr;
  m_nBufferSize = 0;
  m_nDataLength = 0;
}

bool AVData::setData(const char* p, unsigned int len) {
  if (p == nullptr || len > static_cast<unsigned int>(INT_MAX)) return false;
  free();  // an owned buffer would be lost when a borrowed pointer replaces it
  m_pData = const_cast<char*>(p);
  m_nDataLength = static_cast<int>(len);
  return true;
}

bool AVData::copyData(const char* p, unsigned int len) {
  if (p == nullptr || m_pData == nullptr || m_nBufferSize == 0 || len > m_nBufferSize) return false;
  std::memmove(m_pData, p, len);
  m_nDataLength = static_cast<int>(len);
  return true;
}
