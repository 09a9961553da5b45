#pragma once
#include <cstdint>

#include "player/decode/IVideoDecoder.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// The H.264 decoder over libavcodec. Pictures come out as planar 4:2:0 (full-range 4:2:0 as it is;
// any other layout libswscale can read, such as 10-bit, 4:2:2 or 4:4:4, converted to 8-bit 4:2:0).
// Open and close of every decoder in the process are serialised (libavcodec's are not thread-safe);
// decoding itself is not.
class H264Decoder : public IVideoDecoder {
 public:
  // Zeroed bytes that must follow the data handed to decode (libavcodec reads ahead).
  static constexpr int kInputPadding = 64;

  H264Decoder() = default;
  ~H264Decoder() override;
  H264Decoder(const H264Decoder&) = delete;
  H264Decoder& operator=(const H264Decoder&) = delete;

  int open() override;
  void close() override;
  bool isOpened() const override { return m_bOpened; }
  int decode(const char* data, int size, int64_t token) override;
  int nextPicture(DecodedPicture** picture, int64_t* token) override;
  int width() const override { return m_nWidth; }
  int height() const override { return m_nHeight; }

 private:
  // Points m_objPicture at the frame's planes, converting first when the layout is not 8-bit 4:2:0.
  bool exposeFrame();

  AVCodecContext* m_pContext = nullptr;
  AVFrame* m_pFrame = nullptr;
  AVPacket* m_pPacket = nullptr;
  SwsContext* m_pConvert = nullptr;
  AVFrame* m_pConverted = nullptr;
  DecodedPicture m_objPicture;
  int m_nWidth = 0;
  int m_nHeight = 0;
  bool m_bOpened = false;
  bool m_bDraining = false;
};
