#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "codec/AMRCodec.h"
#include "codec/AudioCodecFactory.h"
#include "codec/G711_ALAW_Codec.h"
#include "codec/G711_ULAW_Codec.h"
#include "codec/G7231Codec.h"
#include "codec/LawPCMCodec.h"
#include "media/EncoderType.h"

namespace {

enum class Made { None, Alaw, Ulaw, G7231, Amr, Pcm };

Made kindOf(const AudioCodec* codec) {
  if (codec == nullptr) return Made::None;
  if (dynamic_cast<const G711_ALAW_Codec*>(codec) != nullptr) return Made::Alaw;
  if (dynamic_cast<const G711_ULAW_Codec*>(codec) != nullptr) return Made::Ulaw;
  if (dynamic_cast<const G7231Codec*>(codec) != nullptr) return Made::G7231;
  if (dynamic_cast<const AMRCodec*>(codec) != nullptr) return Made::Amr;
  if (dynamic_cast<const LawPCMCodec*>(codec) != nullptr) return Made::Pcm;
  ADD_FAILURE() << "a codec of an unexpected class";
  return Made::None;
}

TEST(AudioCodecFactory, PicksTheCodecByEncoderType) {
  const struct {
    int type;
    Made made;
  } cases[] = {
      {EncoderType::G711A, Made::Alaw}, {EncoderType::G711U, Made::Ulaw}, {EncoderType::G7231, Made::G7231},
      {EncoderType::AMR, Made::Amr},
      {EncoderType::RAW_PCM, Made::Pcm}, {EncoderType::G722, Made::None}, {EncoderType::G726, Made::None},
      {EncoderType::G729, Made::None},   {EncoderType::H264, Made::None}, {EncoderType::MPEG4, Made::None},
      {EncoderType::UNKNOWN, Made::None}, {109, Made::None},            {100, Made::None},
      {-1, Made::None},
  };
  for (const auto& c : cases) {
    std::unique_ptr<AudioCodec> codec(createAudioCodec(c.type));
    EXPECT_EQ(kindOf(codec.get()), c.made) << "encoder type " << c.type;
  }
}

TEST(AudioCodecFactory, MadeCodecsDecodeTheirOwnFormat) {
  // A frame of 160 A-law codes, as the audio player receives it, becomes 320 bytes of PCM.
  std::unique_ptr<AudioCodec> codec(createAudioCodec(EncoderType::G711A));
  ASSERT_NE(codec, nullptr);
  std::string frame(160, '\xD5');
  std::string pcm(102400, '\0');
  int outLen = static_cast<int>(pcm.size());
  ASSERT_TRUE(codec->decode(frame.data(), 160, pcm.data(), outLen));
  EXPECT_EQ(outLen, 320);
}

}  // namespace
