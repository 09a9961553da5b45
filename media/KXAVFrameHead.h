#pragma once
#include <cstdint>

// The 10 bytes that begin every frame head of a private frame stream: "t~a!v@ri%n", no terminator.
extern const char kFrameHeadStartCode[10];
constexpr int kFrameHeadStartCodeLength = 10;

// The 40-byte head in front of every frame of a private frame stream. In memory the fields are host
// values; the wire form is big-endian and is written and read byte by byte, so it is the same on
// every host:
//   0 start code (10) | 10 sequence id (4) | 14 timestamp high (4) | 18 timestamp low (4)
//   22 frame length (4, signed) | 26 bit rate (2) | 28 frame type | 29 image format id
//   30 video system | 31 stream format | 32 ES stream type | 33 encode type | 34 frame rate
//   35 time zone | 36 daylight saving time (2) | 38 check number (2)
class KXAVFrameHead {
 public:
  static constexpr int kLength = 40;

  KXAVFrameHead() = default;
  KXAVFrameHead(const KXAVFrameHead&) = default;
  KXAVFrameHead& operator=(const KXAVFrameHead&) = default;
  ~KXAVFrameHead() = default;

  static int getFrameHeadLength() { return kLength; }
  const char* getStartCode() const { return kFrameHeadStartCode; }
  // True when the kFrameHeadStartCodeLength bytes at p are the start code.
  static bool isStartCode(const char* p);

  // Writes the 40-byte wire form at buf; false (nothing written, len kept) for a null buf or
  // len below 40; otherwise len becomes 40.
  bool getFrameHead(char* buf, int& len) const;
  bool toByteFrameHead(char* buf, int bufLen, int& outLen) const;
  // Reads a wire-form head; false (head unchanged) for a null buf, len below 40 or a wrong start
  // code. The frame length is taken as it stands.
  bool parseFrameHead(const char* buf, int len);

  void setSequenceId(uint32_t v) { m_nSequenceId = v; }
  uint32_t getSequenceId() const { return m_nSequenceId; }
  void setTimeStamp(int64_t v) {
    m_nTimeStampHigh = static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32);
    m_nTimeStampLow = static_cast<uint32_t>(static_cast<uint64_t>(v));
  }
  int64_t getTimeStamp() const {
    return static_cast<int64_t>((static_cast<uint64_t>(m_nTimeStampHigh) << 32) | m_nTimeStampLow);
  }
  uint32_t getTimeStampHigh() const { return m_nTimeStampHigh; }
  uint32_t getTimeStampLow() const { return m_nTimeStampLow; }
  void setFrameLength(int v) { m_nFrameLength = v; }
  int getFrameLength() const { return m_nFrameLength; }
  void setBitRate(uint16_t v) { m_nBitRate = v; }
  uint16_t getBitRate() const { return m_nBitRate; }
  void setFrameType(uint8_t v) { m_nFrameType = v; }
  uint8_t getFrameType() const { return m_nFrameType; }
  void setImageFormatId(uint8_t v) { m_nImageFormatId = v; }
  uint8_t getImageFormatId() const { return m_nImageFormatId; }
  void setVideoSystem(uint8_t v) { m_nVideoSystem = v; }
  uint8_t getVideoSystem() const { return m_nVideoSystem; }
  void setStreamFormat(uint8_t v) { m_nStreamFormat = v; }
  uint8_t getStreamFormat() const { return m_nStreamFormat; }
  void setESStreamType(uint8_t v) { m_nESStreamType = v; }
  uint8_t getESStreamType() const { return m_nESStreamType; }
  void setEncodeType(uint8_t v) { m_nEncodeType = v; }
  uint8_t getEncodeType() const { return m_nEncodeType; }
  void setFrameRate(uint8_t v) { m_nFrameRate = v; }
  uint8_t getFrameRate() const { return m_nFrameRate; }
  void setTimezone(uint8_t v) { m_nTimezone = v; }
  uint8_t getTimezone() const { return m_nTimezone; }
  void setDaylightSavingTime(uint16_t v) { m_nDaylightSavingTime = v; }
  uint16_t getDaylightSavingTime() const { return m_nDaylightSavingTime; }
  void setCheckNum(uint16_t v) { m_nCheckNum = v; }
  uint16_t getCheckNum() const { return m_nCheckNum; }

 private:
  void write(unsigned char* out) const;

  uint32_t m_nSequenceId = 0;
  uint32_t m_nTimeStampHigh = 0;
  uint32_t m_nTimeStampLow = 0;
  int m_nFrameLength = 0;
  uint16_t m_nBitRate = 0;
  uint8_t m_nFrameType = 0;
  uint8_t m_nImageFormatId = 0;
  uint8_t m_nVideoSystem = 0;
  uint8_t m_nStreamFormat = 0;
  uint8_t m_nESStreamType = 0;
  uint8_t m_nEncodeType = 0;
  uint8_t m_nFrameRate = 0;
  uint8_t m_nTimezone = 0;
  uint16_t m_nDaylightSavingTime = 0;
  uint16_t m_nCheckNum = 0;
};
