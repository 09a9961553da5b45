#pragma once
#include <cstdint>

// The attributes every frame record carries, whoever owns its bytes: stream and encoder codes,
// sequence id, frame type, timestamp, picture format and the device it came from.
// Plain values only, so a memberwise copy is the right copy.
class FrameAttributes {
 public:
  static constexpr int kDeviceIdMaxLength = 32;

  explicit FrameAttributes(int encoderType);

  // False for null or for text longer than kDeviceIdMaxLength characters (the old id stays).
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
  int m_nEncoderType;
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
  int m_nStreamId = 0;
  int m_nTimeZone = 0;
  int m_nDaylightSavingTime = 0;
};
