#include "media/VideoInfo.h"

#include <cstring>

VideoInfo::VideoInfo() { std::memset(m_szSpsPps, 0, sizeof(m_szSpsPps)); }

VideoInfo::VideoInfo(const VideoInfo& other) : VideoInfo() { *this = other; }

VideoInfo& VideoInfo::operator=(const VideoInfo& other) {
  if (this == &other) return *this;
  m_dwBitRate = other.m_dwBitRate;
  m_dwBitErrorRate = other.m_dwBitErrorRate;
  m_dwTimePerFrame = other.m_dwTimePerFrame;
  m_biSize = other.m_biSize;
  m_biWidth = other.m_biWidth;
  m_biHeight = other.m_biHeight;
  m_biPlanes = other.m_biPlanes;
  m_biBitCount = other.m_biBitCount;
  m_biCompression = other.m_biCompression;
  m_biSizeImage = other.m_biSizeImage;
  m_biXPelsPerMeter = other.m_biXPelsPerMeter;
  m_biYPelsPerMeter = other.m_biYPelsPerMeter;
  m_biClrUsed = other.m_biClrUsed;
  m_biClrImportant = other.m_biClrImportant;
  // Only the stored parameter-set bytes are copied; the rest of this area keeps its contents.
  setSPS_PPSData(other.m_szSpsPps, other.m_nSpsPpsLen);
  return *this;
}

void VideoInfo::setSPS_PPSData(const char* data, int len) {
  if (data == nullptr || len <= 0) {
    m_nSpsPpsLen = 0;
    return;
  }
  if (len > kSpsPpsAreaSize) len = kSpsPpsAreaSize;
  std::memmove(m_szSpsPps, data, static_cast<size_t>(len));
  m_nSpsPpsLen = len;
}
