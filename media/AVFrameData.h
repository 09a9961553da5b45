#pragma once
#include <cstdint>

#include "media/FrameAttributes.h"

// The frame record that callers of the player interface fill in and hand to the stream player.
// It owns its bytes after alloc (owned flag) and borrows them after setDataEx. Copying a record
// copies owned bytes into a buffer of the copy's own; borrowed bytes stay borrowed by both.
class AVFrameData : public FrameAttributes {
 public:
  AVFrameData();
  AVFrameData(const AVFrameData& other);
  AVFrameData& operator=(const AVFrameData& other);
  ~AVFrameData();

  // Allocates n bytes as the owned data; false when data is already set, for n == 0 or when the
  // allocation fails.
  bool alloc(unsigned int n);
  // Releases owned data; borrowed data is never released, only forgotten.
  void free();
  // Copying store into the owned buffer: false without a buffer, for a null p or when len exceeds
  // the frame buffer length.
  bool setData(const char* p, unsigned int len);
  // Borrowing store; always true.
  bool setDataEx(const char* p, unsigned int len);

  const char* getData() const { return m_pData; }
  int getDataLen() const { return m_nDataLen; }
  unsigned int getFrameBufLen() const { return m_nFrameBufLen; }
  bool isOwned() const { return m_bOwned; }


 private:
  char* m_pData = nullptr;
  int m_nDataLen = 0;
  unsigned int m_nFrameBufLen = 0;
  bool m_bOwned = false;
};
