#include "media/Buffer.h"

#include <cstring>
#include <new>

Buffer::~Buffer() { free(); }

bool Buffer::alloc(int n) {
  if (n <= 0) return false;
  if (m_pAllocation != nullptr && n == m_nSize) {
    std::memset(m_pAllocation, 0, static_cast<size_t>(n));
    m_pDataPtr = m_pAllocation;
    m_nDataLength = 0;
    return true;
  }
  free();
  char* block = new (std::nothrow) char[static_cast<size_t>(n)];
  if (block == nullptr) return false;
  std::memset(block, 0, static_cast<size_t>(n));
  m_pAllocation = block;
  m_pDataPtr = block;
  m_nSize = n;
  return true;
}

void Buffer::free() {
  delete[] m_pAllocation;
  m_pAllocation = nullptr;
  m_pDataPtr = nullptr;
  m_nSize = 0;
  m_nDataLength = 0;
}

void Buffer::reset() {
  if (m_pAllocation == nullptr) return;
  m_pDataPtr = m_pAllocation;
  std::memset(m_pAllocation, 0, static_cast<size_t>(m_nSize));
  m_nDataLength = 0;
}

void Buffer::setDataLength(unsigned int n) {
  long long room = m_nSize - dataOffset();
  m_nDataLength = static_cast<int>(static_cast<long long>(n) < room ? n : room);
}

bool Buffer::copy(const char* p, unsigned int n) {
  if (p == nullptr || m_pAllocation == nullptr || n > static_cast<unsigned int>(m_nSize)) return false;
  std::memmove(m_pAllocation, p, n);
  m_pDataPtr = m_pAllocation;
  m_nDataLength = static_cast<int>(n);
  return true;
}

bool Buffer::copy(const Buffer& b) {
  if (b.m_pDataPtr == nullptr || b.m_nDataLength <= 0) return false;
  return copy(b.m_pDataPtr, static_cast<unsigned int>(b.m_nDataLength));
}

bool Buffer::append(const char* p, unsigned int n) {
  if (p == nullptr || m_pAllocation == nullptr) return false;
  long long room = m_nSize - dataEnd();
  if (static_cast<long long>(n) > room) return false;
  std::memmove(m_pAllocation + dataEnd(), p, n);
  m_nDataLength += static_cast<int>(n);
  return true;
}

bool Buffer::append(const Buffer& b) {
  if (b.m_pDataPtr == nullptr || b.m_nDataLength <= 0) return false;
  return append(b.m_pDataPtr, static_cast<unsigned int>(b.m_nDataLength));
}

bool Buffer::append(const int& v) { return append(reinterpret_cast<const char*>(&v), sizeof(v)); }

bool Buffer::append(const short& v) { return append(reinterpret_cast<const char*>(&v), sizeof(v)); }

bool Buffer::read(void* out, unsigned int n) {
  if (out == nullptr || m_pAllocation == nullptr || m_nDataPos < 0) return false;
  if (static_cast<long long>(m_nDataPos) + n > dataEnd()) return false;
  std::memcpy(out, m_pAllocation + m_nDataPos, n);
  m_nDataPos += static_cast<int>(n);
  return true;
}

bool Buffer::getData(char* out, unsigned int n) { return read(out, n); }

bool Buffer::getInt(int& v) { return read(&v, sizeof(v)); }

bool Buffer::getLong(long& v) {
  int value = 0;
  if (!read(&value, sizeof(value))) return false;
  v = value;
  return true;
}

bool Buffer::getShort(short& v) { return read(&v, sizeof(v)); }

bool Buffer::moveDataPointer(unsigned int n) {
  if (static_cast<long long>(n) > m_nDataLength) return false;
  m_pDataPtr += n;
  m_nDataLength -= static_cast<int>(n);
  return true;
}

const char* Buffer::getDataPointerByLength(unsigned int n) const {
  if (m_pDataPtr == nullptr || static_cast<long long>(n) >= m_nSize - dataOffset()) return nullptr;
  return m_pDataPtr + n;
}

bool Buffer::equals(Buffer& b) {
  if (m_nSize != b.m_nSize || m_nDataLength != b.m_nDataLength) return false;
  if (m_nDataLength == 0) return true;
  return std::memcmp(m_pDataPtr, b.m_pDataPtr, static_cast<size_t>(m_nDataLength)) == 0;
}
