#include "codec/AudioCodecFactory.h"

#include "codec/AMRCodec.h"
#include "codec/G711_ALAW_Codec.h"
#include "codec/G711_ULAW_Codec.h"
#include "codec/G7231Codec.h"
#include "codec/LawPCMCodec.h"
#include "media/EncoderType.h"

AudioCodec* createAudioCodec(int encoderType) {
  switch (encoderType) {
    case EncoderType::G7231:
      return new G7231Codec();
    case EncoderType::G711A:
      return new G711_ALAW_Codec();
    case EncoderType::G711U:
      return new G711_ULAW_Codec();
    case EncoderType::AMR:
      return new AMRCodec();
    case EncoderType::RAW_PCM:
      return new LawPCMCodec();
    case EncoderType::G722:
    case EncoderType::G726:
    case EncoderType::G729:
    default:
      return nullptr;
  }
}
