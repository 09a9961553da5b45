#pragma once
#include "codec/AudioCodec.h"

// Linear PCM pass-through: encode and decode both copy the input unchanged. Stateless.
class LawPCMCodec : public AudioCodec {
 public:
  LawPCMCodec() = default;
  LawPCMCodec(const LawPCMCodec& other);
  LawPCMCodec& operator=(const LawPCMCodec& other);
  ~LawPCMCodec() override;

  // Both copy inLen (> 0) bytes; need outLen >= inLen.
  bool encode(const char* in, int inLen, char* out, int& outLen) override;
  bool decode(const char* in, int inLen, char* out, int& outLen) override;

 private:
  static bool copyThrough(const char* in, int inLen, char* out, int& outLen);
};
