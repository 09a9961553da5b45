#pragma once
#include "codec/AudioCodec.h"

// G.711 mu-law: encode turns 16-bit PCM into one code byte per sample, decode turns each code byte into
// one 16-bit sample. Stateless: copies copy nothing, and calls from several threads at once are safe.
class G711_ULAW_Codec : public AudioCodec {
 public:
  G711_ULAW_Codec() = default;
  G711_ULAW_Codec(const G711_ULAW_Codec& other);
  G711_ULAW_Codec& operator=(const G711_ULAW_Codec& other);
  ~G711_ULAW_Codec() override;

  // inLen must be even and above 0; needs outLen >= inLen / 2.
  bool encode(const char* in, int inLen, char* out, int& outLen) override;
  // inLen must be above 0; needs outLen >= 2 * inLen.
  bool decode(const char* in, int inLen, char* out, int& outLen) override;
};
