#pragma once
#include <cstdint>

// One compressed audio or video frame with its attributes.
// The record owns its bytes exactly when the buffer size is above zero (after alloc); after setData
// it borrows the caller's bytes, which must outlive its use of them. Private data is always borrowed.
// Copying a record copies owned bytes into a buffer of the copy's own, so each copy releases only
// what it owns; borrowed bytes stay borrowed by both.
class AVData {
 public:
  static constexpr int kDeviceIdMaxLength = 32;

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

  // False for null or for text longer than kDeviceIdMaxLength characters (the old id stays).
  bool setDeviceId(const char* id);
  const char* getDeviceId() const { return m_szDeviceId; }

  void setPrivateData(char* p, unsigned char len) {
    m_pPrivateData = p;
    m_nPrivateDataLen = len;
  }
  char* getPrivateData() const { return m_pPrivateData; }
  unsigned int getPrivateDataLen() const { return m_nPrivateDataLen; }

  void setStreamFormat(int v) { m_nStreamFormat = v; }
  int getStreamFormat() const { return m_nStreamFormat; }
  void setESStreamType(int v) { m_nESStreamType = v; }
  int getESStreamType() const { return m_nESStreamType; }
  void setEncoderType(int v) { m_nEncoderType = v; }
  int getEncoderType() const { return m_nEncoderType; }
  void setCameraNo(int v) { m_nCameraNo = v; }
  int getCameraNo() const { return m_nCameraNo; }
  void setSequenceId(uint32_t v) { m_nSequenceId = v; }
  uint32_t getSequenceId() const { return m_nSequenceId; }
  void setFrameType(int v) { m_nFrameType = v; }
  int getFrameType() const { return m_nFrameType; }
  void setTimeStamp(int64_t v) { m_nTimeStamp = v; }
  int64_t getTimeStamp() const { return m_nTimeStamp; }
  void setBitRate(int v) { m_nBitRate = v; }
  int getBitRate() const { return m_nBitRate; }
  void setImageFormatId(int v) { m_nImageFormatId = v; }
  int getImageFormatId() const { return m_nImageFormatId; }
  void setImageWidth(int v) { m_nImageWidth = v; }
  int getImageWidth() const { return m_nImageWidth; }
  void setImageHeight(int v) { m_nImageHeight = v; }
  int getImageHeight() const { return m_nImageHeight; }
  void setVideoSystem(int v) { m_nVideoSystem = v; }
  int getVideoSystem() const { return m_nVideoSystem; }
  void setFrameRate(int v) { m_nFrameRate = v; }
  int getFrameRate() const { return m_nFrameRate; }
  void setDiscontinuityIndicator(bool v) { m_bDiscontinuityIndicator = v; }
  bool getDiscontinuityIndicator() const { return m_bDiscontinuityIndicator; }
  void setStreamId(int v) { m_nStreamId = v; }
  int getStreamId() const { return m_nStreamId; }
  void setTimeZone(int v) { m_nTimeZone = v; }
  int getTimeZone() const { return m_nTimeZone; }
  void setDaylightSavingTime(int v) { m_nDaylightSavingTime = v; }
  int getDaylightSavingTime() const { return m_nDaylightSavingTime; }

 private:
  char m_szDeviceId[kDeviceIdMaxLength + 1];
  int m_nStreamFormat = 0;
  int m_nESStreamType = 0;
  int m_nEncoderType = 255;
  int m_nCameraNo = 0;
  uint32_t m_nSequenceId = 0;
  int m_nFrameType = 0;
  int64_t m_nTimeStamp = 0;
  int m_nBitRate = 0;
  int m_nImageFormatId = 1;
  int m_nImageWidth = 0;
  int m_nImageHeight = 0;
  int m_nVideoSystem = 1;
  int m_nFrameRate = 0;
  bool m_bDiscontinuityIndicator = false;
  char* m_pData = nullptr;
  int m_nDataLength = 0;
  unsigned int m_nBufferSize = 0;
  unsigned int m_nPrivateDataLen = 0;
  char* m_pPrivateData = nullptr;
  int m_nStreamId = 0;
  int m_nTimeZone = 0;
  int m_nDaylightSavingTime = 0;
};
