#include "media/AVFrameData.h"

#include <climits>
#include <cstring>
#include <new>

AVFrameData::AVFrameData() : FrameAttributes(0) {}

AVFrameData::AVFrameData(const AVFrameData& other) : AVFrameData() { *this = other; }

AVFrameData::~AVFrameData() { free(); }

AVFrameData& AVFrameData::operator=(const AVFrameData& other) {
  if (this == &other) return *this;
  FrameAttributes::operator=(other);

  free();
  m_pData = nullptr;
  m_nDataLen = 0;
  m_nFrameBufLen = 0;
  m_bOwned = false;
  if (other.m_pData == nullptr || !other.m_bOwned) {
    m_pData = other.m_pData;  // borrowed by both (or nothing)
    m_nDataLen = other.m_nDataLen;
    m_nFrameBufLen = other.m_nFrameBufLen;
  } else {
    char* copy = new (std::nothrow) char[other.m_nFrameBufLen];
    if (copy != nullptr) {
      std::memcpy(copy, other.m_pData, static_cast<size_t>(other.m_nDataLen));
      m_pData = copy;
      m_nDataLen = other.m_nDataLen;
      m_nFrameBufLen = other.m_nFrameBufLen;
      m_bOwned = true;
    }
  }
  return *this;
}

bool AVFrameData::alloc(unsigned int n) {
  // The data length is an int: a buffer it cannot describe is refused.
  if (m_pData != nullptr || n == 0 || n > static_cast<unsigned int>(INT_MAX)) return false;
  char* block = new (std::nothrow) char[n];
  if (block == nullptr) return false;
  m_pData = block;
  m_nFrameBufLen = n;
  m_bOwned = true;
  return true;
}

void AVFrameData::free() {
  if (m_bOwned && m_pData != nullptr) {
    delete[] m_pData;
    m_pData = nullptr;
    m_nFrameBufLen = 0;
    m_nDataLen = 0;
  }
  m_bOwned = false;
}

bool AVFrameData::setData(const char* p, unsigned int len) {
  if (!m_bOwned || m_pData == nullptr || p == nullptr || len > m_nFrameBufLen) return false;
  std::memmove(m_pData, p, len);
  m_nDataLen = static_cast<int>(len);
  return true;
}

bool AVFrameData::setDataEx(const char* p, unsigned int len) {
  free();  // an owned buffer would otherwise be lost, and the borrowed bytes later released
  m_pData = const_cast<char*>(p);
  m_nDataLen = static_cast<int>(len);
  return true;
}
