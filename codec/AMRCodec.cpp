#include "codec/AMRCodec.h"

#include <cstdint>
#include <cstring>

#include <opencore-amrnb/interf_dec.h>
#include <opencore-amrnb/interf_enc.h>

namespace {

constexpr int kSamplesPerBlock = AMRCodec::kPcmBlockBytes / 2;
// The largest storage frame (MR122: header and 31 bytes of speech bits).
constexpr int kLargestFrameBytes = 32;
// Header byte included, by frame type (bits 6..3 of the header): the eight speech modes, the AMR
// SID, the three SID types of the related codecs, three reserved types and "no data", which carry
// no bits.
constexpr int kStorageFrameSizes[16] = {13, 14, 16, 18, 20, 21, 27, 32, 6, 7, 6, 6, 1, 1, 1, 1};
constexpr unsigned char kQualityBit = 0x04;

}  // namespace

AMRCodec::AMRCodec()
    : m_pEncoderState(Encoder_Interface_init(0)),
      m_pDecoderState(Decoder_Interface_init()),
      m_keptPcm{},
      m_nKeptBytes(0) {}

AMRCodec::~AMRCodec() {
  if (m_pEncoderState != nullptr) Encoder_Interface_exit(m_pEncoderState);
  if (m_pDecoderState != nullptr) Decoder_Interface_exit(m_pDecoderState);
}

int AMRCodec::storageFrameSize(unsigned char header) { return kStorageFrameSizes[(header >> 3) & 0x0F]; }

bool AMRCodec::encode(const char* in, int inLen, char* out, int& outLen) {
  if (m_pEncoderState == nullptr || in == nullptr || inLen <= 0 || out == nullptr || outLen <= 0) return false;
  const int64_t total = static_cast<int64_t>(m_nKeptBytes) + inLen;
  const int64_t blocks = total / kPcmBlockBytes;
  if (blocks * kFrameBytes > outLen) return false;

  int used = 0;
  int block = 0;
  if (m_nKeptBytes > 0 && blocks > 0) {
    used = kPcmBlockBytes - m_nKeptBytes;
    std::memcpy(m_keptPcm.data() + m_nKeptBytes, in, static_cast<size_t>(used));
    encodeBlock(m_keptPcm.data(), out);
    m_nKeptBytes = 0;
    block = 1;
  }
  for (; inLen - used >= kPcmBlockBytes; used += kPcmBlockBytes, ++block) {
    encodeBlock(in + used, out + static_cast<int64_t>(block) * kFrameBytes);
  }
  const int rest = inLen - used;
  std::memcpy(m_keptPcm.data() + m_nKeptBytes, in + used, static_cast<size_t>(rest));
  m_nKeptBytes += rest;
  outLen = block * kFrameBytes;
  return true;
}

bool AMRCodec::decode(const char* in, int inLen, char* out, int& outLen) {
  if (m_pDecoderState == nullptr || in == nullptr || inLen <= 0 || out == nullptr || outLen <= 0) return false;
  int frames = 0;
  for (int pos = 0; pos < inLen;) {
    const int size = storageFrameSize(static_cast<unsigned char>(in[pos]));
    if (size > inLen - pos) break;
    pos += size;
    ++frames;
  }
  if (static_cast<int64_t>(frames) * kPcmBlockBytes > outLen) return false;

  int pos = 0;
  for (int frame = 0; frame < frames; ++frame) {
    const int size = storageFrameSize(static_cast<unsigned char>(in[pos]));
    decodeFrame(in + pos, size, out + static_cast<int64_t>(frame) * kPcmBlockBytes);
    pos += size;
  }
  outLen = frames * kPcmBlockBytes;
  return true;
}

void AMRCodec::encodeBlock(const char* pcm, char* frame) {
  // The input has no alignment guarantee, and the library may write more than a speech frame for
  // other frame kinds: both sides go through buffers of our own.
  short samples[kSamplesPerBlock];
  std::memcpy(samples, pcm, sizeof samples);
  unsigned char coded[kLargestFrameBytes] = {};
  Encoder_Interface_Encode(m_pEncoderState, MR67, samples, coded, 0);
  coded[0] |= kQualityBit;
  std::memcpy(frame, coded, kFrameBytes);
}

void AMRCodec::decodeFrame(const char* frame, int frameSize, char* pcm) {
  // The library reads as many bytes as its own tables give for the frame type; a zero-padded copy
  // of the largest frame keeps those reads inside memory of ours whatever the header says.
  unsigned char padded[kLargestFrameBytes] = {};
  std::memcpy(padded, frame, static_cast<size_t>(frameSize));
  short samples[kSamplesPerBlock];
  Decoder_Interface_Decode(m_pDecoderState, padded, samples, 0);
  std::memcpy(pcm, samples, sizeof samples);
}
