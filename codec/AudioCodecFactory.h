#pragma once
#include "codec/AudioCodec.h"

// Makes the codec for an encoder-type code (EncoderType::ES_STREAM_TYPE), or returns null when the
// player has no codec for it. The caller owns the result and deletes it through AudioCodec.
AudioCodec* createAudioCodec(int encoderType);
