#pragma once
#include <cstdint>

#include "media/FrameAttributes.h"

// One compressed audio or video frame with its attributes.
// The record owns its bytes exactly when the buffer size is above zero (after alloc); after setData
// it borrows the caller's bytes, which must outlive its use of them. Private data is always borrowed.
// Copying a record copies owned bytes into a buffer of the copy's own, so each copy releases only
// what it owns; borrowed bytes stay borrowed by both.
class AVData : public FrameAttributes {
 public:
  AVData();
  AVData(const AVData& other);
  AVData& operator=(const AVData& other);
  ~AVData();

  // Allocates n bytes (contents undefined) as the owned buffer. False when data is already set,
  // for n == 0 (nothing would be owned), above INT_MAX, or when the allocation fails. The data
  // length is kept.
  bool alloc(unsigned int n);
  // Releases an owned buffer (data null, lengths 0); borrowed data stays as it is.
  void free();
  // Borrows p for len bytes (releasing an owned buffer first); false for a null p or len above INT_MAX.
  bool setData(const char* p, unsigned int len);
  // Copies len bytes into the owned buffer; false for a null p, without a buffer or when len
  // exceeds the buffer size.
  bool copyData(const char* p, unsigned int len);

  const char* getData() const { return m_pData; }
  int getDataLength() const { return m_nDataLength; }
  unsigned int getBufferSize() const { return m_nBufferSize; }

  void setPrivateData(char* p, unsigned char len) {
    m_pPrivateData = p;
    m_nPrivateDataLen = len;
  }
  char* getPrivateData() const { return m_pPrivateData; }
  unsigned int getPrivateDataLen() const { return m_nPrivateDataLen; }

  void setDiscontinuityIndicator(bool v) { m_bDiscontinuityIndicator = v; }
  bool getDiscontinuityIndicator() const { return m_bDiscontinuityIndicator; }

 private:
  bool m_bDiscontinuityIndicator = false;
  char* m_pData = nullptr;
  int m_nDataLength = 0;
  unsigned int m_nBufferSize = 0;
  unsigned int m_nPrivateDataLen = 0;
  char* m_pPrivateData = nullptr;
};
