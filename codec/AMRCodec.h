#pragma once
#include <array>

#include "codec/AudioCodec.h"

// AMR narrowband speech over opencore-amr, in the one-byte-header storage layout.
// encode collects PCM into 20 ms blocks (320 bytes) and writes one 18-byte MR67 frame per block;
// bytes short of a block are kept for the next call. decode cuts the input into frames sized by each
// frame's own header and writes 320 bytes of PCM per frame. The library states carry the speech
// history between calls, so an object belongs to one stream and one thread at a time. The states
// cannot be duplicated, so the class cannot be copied.
class AMRCodec : public AudioCodec {
 public:
  static constexpr int kPcmBlockBytes = 320;
  static constexpr int kFrameBytes = 18;
  static constexpr unsigned char kFrameHeader = 0x1C;

  AMRCodec();
  AMRCodec(const AMRCodec&) = delete;
  AMRCodec& operator=(const AMRCodec&) = delete;
  ~AMRCodec() override;

  // Needs outLen >= 18 x (complete blocks of kept bytes + inLen).
  bool encode(const char* in, int inLen, char* out, int& outLen) override;
  // Needs outLen >= 320 x (complete frames in the input); bytes after the last complete frame are
  // ignored.
  bool decode(const char* in, int inLen, char* out, int& outLen) override;

  // Size in bytes, header included, of a storage-layout frame with this header byte.
  static int storageFrameSize(unsigned char header);

 private:
  void encodeBlock(const char* pcm, char* frame);
  void decodeFrame(const char* frame, int frameSize, char* pcm);

  void* m_pEncoderState;
  void* m_pDecoderState;
  std::array<char, kPcmBlockBytes> m_keptPcm;
  int m_nKeptBytes;
};
