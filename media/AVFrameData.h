#pragma once
#include <cstdint>

// The frame record that callers of the player interface fill in and hand to the stream player.
// It owns its bytes after alloc (owned flag) and borrows them after setDataEx. Copying a record
// copies owned bytes into a buffer of the copy's own; borrowed bytes stay borrowed by both.
class AVFrameData {
 public:
  static constexpr int kDeviceIdMaxLength = 32;

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

  bool setDeviceId(const char* id);
  const char* getDeviceId() const { return m_szDeviceId; }

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
  void setFrameRate(int v) { m_nFrameRate = v; }
  int getFrameRate() const { return m_nFrameRate; }
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
  int m_nEncoderType = 0;
  int m_nCameraNo = 0;
  uint32_t m_nSequenceId = 0;
  int m_nFrameType = 0;
  int64_t m_nTimeStamp = 0;
  char* m_pData = nullptr;
  int m_nDataLen = 0;
  int m_nFrameRate = 0;
  int m_nBitRate = 0;
  int m_nImageFormatId = 1;
  int m_nImageWidth = 0;
  int m_nImageHeight = 0;
  int m_nVideoSystem = 1;
  unsigned int m_nFrameBufLen = 0;
  int m_nStreamId = 0;
  int m_nTimeZone = 0;
  int m_nDaylightSavingTime = 0;
  bool m_bOwned = false;
};
