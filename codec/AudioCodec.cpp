#include "codec/AudioCodec.h"

AudioCodec::~AudioCodec() = default;
