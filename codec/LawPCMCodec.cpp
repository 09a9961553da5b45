#include "codec/LawPCMCodec.h"

#include <cstring>

LawPCMCodec::LawPCMCodec(const LawPCMCodec&) : AudioCodec() {}

LawPCMCodec& LawPCMCodec::operator=(const LawPCMCodec&) { return *this; }

LawPCMCodec::~LawPCMCodec() = default;

bool LawPCMCodec::encode(const char* in, int inLen, char* out, int& outLen) {
  return copyThrough(in, inLen, out, outLen);
}

bool LawPCMCodec::decode(const char* in, int inLen, char* out, int& outLen) {
  return copyThrough(in, inLen, out, outLen);
}

bool LawPCMCodec::copyThrough(const char* in, int inLen, char* out, int& outLen) {
  if (in == nullptr || out == nullptr || inLen <= 0 || outLen < inLen) return false;
  std::memmove(out, in, static_cast<size_t>(inLen));
  outLen = inLen;
  return true;
}
