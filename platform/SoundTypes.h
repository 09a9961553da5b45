#pragma once
#include <cstdint>

namespace platform {

class Event;

// Results of the sound layer, in the numbering the engine's retry and restore logic compares against:
// 0 success, negative failures.
using SoundResult = std::int32_t;
constexpr SoundResult kSoundOk = 0;
constexpr SoundResult kSoundFailed = static_cast<SoundResult>(0x80004005u);
constexpr SoundResult kSoundInvalidParam = static_cast<SoundResult>(0x80070057u);
constexpr SoundResult kSoundInvalidCall = static_cast<SoundResult>(0x88780032u);
constexpr SoundResult kSoundBadFormat = static_cast<SoundResult>(0x88780064u);
constexpr SoundResult kSoundNoDriver = static_cast<SoundResult>(0x88780078u);
constexpr SoundResult kSoundBufferLost = static_cast<SoundResult>(0x88780096u);
inline bool soundSucceeded(SoundResult result) { return result >= 0; }

// Cooperative level: accepted and without effect.
constexpr std::uint32_t kSoundCooperativePriority = 2;
// play flag: loop over the whole buffer.
constexpr std::uint32_t kSoundPlayLooping = 1;

// Buffer capabilities.
constexpr std::uint32_t kSoundBufferPrimary = 0x00001;
constexpr std::uint32_t kSoundBufferCtrlFrequency = 0x00020;
constexpr std::uint32_t kSoundBufferCtrlPan = 0x00040;
constexpr std::uint32_t kSoundBufferCtrlVolume = 0x00080;
constexpr std::uint32_t kSoundBufferCtrlPositionNotify = 0x00100;
constexpr std::uint32_t kSoundBufferGlobalFocus = 0x08000;
constexpr std::uint32_t kSoundBufferGetCurrentPosition2 = 0x10000;

// Volume in millibels: 0 is full volume, -10000 silence; the gain is 10^(mB/2000).
constexpr std::int32_t kSoundVolumeMax = 0;
constexpr std::int32_t kSoundVolumeMin = -10000;

// Linear PCM layout of a buffer.
struct WaveFormat {
  std::uint16_t formatTag = 1;
  std::uint16_t channels = 1;
  std::uint32_t samplesPerSec = 8000;
  std::uint32_t avgBytesPerSec = 16000;
  std::uint16_t blockAlign = 2;
  std::uint16_t bitsPerSample = 16;
  std::uint16_t extraSize = 0;
};

// What a buffer is made from: its capabilities, and for a secondary buffer its size and format.
struct SoundBufferDesc {
  std::uint32_t flags = 0;
  std::uint32_t bufferBytes = 0;
  WaveFormat format;
};

// A play position to be signalled; the layer accepts these and signals nothing.
struct SoundPositionNotify {
  std::uint32_t offset = 0;
  Event* event = nullptr;
};

}  // namespace platform
