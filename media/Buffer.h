#pragma once

// A fixed-size byte buffer: one allocation, a data pointer that moves forward inside it, a data
// length counted from the data pointer, and a read position (from the allocation) for typed reads.
// Valid data is [data pointer, data pointer + data length); appends go at its end and reads stay
// before it, so nothing reads or writes outside the allocation. Multi-byte values are in host order.
class Buffer {
 public:
  Buffer() = default;
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  ~Buffer();

  // False for n <= 0. Same size: zeroes the block and empties it. Otherwise replaces the block
  // (contents not kept) with n zeroed bytes. A failed allocation leaves no block.
  bool alloc(int n);
  void free();
  // Data pointer back to the allocation, every byte zeroed, data length 0.
  void reset();

  char* getBuffer() const { return m_pDataPtr; }
  char* getData() const { return m_pDataPtr; }
  int getBufferSize() const { return m_nSize; }
  int getDataLength() const { return m_nDataLength; }
  int getDataPos() const { return m_nDataPos; }

  // Data length = the smaller of n and the room from the data pointer to the end of the allocation.
  void setDataLength(unsigned int n);
  void setDataPos(int pos) { m_nDataPos = pos; }

  // Copies n bytes to the start of the allocation, which becomes the data; false for a null p,
  // without an allocation or for n above the size.
  bool copy(const char* p, unsigned int n);
  bool copy(const Buffer& b);
  // Adds n bytes after the valid data; false for a null p, without an allocation or when they do
  // not fit before the end of the allocation.
  bool append(const char* p, unsigned int n);
  bool append(const Buffer& b);
  bool append(const int& v);
  bool append(const short& v);

  // Typed reads at allocation + read position; each needs its bytes to lie before the end of the
  // valid data, and advances the read position.
  bool getData(char* out, unsigned int n);
  bool getInt(int& v);
  bool getLong(long& v);  // four bytes, sign-extended
  bool getShort(short& v);

  // Drops n bytes from the front of the data; false when n exceeds the data length.
  bool moveDataPointer(unsigned int n);
  // Data pointer + n while that stays inside the allocation, else null.
  const char* getDataPointerByLength(unsigned int n) const;
  bool equals(Buffer& b);

 private:
  long long dataOffset() const { return m_pDataPtr - m_pAllocation; }
  long long dataEnd() const { return dataOffset() + m_nDataLength; }
  bool read(void* out, unsigned int n);

  char* m_pAllocation = nullptr;
  char* m_pDataPtr = nullptr;
  int m_nSize = 0;
  int m_nDataLength = 0;
  int m_nDataPos = 0;
};
