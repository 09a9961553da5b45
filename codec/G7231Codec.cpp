#include "codec/G7231Codec.h"

#include <cstdint>
#include <cstring>

#include "codec/g7231/G7231BitStream.h"
#include "codec/g7231/G7231Context.h"

G7231Codec::G7231Codec()
    : m_pRemainder(),
      m_nKept(0),
      m_pEncoder(std::make_unique<G7231Context>(G7231Context::kEncode)),
      m_pDecoder() {
  m_pRemainder.reset(new char[kPcmBlockBytes]());
  m_pDecoder = std::make_unique<G7231Context>(G7231Context::kDecode);
}

G7231Codec::~G7231Codec() = default;

int G7231Codec::computeFrameSize(int firstByte) { return G7231BitStream::frameSize(firstByte); }

bool G7231Codec::encode(const char* in, int inLen, char* out, int& outLen) {
  if (!m_pEncoder || in == nullptr || inLen <= 0 || out == nullptr || outLen <= 0) return false;
  // 64-bit sums: kept bytes plus a length near INT_MAX must not wrap.
  const int64_t total = static_cast<int64_t>(m_nKept) + inLen;
  if (static_cast<int64_t>(outLen) < (total / kPcmBlockBytes) * kEncodedFrameBytes) return false;
  if (total < kPcmBlockBytes) {
    std::memcpy(m_pRemainder.get() + m_nKept, in, static_cast<size_t>(inLen));
    m_nKept += inLen;
    outLen = 0;
    return true;
  }

  int64_t written = 0;
  auto codeBlock = [&](const char* block) {
    if (!m_pEncoder->processFrame(reinterpret_cast<const uint8_t*>(block))) return false;
    const int size = m_pEncoder->outputSize();
    std::memcpy(out + written, m_pEncoder->output(), static_cast<size_t>(size));
    written += size;
    return true;
  };
  int used = 0;
  if (m_nKept > 0) {
    used = kPcmBlockBytes - m_nKept;
    std::memcpy(m_pRemainder.get() + m_nKept, in, static_cast<size_t>(used));
    m_nKept = 0;
    if (!codeBlock(m_pRemainder.get())) return false;
  }
  for (; inLen - used >= kPcmBlockBytes; used += kPcmBlockBytes)
    if (!codeBlock(in + used)) return false;
  m_nKept = inLen - used;
  std::memcpy(m_pRemainder.get(), in + used, static_cast<size_t>(m_nKept));
  outLen = static_cast<int>(written);
  return true;
}

bool G7231Codec::decode(const char* in, int inLen, char* out, int& outLen) {
  if (!m_pDecoder || in == nullptr || inLen <= 0 || out == nullptr || outLen <= 0) return false;
  const int capacity = outLen;
  std::memset(out, 0, static_cast<size_t>(capacity));
  outLen = 0;
  for (int offset = 0; offset < inLen;) {
    const int size = computeFrameSize(static_cast<unsigned char>(in[offset]));
    if (size > inLen - offset) return false;
    // Room first: a frame that cannot be delivered must not move the decoder's history on.
    if (capacity - outLen < G7231Context::kBlockBytes) return false;
    if (!m_pDecoder->processFrame(reinterpret_cast<const uint8_t*>(in + offset))) return false;
    const int produced = m_pDecoder->outputSize();
    std::memcpy(out + outLen, m_pDecoder->output(), static_cast<size_t>(produced));
    outLen += produced;
    offset += size;
  }
  return true;
}
