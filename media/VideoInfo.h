#pragma once
#include <cstdint>

// Format description of a video stream: bitmap-header-like fields plus the stream's H.264
// sequence and picture parameter sets (at most kSpsPpsAreaSize bytes).
class VideoInfo {
 public:
  static constexpr int kSpsPpsAreaSize = 512;

  VideoInfo();
  VideoInfo(const VideoInfo& other);
  VideoInfo& operator=(const VideoInfo& other);
  ~VideoInfo() {}

  // Copies the parameter sets into the area; more than kSpsPpsAreaSize bytes are cut to the area,
  // a null pointer or a length below 1 stores nothing (length 0).
  void setSPS_PPSData(const char* data, int len);
  const char* getSPS_PPSData() const { return m_szSpsPps; }
  int getSPS_PPSDataLen() const { return m_nSpsPpsLen; }

  void setBitRate(uint32_t v) { m_dwBitRate = v; }
  uint32_t getBitRate() const { return m_dwBitRate; }
  void setBitErrorRate(uint32_t v) { m_dwBitErrorRate = v; }
  uint32_t getBitErrorRate() const { return m_dwBitErrorRate; }
  void setTimePerFrame(uint32_t v) { m_dwTimePerFrame = v; }
  uint32_t getTimePerFrame() const { return m_dwTimePerFrame; }
  void setSize(uint32_t v) { m_biSize = v; }
  uint32_t getSize() const { return m_biSize; }
  void setWidth(uint32_t v) { m_biWidth = v; }
  uint32_t getWidth() const { return m_biWidth; }
  void setHeight(uint32_t v) { m_biHeight = v; }
  uint32_t getHeight() const { return m_biHeight; }
  void setPlanes(uint16_t v) { m_biPlanes = v; }
  uint16_t getPlanes() const { return m_biPlanes; }
  void setBitCount(uint16_t v) { m_biBitCount = v; }
  uint16_t getBitCount() const { return m_biBitCount; }
  void setCompression(uint32_t v) { m_biCompression = v; }
  uint32_t getCompression() const { return m_biCompression; }
  void setSizeImage(uint32_t v) { m_biSizeImage = v; }
  uint32_t getSizeImage() const { return m_biSizeImage; }
  void setXPelsPerMeter(int32_t v) { m_biXPelsPerMeter = v; }
  int32_t getXPelsPerMeter() const { return m_biXPelsPerMeter; }
  void setYPelsPerMeter(int32_t v) { m_biYPelsPerMeter = v; }
  int32_t getYPelsPerMeter() const { return m_biYPelsPerMeter; }
  void setClrUsed(uint32_t v) { m_biClrUsed = v; }
  uint32_t getClrUsed() const { return m_biClrUsed; }
  void setClrImportant(uint32_t v) { m_biClrImportant = v; }
  uint32_t getClrImportant() const { return m_biClrImportant; }

 private:
  uint32_t m_dwBitRate = 50;
  uint32_t m_dwBitErrorRate = 50;
  uint32_t m_dwTimePerFrame = 1;
  uint32_t m_biSize = 100;
  uint32_t m_biWidth = 50;
  uint32_t m_biHeight = 50;
  uint16_t m_biPlanes = 50;
  uint16_t m_biBitCount = 50;
  uint32_t m_biCompression = 50;
  uint32_t m_biSizeImage = 50;
  int32_t m_biXPelsPerMeter = 50;
  int32_t m_biYPelsPerMeter = 50;
  uint32_t m_biClrUsed = 50;
  uint32_t m_biClrImportant = 50;
  char m_szSpsPps[kSpsPpsAreaSize];
  int m_nSpsPpsLen = 0;
};
